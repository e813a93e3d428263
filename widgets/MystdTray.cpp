#include "widgets/MystdTray.h"

#include "platform/win/Format.h"
#include "widgets/Canvas.h"
#include "widgets/MystdForms.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QPixmap>
#include <QSessionManager>

#include <algorithm>
#include <climits>
#include <cmath>

namespace widgets {

void SetMenuAutoPopup(QMenu *menu, bool value)
{
    menu->setProperty("AutoPopup", value);
}

bool MenuAutoPopup(const QMenu *menu)
{
    const QVariant v = menu->property("AutoPopup");
    return !v.isValid() || v.toBool();
}

int TMeterRange::Percent() const
{
    const std::int64_t span = std::int64_t(Max) - Min;
    if (span <= 0)
        return 0;
    return int(std::clamp<std::int64_t>((std::int64_t(Value) - Min) * 100 / span, 0, 100));
}

int TMeterRange::BarLength() const
{
    return int(std::nearbyint(Percent() * 0.14));
}

std::int32_t TMeterRange::ValueForPercent(int percent) const
{
    const std::int64_t p = std::clamp(percent, 0, 100);
    return std::int32_t((std::int64_t(Max) - Min) * p / 100 + Min);
}

QImage MeterImage(const TMeterLook &look, int percent)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    TCanvas canvas(&image);
    canvas.Brush.Color = look.Color;
    canvas.FillRect({0, 0, 16, 16});
    const int h = int(std::nearbyint(std::clamp(percent, 0, 100) * 0.14));
    canvas.Brush.Color = look.BarColor;
    switch (look.Direction) {
    case TzcTM_Up:
        canvas.FillRect({1, 15 - h, 15, 15});
        break;
    case TzcTM_Down:
        canvas.FillRect({1, 1, 15, 1 + h});
        break;
    case TzcTM_Left:
        canvas.FillRect({15 - h, 1, 15, 15});
        break;
    case TzcTM_Right:
        canvas.FillRect({1, 1, 1 + h, 15});
        break;
    }
    if (look.UseLed) {
        canvas.Pen.Color = look.Color;
        const bool rows = look.Direction == TzcTM_Up || look.Direction == TzcTM_Down;
        const int first = (look.Direction == TzcTM_Up || look.Direction == TzcTM_Left) ? 2 : 1;
        for (int i = first; i <= 14; i += 2) {
            if (rows) {
                canvas.MoveTo(1, i);
                canvas.LineTo(15, i);
            } else {
                canvas.MoveTo(i, 1);
                canvas.LineTo(i, 15);
            }
        }
    }
    if (look.UsePctOnBar) {
        QFont font(QStringLiteral("Arial"));
        font.setPointSize(7);
        canvas.Font = TFont(font, look.PctColor);
        canvas.Brush.Style = bsClear;
        const QString digits = QString::number(std::clamp(percent, 0, 100));
        canvas.TextOut((16 - canvas.TextWidth(digits)) / 2, (16 - canvas.TextHeight(digits)) / 2,
                       digits);
    }
    canvas.Pen.Color = look.FrameColor;
    canvas.Polyline({{0, 0}, {0, 15}, {15, 15}, {15, 0}, {0, 0}});
    return image;
}

std::optional<QString> MeterTip(const QString &format, TzcTrayHintStyle style, std::int32_t value,
                                int percent)
{
    const win::FormatArg v = std::int64_t(value), p = std::int64_t(percent);
    std::optional<QString> tip;
    switch (style) {
    case thsPctBar:
        tip = win::Format(format, {p});
        break;
    case thsTotalBar:
        tip = win::Format(format, {v});
        break;
    case thsTotPct:
        tip = win::Format(format, {v, p});
        break;
    case thsPctTot:
        tip = win::Format(format, {p, v});
        break;
    }
    if (tip)
        tip->truncate(MaxTrayTip); // what is shown, not only the format, must fit
    return tip;
}

} // namespace widgets

