#include "widgets/zAnimate.h"

#include "widgets/ButtonGlyphs.h"
#include "widgets/ButtonMenu.h"
#include "widgets/ButtonProperty.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace widgets {

void PaintColorBtnBevel(TCanvas &canvas, int W, int H, int d, bool down, TColor shadow,
                        TColor highlight)
{
    canvas.Pen.Width = 1;
    canvas.Pen.Style = psSolid;
    canvas.Pen.Color = shadow;
    canvas.Polyline({{d, H - d}, {d, d}, {W - d, d}});
    canvas.Polyline({{W - 1 - d, d + 1}, {W - 1 - d, H - 1 - d}, {d, H - 1 - d}});
    canvas.Pen.Color = down ? vcl::clBlack : highlight;
    canvas.Polyline({{d + 1, H - d}, {d + 1, d + 1}, {W - d, d + 1}});
    canvas.Pen.Color = down ? highlight : vcl::clBlack;
    // Starts at -d: above the bitmap inside a default frame, which covers that
    // column's top pixel anyway.
    canvas.Polyline({{W - d, -d}, {W - d, H - d}, {d, H - d}});
}

unsigned ColorBtnTextFlags(zbHorzAlign vertical, TAlignment horizontal, bool multipleLines,
                           bool wordWrap)
{
    unsigned flags = 0;
    switch (vertical) {
    case zbha_Center:
        flags |= dtVCenter;
        break;
    case zbha_Top:
        flags |= dtTop;
        break;
    case zbha_Bottom:
        flags |= dtBottom;
        break;
    }
    if (!multipleLines)
        flags |= dtSingleLine;
    if (wordWrap)
        flags |= dtWordBreak;
    if (horizontal == taRightJustify)
        flags |= dtRight;
    else if (horizontal == taCenter)
        flags |= dtCenter;
    return flags;
}

void PaintColorBtnCaption(TCanvas &canvas, const QString &caption, const TRect &rect,
                          unsigned flags, bool enabled, const std::function<void()> &under)
{
    if (enabled) {
        if (under)
            under();
        canvas.DrawText(caption, rect, flags);
        return;
    }
    const TColor fontColor = canvas.Font.Color;
    canvas.Font.Color = vcl::clWhite;
    canvas.DrawText(caption, rect.Offset(1, 1), flags);
    if (under)
        under();
    canvas.Font.Color = vcl::clGray;
    canvas.DrawText(caption, rect, flags);
    canvas.Font.Color = fontColor;
}

ColorBtnBase::ColorBtnBase(QWidget *parent) : HoverEvents(parent) {}

vcl::TColor ColorBtnBase::GetColor() const
{
    if (!FParentColor)
        return FColor;
    if (const QWidget *parent = parentWidget())
        return vcl::FromQColor(parent->palette().color(parent->backgroundRole()));
    return vcl::clBtnFace;
}

void ColorBtnBase::SetCaptionFont(TCanvas &canvas) const
{
    canvas.Font = TFont(font(), FFontColor);
}

unsigned ColorBtnBase::CaptionFlags() const
{
    return ColorBtnTextFlags(FHorzAlign, FAlignment, FMultipleLines, FWordWrap);
}

void ColorBtnBase::PaintCaption(TCanvas &canvas)
{
    SetCaptionFont(canvas);
    canvas.Brush.Style = bsClear;
    PaintColorBtnCaption(canvas, FCaption, CaptionRect(), CaptionFlags(), isEnabled());
}

void ColorBtnBase::PaintGlyphCaption(TCanvas &canvas, const GlyphStrip &strip, tBitWhere where,
                                     bool textOnTop, int margin,
                                     const std::function<void(QPoint, const QImage &)> &draw)
{
    const QImage &up = strip.Images().up;
    TRect rect = CaptionRect();
    if (!textOnTop)
        rect = CaptionBesideGlyph(rect, where, PictureRoom(up.width(), margin));
    const bool moved = FPush.down && PressMoves();
    const QPoint at = GlyphPosition(width() - 1, height() - 1, up.width(), up.height(), where,
                                    margin, moved && isEnabled(), moved);
    const QImage &image = strip.ImageFor(FPush.down, isEnabled(), FFlat && FMouseIn);
    SetCaptionFont(canvas);
    canvas.Brush.Style = bsClear;
    PaintColorBtnCaption(canvas, FCaption, rect, CaptionFlags(), isEnabled(),
                         [&] { draw(at, image); });
}

