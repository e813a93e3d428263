// The form a component sits on, the movable panel and the title-bar switch of
// the Mystd widget unit.
#pragma once

#include <QFrame>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <stdexcept>

class QRubberBand;

// The class library's component error.
class EComponentError : public std::runtime_error
{
public:
    explicit EComponentError(const char *message) : std::runtime_error(message) {}
};

namespace widgets {

// The first window up the component's parent chain, starting with its
// parent; EComponentError "NoForm" when there is none.
QWidget *FindForm(const QObject *component);

// Kept for old callers: always false.
bool IsPrevius(bool flag);

// The application's main form: the one registered here, or null. The
// components that act on the whole application only when their form is the
// main form ask this. Main thread only.
QWidget *ApplicationMainForm();
void SetApplicationMainForm(QWidget *form);

// How a form shows its frame. Qt keeps no such setting, so it is read from
// the window flags: frameless is bsNone, a dialog bsDialog, a tool window
// bsToolWindow (bsSizeToolWin when resizable), a fixed size bsSingle, else
// bsSizeable.
enum TFormBorderStyle : std::uint8_t {
    bsNone,
    bsSingle,
    bsSizeable,
    bsDialog,
    bsToolWindow,
    bsSizeToolWin
};
TFormBorderStyle FormBorderStyle(const QWidget *form);

// Docking of a child on an edge of its parent's client area.
enum TAlign : std::uint8_t { alNone, alTop, alBottom, alLeft, alRight };

} // namespace widgets

enum TzStickType : std::uint8_t { stNone, stleft, stTop, stRight, stBottom, stBoth };

// A panel the user drags with the left button. While dragging, a rubber band
// shows where it will go; on release the panel moves there, is kept inside a
// parent that is not a form, and sticks to the edge StickWhere names. A drag
// that loses the mouse (the button released elsewhere, the panel hidden, the
// window deactivated) ends without moving.
//
// Thread contract: main thread only, like every widget.
class TzMovePanel : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY(TzMovePanel)

public:
    using TUpdateEvent = std::function<void(TzMovePanel &sender, int &x, int &y, int &w, int &h)>;

    explicit TzMovePanel(QWidget *parent = nullptr);
    ~TzMovePanel() override;

    TzStickType StickWhere() const { return FStickWhere; }
    void SetStickWhere(TzStickType value);
    bool StickOldStyle() const { return FStickOldStyle; }
    void SetStickOldStyle(bool value);
    widgets::TAlign Align() const { return FAlign; }
    void SetAlign(widgets::TAlign value);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString &value);
    TUpdateEvent OnBeforeUpdate;

    bool Dragging() const { return FDragging; }
    // The rubber band's rectangle in the window's coordinates while dragging.
    QRect DragRect() const;

    void Loaded();
    virtual void DoStick();
    virtual void DoUpdate();

Q_SIGNALS:
    void OnMouseEnter();
    void OnMouseLeave();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void hideEvent(QHideEvent *e) override;
    void changeEvent(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void showDragRect(QPoint offset);
    void endDrag();
    void applyAlign();
    void watchParent();

    TzStickType FStickWhere = stNone;
    bool FStickOldStyle = true;
    widgets::TAlign FAlign = widgets::alNone;
    QString FCaption;
    bool FDragging = false;
    QPoint FGrab;
    QPoint FCurrent;
    QPointer<QRubberBand> FBand;
    QPointer<QWidget> FWatchedParent;
};

// Hides or shows its form's caption bar. While the caption is hidden and
// AllowMoveWhitoutTitle is set, a left press that reaches the form (not taken
// by a control) moves the whole form through the window system.
//
// Thread contract: main thread only.
class TzTitleBar : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(TzTitleBar)

public:
    // Throws EComponentError "NoForm" when the owner has no form.
    explicit TzTitleBar(QObject *owner);
    ~TzTitleBar() override;

    bool TitleBarOnFormShow = true;
    bool AllowMoveWhitoutTitle = true;

    bool IsShowTitleBar() const;
    // The caption as last set or read.
    bool CaptionShown() const { return FCaptionShown; }
    void SetTitleBar(bool show);
    void Loaded();
    QWidget *Form() const { return FForm; }

Q_SIGNALS:
    void OnChange();

protected:
    virtual void DoOnChange();
    // Hands the form to the window system to be moved; false when it
    // cannot (as on the offscreen platform).
    virtual bool StartSystemMove();
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    QPointer<QWidget> FForm;
    widgets::TFormBorderStyle FBorderStyle = widgets::bsSizeable;
    bool FCaptionShown = true;
    bool FHooked = false;
};