TzTrayBase::TzTrayBase(QObject *owner) : QObject(owner)
{
    FForm = widgets::FindForm(this);
    FNotify.OnMouse = [this](win::TrayMouseMessage m) { CallbackMessage(m); };
    if (!formIsMainForm())
        QMetaObject::invokeMethod(this, &TzTrayBase::hideMessage, Qt::QueuedConnection);
#if QT_CONFIG(sessionmanager)
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &manager) {
        if (formIsMainForm() && !QueryEndSession())
            manager.cancel();
    });
#endif
}

TzTrayBase::~TzTrayBase()
{
    if (FActive)
        DeleteIcon();
}

bool TzTrayBase::formIsMainForm() const
{
    return FForm && FForm == widgets::ApplicationMainForm();
}

void TzTrayBase::hideMessage()
{
    if (FForm && !formIsMainForm())
        FForm->setVisible(!FHideParentForm);
}

void TzTrayBase::PostRefresh()
{
    QMetaObject::invokeMethod(this, &TzTrayBase::ModifyIcon, Qt::QueuedConnection);
}

void TzTrayBase::SetHideParentForm(bool value)
{
    FHideParentForm = value;
    QMetaObject::invokeMethod(this, &TzTrayBase::hideMessage, Qt::QueuedConnection);
}

void TzTrayBase::SetActive(bool value)
{
    if (value == FActive)
        return;
    FActive = value;
    if (value)
        AddIcon();
    else
        DeleteIcon();
}

bool TzTrayBase::AddIcon()
{
    const bool added = FNotify.Add(FIcon, TipText());
    PostRefresh();
    return added;
}

void TzTrayBase::ModifyIcon()
{
    if (FActive)
        FNotify.Modify(FIcon, TipText());
}

void TzTrayBase::DeleteIcon()
{
    FNotify.Delete();
}

void TzTrayBase::SetIconImage(const QIcon &icon)
{
    FIcon = icon;
    ModifyIcon();
    PostRefresh();
}