void ColorBtnBase::PaintIconCaption(TCanvas &canvas, const QPixmap &icon, QSize size,
                                    tBitWhere where, int margin)
{
    // The caption always makes room for the icon and lies under it.
    SetCaptionFont(canvas);
    canvas.Brush.Style = bsClear;
    PaintColorBtnCaption(
        canvas, FCaption,
        CaptionBesideGlyph(CaptionRect(), where, PictureRoom(size.width(), margin)), CaptionFlags(),
        isEnabled());
    if (icon.width() > 0) {
        const bool moved = FPush.down && PressMoves();
        const QPoint at = GlyphPosition(width() - 1, height() - 1, size.width(), size.height(),
                                        where, margin, moved && isEnabled(), moved);
        canvas.Draw(at.x(), at.y(), icon.toImage());
    }
}

void ColorBtnBase::SetMouseIn()
{
    if (!FFlat || !isEnabled())
        return;
    if (QApplication::widgetAt(QCursor::pos()) != this) {
        FMouseIn = true;
        CMMouseLeave();
    } else {
        FMouseIn = false;
        CMMouseEnter();
    }
}

void ColorBtnBase::CMMouseLeave()
{
    if (FFlat && FMouseIn && !FPush.tracking) {
        FMouseIn = false;
        update();
    }
    Q_EMIT OnMouseLeave();
}

void ColorBtnBase::WmrButtonUp()
{
    OpenButtonMenu(
        this, FPopupMenu, FFlat,
        [this] {
            FMouseIn = false;
            repaint();
        },
        [this] { SetMouseIn(); });
}

void ColorBtnBase::MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)
{
    Q_EMIT OnMouseUp(Button, Shift, X, Y);
    if (!FPush.EndTracking())
        return;
    ShowPressed();
    SetMouseIn();
}

void ColorBtnBase::mouseReleaseEvent(QMouseEvent *e)
{
    QPointer<ColorBtnBase> self(this);
    const QPoint p = e->position().toPoint();
    if (e->button() == Qt::LeftButton) {
        if (FPush.ReleaseClicks(rect().contains(p)))
            Click();
    } else if (e->button() == Qt::RightButton) {
        WmrButtonUp();
    }
    if (self)
        MouseUp(e->button(), e->modifiers(), p.x(), p.y());
}

void ColorBtnBase::mouseMoveEvent(QMouseEvent *e)
{
    if (!FMouseIn)
        SetMouseIn();
    const QPoint p = e->position().toPoint();
    if (FPush.Move(rect().contains(p)))
        ShowPressed();
    Q_EMIT OnMouseMove(e->buttons(), e->modifiers(), p.x(), p.y());
}

void ColorBtnBase::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::EnabledChange)
        SetMouseIn();
    if (ChangesFace(e))
        update();
    HoverEvents::changeEvent(e);
}

void ColorBtnBase::contextMenuEvent(QContextMenuEvent *e)
{
    ButtonContextMenu(this, FPopupMenu, e);
}

} // namespace widgets

using widgets::TCanvas;
using widgets::TRect;

TzColorBtn::TzColorBtn(QWidget *parent) : PushKeys(parent)
{
    // The paint covers every pixel: no background erase.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    resize(89, 33);
}

// The live view writes the colour on every status answer: only a new face
// colour repaints.
void TzColorBtn::SetColor(vcl::TColor value)
{
    const vcl::TColor shown = GetColor();
    FColor = value;
    FParentColor = false;
    if (value != shown)
        update();
}

void TzColorBtn::SetParentColor(bool value)
{
    const vcl::TColor shown = GetColor();
    FParentColor = value;
    if (GetColor() != shown)
        update();
}

void TzColorBtn::SetFocusRect(bool value)
{
    if (value == FShowFocus)
        return;
    FShowFocus = value;
    update();
}

void TzColorBtn::SetDefLook(TzcDefLook value)
{
    if (value == FDefLook)
        return;
    FDefLook = value;
    update();
}

void TzColorBtn::SetFlat(bool value)
{
    if (value == FFlat)
        return;
    FFlat = value;
    SetMouseIn();
    update();
}

void TzColorBtn::SetAutoFocus(bool value)
{
    FAutoFocus = value;
}

void TzColorBtn::SetHorzAlign(zbHorzAlign value)
{
    if (value == FHorzAlign)
        return;
    FHorzAlign = value;
    update();
}

void TzColorBtn::SetMultipleLines(bool value)
{
    if (value == FMultipleLines)
        return;
    FMultipleLines = value;
    update();
}

void TzColorBtn::SetWordWrap(bool value)
{
    if (value == FWordWrap)
        return;
    FWordWrap = value;
    update();
}

