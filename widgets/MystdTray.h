// Notification-area icons of the Mystd widget unit: one with an icon of the
// user's, and a meter that draws a bar for a value between two limits.
#pragma once

#include "platform/vcl/Colors.h"
#include "platform/win/NotifyIcon.h"

#include <QIcon>
#include <QImage>
#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <optional>

#include <QMenu>

enum TzcTrayHintStyle : std::uint8_t { thsPctBar, thsTotalBar, thsTotPct, thsPctTot };
enum TzcTMDir : std::uint8_t { TzcTM_Up, TzcTM_Down, TzcTM_Left, TzcTM_Right };

namespace widgets {

// The longest tool tip the notification area takes.
constexpr int MaxTrayTip = 62;

// A pop-up menu opens by itself on its button unless this is set false.
void SetMenuAutoPopup(QMenu *menu, bool value);
bool MenuAutoPopup(const QMenu *menu);

// The meter's numbers, in 64 bits so that no range overflows.
struct TMeterRange
{
    std::int32_t Min = 0;
    std::int32_t Max = 100;
    std::int32_t Value = 0;

    // (Value - Min) * 100 / (Max - Min), kept within 0..100.
    int Percent() const;
    // The bar's length in pixels, 0..14.
    int BarLength() const;
    // Value for a percentage (above 100 counts as 100).
    std::int32_t ValueForPercent(int percent) const;
};

struct TMeterLook
{
    TzcTMDir Direction = TzcTM_Up;
    bool UsePctOnBar = true;
    bool UseLed = false;
    vcl::TColor Color = vcl::clBtnFace;
    vcl::TColor FrameColor = vcl::clBlack;
    vcl::TColor PctColor = vcl::clBlack;
    vcl::TColor BarColor = vcl::clLime;
};

// The 16 x 16 picture of a meter at `percent`.
QImage MeterImage(const TMeterLook &look, int percent);
// The tool tip from the user's format: the percentage and/or the value as
// the style says, cut to MaxTrayTip; nullopt when the format does not fit.
std::optional<QString> MeterTip(const QString &format, TzcTrayHintStyle style, std::int32_t value,
                                int percent);

} // namespace widgets

// What the icon and the meter share: the icon in the notification area, the
// mouse messages it gets turned into events and menus, hiding the form that
// owns it, and the end-of-session question.
//
// Thread contract: main thread only.
class TzTrayBase : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(TzTrayBase)

public:
    using TAskEndSession = std::function<void(bool &doEnd)>;
    using TzcDefaultMenuEvent = std::function<void(TzTrayBase &sender, bool &doDefault)>;

    // Throws EComponentError "NoForm" when the owner has no form.
    explicit TzTrayBase(QObject *owner);
    ~TzTrayBase() override;

    QMenu *PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(QMenu *menu) { FPopupMenu = menu; }
    QMenu *LeftPopupMenu() const { return FLeftPopupMenu; }
    void SetLeftPopupMenu(QMenu *menu) { FLeftPopupMenu = menu; }
    bool DoDefaultMenu = false;
    bool HideParentForm() const { return FHideParentForm; }
    void SetHideParentForm(bool value);
    bool Active() const { return FActive; }
    void SetActive(bool value);
    QString ToolTip() const { return FToolTip; }
    virtual void SetToolTip(const QString &value) = 0;
    // The tool tip shown.
    virtual QString TipText() const { return FToolTip; }
    QIcon Icon() const { return FIcon; }
    // Identifies the icon to the shell.
    int Tag = 0;

    TAskEndSession OnAskEndSession;
    TzcDefaultMenuEvent OnDefaultMenu;

    bool AddIcon();
    void ModifyIcon();
    void DeleteIcon();
    // A mouse message of the notification area, as the window procedure
    // gets it.
    void CallbackMessage(win::TrayMouseMessage message);
    // The end-of-session question: whether the session may end.
    bool QueryEndSession();

Q_SIGNALS:
    void OnClick();
    void OnDblClick();
    void OnRightClick(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnRightDblClick(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMidClick(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMidDblClick(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void OnleftMenu();
    void OnRightMenu();

protected:
    virtual Qt::KeyboardModifiers GetShift() const;
    // With DoDefaultMenu: clicks PopupMenu's default item unless
    // OnDefaultMenu says no; false when there is no default item.
    virtual bool CheckMenu();
    void CheckMenuPopup(QPoint point, bool left);
    void SetIconImage(const QIcon &icon);
    void PostRefresh();

    QString FToolTip;

private:
    void hideMessage();
    bool formIsMainForm() const;

    QPointer<QWidget> FForm;
    QPointer<QMenu> FPopupMenu;
    QPointer<QMenu> FLeftPopupMenu;
    bool FLeftPressed = false;
    bool FRightPressed = false;
    bool FMiddlePressed = false;
    bool FHideParentForm = false;
    bool FActive = false;
    QIcon FIcon;
    win::NotifyIcon FNotify;
};

// An icon of the user's in the notification area.
class TzTrayIcon : public TzTrayBase
{
    Q_OBJECT
    Q_DISABLE_COPY(TzTrayIcon)

public:
    explicit TzTrayIcon(QObject *owner);

    void SetIcon(const QIcon &icon);
    // The first MaxTrayTip characters are kept.
    void SetToolTip(const QString &value) override;
};

// A 16 x 16 bar meter in the notification area, its tool tip formatted from
// ToolTip with the percentage and/or the value.
class TzcTrayMeter : public TzTrayBase
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcTrayMeter)

public:
    explicit TzcTrayMeter(QObject *owner);

    std::int32_t Min() const { return FRange.Min; }
    // At most INT32_MAX - 1, so that Max can lie above it.
    void SetMin(std::int32_t value);
    std::int32_t Max() const { return FRange.Max; }
    // Not above Min makes it Min + 1.
    void SetMax(std::int32_t value);
    std::int32_t Value() const { return FRange.Value; }
    void SetValue(std::int32_t value);
    std::uint8_t Percent() const { return std::uint8_t(FRange.Percent()); }
    void SetPercent(std::uint8_t value);

    TzcTrayHintStyle ToolTipStyle() const { return FStyle; }
    void SetToolTipStyle(TzcTrayHintStyle value);
    const widgets::TMeterLook &Look() const { return FLook; }
    void SetDirection(TzcTMDir value);
    void SetUsePctOnBar(bool value);
    void SetUseLed(bool value);
    void SetColor(vcl::TColor value);
    void SetFrameColor(vcl::TColor value);
    void SetPctColor(vcl::TColor value);
    void SetBarColor(vcl::TColor value);

    // The format; the first MaxTrayTip characters are kept.
    void SetToolTip(const QString &value) override;
    QString TipText() const override { return FTipText; }
    // The picture now shown.
    const QImage &Picture() const { return FPicture; }

    void BuildIcon();

private:
    template <typename T> void setLook(T &field, T value);

    widgets::TMeterRange FRange;
    widgets::TMeterLook FLook;
    TzcTrayHintStyle FStyle = thsPctBar;
    QString FTipText;
    QImage FPicture;
};