Qt::KeyboardModifiers TzTrayBase::GetShift() const
{
    return QGuiApplication::queryKeyboardModifiers() &
           (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}

bool TzTrayBase::CheckMenu()
{
    if (!DoDefaultMenu || !FActive || !FPopupMenu || FPopupMenu->actions().isEmpty())
        return false;
    QAction *item = FPopupMenu->defaultAction();
    if (!item)
        return false;
    bool doDefault = true;
    if (OnDefaultMenu)
        OnDefaultMenu(*this, doDefault);
    if (doDefault)
        item->trigger();
    return true;
}

void TzTrayBase::CheckMenuPopup(QPoint point, bool left)
{
    QMenu *menu = left ? FLeftPopupMenu : FPopupMenu;
    if (!menu || !widgets::MenuAutoPopup(menu))
        return;
    menu->setProperty("PopupComponent", QVariant::fromValue(static_cast<QObject *>(this)));
    if (QWidget *main = widgets::ApplicationMainForm())
        main->activateWindow();
    if (left)
        Q_EMIT OnleftMenu();
    else
        Q_EMIT OnRightMenu();
    menu->popup(point);
}

void TzTrayBase::CallbackMessage(win::TrayMouseMessage message)
{
    const QPoint p = QCursor::pos();
    const Qt::KeyboardModifiers shift = GetShift();
    switch (message) {
    case win::WM_MOUSEMOVE:
        Q_EMIT OnMouseMove(shift, p.x(), p.y());
        break;
    case win::WM_LBUTTONDOWN:
        FLeftPressed = true;
        Q_EMIT OnMouseDown(Qt::LeftButton, shift, p.x(), p.y());
        break;
    case win::WM_LBUTTONUP:
        if (FLeftPressed) {
            FLeftPressed = false;
            Q_EMIT OnClick();
            CheckMenuPopup(p, true);
        }
        Q_EMIT OnMouseUp(Qt::LeftButton, shift, p.x(), p.y());
        break;
    case win::WM_LBUTTONDBLCLK:
        if (!CheckMenu())
            Q_EMIT OnDblClick();
        break;
    case win::WM_RBUTTONDOWN:
        FRightPressed = true;
        Q_EMIT OnMouseDown(Qt::RightButton, shift, p.x(), p.y());
        break;
    case win::WM_RBUTTONUP:
        if (FRightPressed) {
            FRightPressed = false;
            Q_EMIT OnRightClick(Qt::RightButton, shift, p.x(), p.y());
            CheckMenuPopup(p, false);
        }
        Q_EMIT OnMouseUp(Qt::RightButton, shift, p.x(), p.y());
        break;
    case win::WM_RBUTTONDBLCLK:
        Q_EMIT OnRightDblClick(Qt::RightButton, shift, p.x(), p.y());
        break;
    case win::WM_MBUTTONDOWN:
        FMiddlePressed = true;
        Q_EMIT OnMouseDown(Qt::MiddleButton, shift, p.x(), p.y());
        break;
    case win::WM_MBUTTONUP:
        if (FMiddlePressed) {
            FMiddlePressed = false;
            Q_EMIT OnMidClick(Qt::MiddleButton, shift, p.x(), p.y());
        }
        Q_EMIT OnMouseUp(Qt::MiddleButton, shift, p.x(), p.y());
        break;
    case win::WM_MBUTTONDBLCLK:
        Q_EMIT OnMidDblClick(Qt::MiddleButton, shift, p.x(), p.y());
        break;
    }
}

bool TzTrayBase::QueryEndSession()
{
    bool doEnd = true;
    if (OnAskEndSession)
        OnAskEndSession(doEnd);
    return doEnd;
}

TzTrayIcon::TzTrayIcon(QObject *owner) : TzTrayBase(owner) {}

void TzTrayIcon::SetIcon(const QIcon &icon)
{
    SetIconImage(icon);
}

void TzTrayIcon::SetToolTip(const QString &value)
{
    FToolTip = value.left(widgets::MaxTrayTip);
    ModifyIcon();
    PostRefresh();
}

TzcTrayMeter::TzcTrayMeter(QObject *owner) : TzTrayBase(owner)
{
    BuildIcon();
}

void TzcTrayMeter::SetMin(std::int32_t value)
{
    FRange.Min = std::min(value, INT32_MAX - 1);
    SetMax(FRange.Max);
}

void TzcTrayMeter::SetMax(std::int32_t value)
{
    FRange.Max = value > FRange.Min ? value : FRange.Min + 1;
    FRange.Value = std::clamp(FRange.Value, FRange.Min, FRange.Max);
    BuildIcon();
}

void TzcTrayMeter::SetValue(std::int32_t value)
{
    if (value == FRange.Value)
        return;
    FRange.Value = std::clamp(value, FRange.Min, FRange.Max);
    BuildIcon();
}

void TzcTrayMeter::SetPercent(std::uint8_t value)
{
    SetValue(FRange.ValueForPercent(value));
}

template <typename T> void TzcTrayMeter::setLook(T &field, T value)
{
    if (field == value)
        return;
    field = value;
    BuildIcon();
}

void TzcTrayMeter::SetToolTipStyle(TzcTrayHintStyle value)
{
    setLook(FStyle, value);
}

void TzcTrayMeter::SetDirection(TzcTMDir value)
{
    setLook(FLook.Direction, value);
}

void TzcTrayMeter::SetUsePctOnBar(bool value)
{
    setLook(FLook.UsePctOnBar, value);
}

void TzcTrayMeter::SetUseLed(bool value)
{
    setLook(FLook.UseLed, value);
}

void TzcTrayMeter::SetColor(vcl::TColor value)
{
    setLook(FLook.Color, value);
}

void TzcTrayMeter::SetFrameColor(vcl::TColor value)
{
    setLook(FLook.FrameColor, value);
}

void TzcTrayMeter::SetPctColor(vcl::TColor value)
{
    setLook(FLook.PctColor, value);
}

void TzcTrayMeter::SetBarColor(vcl::TColor value)
{
    setLook(FLook.BarColor, value);
}

void TzcTrayMeter::SetToolTip(const QString &value)
{
    FToolTip = value.left(widgets::MaxTrayTip);
    BuildIcon();
}

void TzcTrayMeter::BuildIcon()
{
    FPicture = widgets::MeterImage(FLook, FRange.Percent());
    if (!FToolTip.isEmpty()) {
        if (const auto tip = widgets::MeterTip(FToolTip, FStyle, FRange.Value, FRange.Percent()))
            FTipText = *tip;
    }
    SetIconImage(QIcon(QPixmap::fromImage(FPicture)));
}