void TzColorBtn::SetAlign(widgets::TAlignment value)
{
    if (value == FAlignment)
        return;
    FAlignment = value;
    update();
}

void TzColorBtn::SetHigh(vcl::TColor value)
{
    if (value == FHighLightColor)
        return;
    FHighLightColor = value;
    update();
}

void TzColorBtn::SetShadow(vcl::TColor value)
{
    if (value == FShadowColor)
        return;
    FShadowColor = value;
    update();
}

void TzColorBtn::SetCancel(bool value)
{
    FCancel = value;
    UpdateDialogKeys();
}

void TzColorBtn::SetModalresult(int value)
{
    FModalResult = value;
}

void TzColorBtn::SetDefault(bool value)
{
    FDefault = value;
    // Every colour button of the form re-decides which one is active.
    QWidget *form = window();
    QWidget *focused = form->focusWidget();
    const QList<TzColorBtn *> buttons = form->findChildren<TzColorBtn *>();
    if (auto *self = qobject_cast<TzColorBtn *>(form))
        self->CMFocusChanged(focused);
    for (TzColorBtn *button : buttons)
        button->CMFocusChanged(focused);
}

void TzColorBtn::SetCaption(const QString &value)
{
    if (value == FCaption)
        return;
    FCaption = value;
    UpdateAccelerator();
    update();
}

void TzColorBtn::SetFontColor(vcl::TColor value)
{
    if (value == FFontColor)
        return;
    FFontColor = value;
    update();
}

void TzColorBtn::SetTabStop(bool value)
{
    FTabStop = value;
    setFocusPolicy(value ? Qt::StrongFocus : Qt::ClickFocus);
}

void TzColorBtn::SetPopupMenu(QMenu *menu)
{
    FPopupMenu = menu;
}

bool TzColorBtn::CanFocus() const
{
    return isVisible() && isEnabled();
}

bool TzColorBtn::InClient(int x, int y) const
{
    return x >= 0 && x < width() && y >= 0 && y < height();
}

void TzColorBtn::RepaintNow()
{
    repaint();
}

void TzColorBtn::UpdateAccelerator()
{
    FKeys.SetCaption(FCaption);
}

void TzColorBtn::UpdateDialogKeys()
{
    FKeys.SetDialogKeys(FActive, FCancel);
}

void TzColorBtn::CreateWnd()
{
    FButtonStyleDefault = FDefault;
    FActive = FDefault;
    UpdateDialogKeys();
}

void TzColorBtn::SetButtonStyle(bool ADefault)
{
    if (ADefault == FButtonStyleDefault)
        return;
    FButtonStyleDefault = ADefault;
    update();
}

void TzColorBtn::Click()
{
    FMouseIn = false;
    SetMouseIn();
    FPush.Reset();
    RepaintNow();
    widgets::ClickInDialog(this, FModalResult, [this] { Q_EMIT OnClick(); });
}

void TzColorBtn::MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)
{
    Q_EMIT OnMouseDown(Button, Shift, X, Y);
    if (Button != Qt::LeftButton || !isEnabled() || !InClient(X, Y))
        return;
    if (!FPush.down)
        setFocus(Qt::MouseFocusReason);
    if (FPush.Press())
        RepaintNow();
}

void TzColorBtn::CMMouseEnter()
{
    if (FFlat && !FMouseIn && isEnabled()) {
        FMouseIn = true;
        RepaintNow();
    }
    if (FAutoFocus && !hasFocus() && CanFocus())
        setFocus(Qt::MouseFocusReason);
    Q_EMIT OnMouseEnter();
}

void TzColorBtn::CMFocusChanged(QWidget *focused)
{
    FActive = widgets::ActiveAfterFocus(this, focused, FDefault);
    SetButtonStyle(FActive);
    UpdateDialogKeys();
    if (!hasFocus())
        FPush.Reset();
    SetMouseIn();
    update();
}

void TzColorBtn::CMDialogKey(int key)
{
    const auto hit = key == Qt::Key_Escape ? widgets::ButtonShortcuts::Escape
                                           : widgets::ButtonShortcuts::Return;
    if (widgets::ButtonShortcuts::OwnDialogKey(hit, FActive, FCancel) && CanFocus())
        Click();
}

void TzColorBtn::CMDialogChar()
{
    if (CanFocus())
        Click();
}

void TzColorBtn::WmKeyDown()
{
    if (FPush.down)
        return;
    setFocus(Qt::OtherFocusReason);
    SetMouseIn();
    FPush.SpaceDown();
    RepaintNow();
}

