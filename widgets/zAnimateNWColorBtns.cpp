#include "widgets/zAnimateNWColorBtns.h"

#include "widgets/ButtonMenu.h"

#include <algorithm>

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace widgets {

TColor Grey(TColor color)
{
    const int sum = int(color & 0xFF) + int((color >> 8) & 0xFF) + int((color >> 16) & 0xFF);
    // A sum of integers over 3 is never a half, so this is the rounded mean.
    const auto g = std::uint8_t((sum + 1) / 3);
    return vcl::RGB(g, g, g) | 0x02000000;
}

TColor GlassOver(TColor background, TzGlassValue glass)
{
    return (background & 0xFFFFFF) | (Grey(vcl::RGB(glass, glass, glass)) & 0xFFFFFF);
}

} // namespace widgets

using widgets::TCanvas;
using widgets::TRect;

TzNWColorBtn::TzNWColorBtn(QWidget *parent) : ColorBtnBase(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    resize(89, 33);
    // Drawn on the parent's surface: below the parent's windowed controls.
    lower();
}

void TzNWColorBtn::SetColor(vcl::TColor value)
{
    if (value == FColor && !FParentColor)
        return;
    FColor = value;
    FParentColor = false;
    update();
}

void TzNWColorBtn::SetCaption(const QString &value)
{
    if (widgets::SetShown(this, FCaption, value))
        FKeys.SetCaption(value);
}

void TzNWColorBtn::SetTransparent(bool value)
{
    if (!widgets::SetShown(this, FTransparent, value))
        return;
    // Not opaque: Qt paints the parent under the button first.
    setAttribute(Qt::WA_OpaquePaintEvent, !value);
    FMouseIn = false;
    SetMouseIn();
}

void TzNWColorBtn::SetFlat(bool value)
{
    if (widgets::SetShown(this, FFlat, value))
        SetMouseIn();
}

void TzNWColorBtn::SetMove(bool value)
{
    if (widgets::SetShown(this, FMovement, value))
        SetMouseIn();
}

void TzNWColorBtn::SetFrame(bool value)
{
    if (widgets::SetShown(this, FFrame, value))
        SetMouseIn();
}

TRect TzNWColorBtn::CaptionRect() const
{
    const int W = width() - 1;
    const int H = height() - 1;
    const TRect rect{FLeftOffSet, FTopOffSet, W - (FLeftOffSet - 1), H - (FTopOffSet - 1)};
    return Moved() ? rect.Offset(1, 1) : rect;
}

void TzNWColorBtn::Refresh()
{
    update();
}

void TzNWColorBtn::CMMouseEnter()
{
    if (FFlat && !FMouseIn && isEnabled()) {
        FMouseIn = true;
        Refresh();
    }
    Q_EMIT OnMouseEnter();
}

void TzNWColorBtn::CMDialogChar()
{
    // Without a focus to take, enabled and shown is what it takes to click.
    if (isEnabled() && isVisible())
        Click();
}

void TzNWColorBtn::Click()
{
    QPointer<TzNWColorBtn> self(this);
    SetMouseIn();
    FPush.Reset();
    Refresh();
    if (self)
        Q_EMIT OnClick();
}

bool TzNWColorBtn::event(QEvent *e)
{
    if (FKeys.Match(e) == widgets::ButtonShortcuts::Accelerator) {
        CMDialogChar();
        return true;
    }
    return QWidget::event(e);
}

void TzNWColorBtn::mousePressEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    Q_EMIT OnMouseDown(e->button(), e->modifiers(), p.x(), p.y());
    if (e->button() != Qt::LeftButton || !isEnabled() || !InClient(p))
        return;
    // No focus taken; the pointer is in, whatever the hover state said.
    if (!FPush.down)
        FMouseIn = true;
    if (FPush.Press())
        Refresh();
}

void TzNWColorBtn::mouseDoubleClickEvent(QMouseEvent *e)
{
    // No double clicks: the second press is a press.
    mousePressEvent(e);
}

void TzNWColorBtn::PaintButton(TCanvas &canvas)
{
    const bool bevel = !FFlat || (FMouseIn && isEnabled()) || FPush.tracking || FPush.down;
    if (FFrame && bevel)
        widgets::PaintColorBtnBevel(canvas, width() - 1, height() - 1, 0, FPush.down,
                                    FShadowColor, FHighLightColor);
    PaintCaption(canvas);
}

void TzNWColorBtn::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || height() <= 0)
        return;
    QPainter painter(this);
    if (FTransparent) {
        // The backing store already holds the parent's pixels under us.
        if (FGlassValue > 0) {
            painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
            painter.fillRect(rect(), vcl::ToQColor(widgets::Grey(
                                         vcl::RGB(FGlassValue, FGlassValue, FGlassValue))));
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
        TCanvas canvas(painter);
        PaintButton(canvas);
    } else {
        QImage bitmap(width(), height(), QImage::Format_RGB32);
        {
            TCanvas offscreen(&bitmap);
            offscreen.Brush.Color = GetColor();
            offscreen.FillRect({0, 0, width(), height()});
            PaintButton(offscreen);
        }
        painter.drawImage(0, 0, bitmap);
    }
    TCanvas canvas(painter);
    FCanvas = &canvas;
    Q_EMIT OnPaint();
    FCanvas = nullptr;
}

TzNWBitColBtn::TzNWBitColBtn(QWidget *parent) : GlyphColorBtn(parent) {}

void TzNWBitColBtn::SetMargin(int value)
{
    value = std::max(0, value);
    if (value == FGlyphMargin)
        return;
    FGlyphMargin = value;
    SplitBitmap();
}

TzNWIconColBtn::TzNWIconColBtn(QWidget *parent) : IconColorBtn(parent)
{
    resize(140, 44);
}

void TzNWIconColBtn::SetMargin(int value)
{
    widgets::SetShown(this, FGlyphMargin, std::max(0, value));
}
