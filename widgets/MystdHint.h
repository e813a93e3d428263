// The hint window of the Mystd widget unit and the component that sets the
// shared hint settings.
#pragma once

#include "widgets/MystdHintSettings.h"

#include <QPointer>
#include <QWidget>

namespace widgets {

// Whether the application shows hints at all (on at start). Main thread only.
bool ApplicationShowHint();
void SetApplicationShowHint(bool value);
// The application's hint colour (clInfoBk at start), the hint window's
// background. Main thread only.
vcl::TColor ApplicationHintColor();
void SetApplicationHintColor(vcl::TColor value);

// Whether a TzHint has been loaded, so that its window shows the program's
// tool tips.
bool HintWindowTakesHints();

// Width available to a hint's text: the screen width divided by
// partOfScreen (taken as 1..10), less a margin of 6 (3-D) or 4 on each side.
int HintTextWidth(int screenWidth, int partOfScreen, bool use3D);
// Top-left corner of a hint of `size` at `anchor` (the pointer, or with
// hpNormal the corner the application asks for), kept 8 pixels inside the
// screen.
QPoint HintPlacement(QPoint anchor, QSize size, TzHintPos position, const QRect &screen);

} // namespace widgets

// The window every hint of the program is shown in once a TzHint has been
// loaded: a fraction of the screen wide, at a corner of the pointer, with a
// 3-D frame, gone after MoveBeforeOff mouse moves. Hint texts of any length
// are measured and drawn whole.
//
// Thread contract: main thread only.
class TzHintWindow : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(TzHintWindow)

public:
    explicit TzHintWindow(QWidget *parent = nullptr);

    QString Caption() const { return FCaption; }
    // Shows `hint` near the pointer, unless OnHintShow says no. `rect` is the
    // place the application proposes (used with hpNormal).
    virtual void ActivateHint(const QRect &rect, const QString &hint);
    // Whether `event`, seen while the hint shows, should hide it: more than
    // MoveBeforeOff mouse moves, a button, a key or the wheel.
    virtual bool IsHintMsg(const QEvent *event);
    int MoveCount() const { return FMoveCount; }

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    int FMoveCount = 0;
    QString FCaption;
};

// Sets the process-wide hint settings; every property reads and writes the
// shared record, so the last TzHint created (its constructor resets the
// record) or written wins. Once loaded, the program's tool tips show in a
// TzHintWindow. The events it installs are dropped when it goes.
//
// Thread contract: main thread only.
class TzHint : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(TzHint)

public:
    explicit TzHint(QObject *owner = nullptr);
    ~TzHint() override;

    vcl::TColor HighLightColor() const;
    void SetHighLightColor(vcl::TColor value);
    vcl::TColor ShadowColor() const;
    void SetShadowColor(vcl::TColor value);
    TzHintPos HintPosition() const;
    void SetHintPosition(TzHintPos value);
    TzHintDiv PartOfScreen() const;
    // Kept within 1..10.
    void SetPartOfScreen(int value);
    TzMoveDist MoveBeforeOff() const;
    // Kept within 2..20.
    void SetMoveBeforeOff(int value);
    bool MultiLine() const;
    void SetMultiLine(bool value);
    bool Use3D() const;
    void SetUse3D(bool value);
    const THintFont &Font() const;
    void SetFont(const THintFont &value);
    void SetOnHintPaint(TNotifyEvent event);
    void SetOnHintShow(THintShowEvent event);

    void Loaded();
    // Makes TzHintWindow the program's hint window, shown afresh with the
    // current settings.
    void UpDate();

    // The hint window now in use, if any.
    static TzHintWindow *HintWindow();
};