void TzColorBtn::WmKeyUp()
{
    if (!FPush.SpaceUpClicks())
        return;
    QPointer<TzColorBtn> self(this);
    Click();
    if (!self)
        return;
    FPush.down = false;
    SetMouseIn();
    RepaintNow();
}

bool TzColorBtn::event(QEvent *e)
{
    switch (e->type()) {
    case QEvent::Polish:
        CreateWnd();
        break;
    default:
        break;
    }
    switch (FKeys.Match(e)) {
    case widgets::ButtonShortcuts::Accelerator:
        CMDialogChar();
        return true;
    case widgets::ButtonShortcuts::Return:
        CMDialogKey(Qt::Key_Return);
        return true;
    case widgets::ButtonShortcuts::Escape:
        CMDialogKey(Qt::Key_Escape);
        return true;
    case widgets::ButtonShortcuts::None:
        break;
    }
    return QWidget::event(e);
}

void TzColorBtn::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    TCanvas canvas(painter);
    FCanvas = &canvas;
    Paint();
    FCanvas = nullptr;
}

void TzColorBtn::Paint()
{
    // Only from the paint event, which provides the control's canvas.
    if (!FCanvas || width() <= 0 || height() <= 0)
        return;
    QImage bitmap(width(), height(), QImage::Format_RGB32);
    {
        TCanvas offscreen(&bitmap);
        PaintButton(offscreen);
    }
    FCanvas->Draw(0, 0, bitmap);
    Q_EMIT OnPaint();
}

bool TzColorBtn::MarkedDefault() const
{
    return hasFocus() || FDefault;
}

int TzColorBtn::BevelInset() const
{
    return FDefLook == dlFrame && MarkedDefault() ? 1 : 0;
}

bool TzColorBtn::BevelShown() const
{
    return !FFlat || (FMouseIn && isEnabled()) || FPush.tracking || FPush.down;
}

void TzColorBtn::PaintFace(TCanvas &canvas)
{
    canvas.FillRect({0, 0, width(), height()});
}

void TzColorBtn::PaintDefaultFrame(TCanvas &canvas) const
{
    const int W = width() - 1;
    const int H = height() - 1;
    canvas.Pen.Color = vcl::clBlack;
    canvas.Polyline({{0, 0}, {W, 0}, {W, H}, {0, H}, {0, 0}});
}

TRect TzColorBtn::CaptionRect() const
{
    const TRect rect{5, 5, width() - 1 - 4, height() - 1 - 4};
    return isEnabled() && FPush.down ? rect.Offset(1, 1) : rect;
}

void TzColorBtn::SetCaptionFont(TCanvas &canvas) const
{
    canvas.Font = widgets::TFont(font(), FFontColor);
    if (FDefLook == dlBold) {
        // The whole style is replaced, as the default look has always done.
        canvas.Font.setBold(MarkedDefault());
        canvas.Font.setItalic(false);
        canvas.Font.setUnderline(false);
        canvas.Font.setStrikeOut(false);
    }
}

void TzColorBtn::PaintFocus(TCanvas &canvas, int d) const
{
    if (!hasFocus() || !isEnabled() || !FShowFocus)
        return;
    canvas.Brush.Style = widgets::bsSolid;
    canvas.DrawFocusRect(TRect{0, 0, width(), height()}.Inflated(-(3 + d), -(3 + d)));
}

void TzColorBtn::PaintButton(TCanvas &canvas)
{
    const int W = width() - 1;
    const int H = height() - 1;
    const int d = BevelInset();
    canvas.Brush.Color = GetColor();
    canvas.Brush.Style = widgets::bsSolid;
    canvas.Pen.Width = 1;
    PaintFace(canvas);
    if (BevelShown())
        widgets::PaintColorBtnBevel(canvas, W, H, d, FPush.down, FShadowColor, FHighLightColor);
    if (FDefLook == dlFrame && MarkedDefault())
        PaintDefaultFrame(canvas);
    PaintCaption(canvas);
    PaintFocus(canvas, d);
}

void TzColorBtn::mousePressEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    MouseDown(e->button(), e->modifiers(), p.x(), p.y());
}

void TzColorBtn::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(e);
        return;
    }
    // The second press of a double click: no click on its release.
    FPush.PressWithoutClick();
    QPointer<TzColorBtn> self(this);
    Q_EMIT OnDblClick();
    // The press itself normally came just before; only stand in for it when not.
    if (self && !FPush.tracking) {
        const QPoint p = e->position().toPoint();
        MouseDown(e->button(), e->modifiers(), p.x(), p.y());
        FPush.PressWithoutClick();
    }
}

void TzColorBtn::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::StyleChange)
        update();
    PushKeys::changeEvent(e);
}
