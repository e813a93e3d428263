#include "widgets/zAnimateShapeBtn.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

using widgets::TCanvas;

TzShapeBtn::TzShapeBtn(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    resize(25, 25);
    FRgn = RgnFromShape();
    // Drawn on the parent's surface: below the parent's windowed controls.
    lower();
}

QChar TzShapeBtn::AcceleratorKey() const
{
    return FAccelText.size() >= 2 ? FAccelText[1] : QChar(u' ');
}

void TzShapeBtn::SetAccelText(const QString &text)
{
    if (text == FAccelText)
        return;
    FAccelText = text;
    FKeys.SetCaption(text);
}

void TzShapeBtn::SetAcceleratorKey(QChar value)
{
    SetAccelText(value == u' ' ? QString() : QStringLiteral("&") + value);
}

void TzShapeBtn::SetShape(sbType value)
{
    if (value == FShape)
        return;
    FShape = value;
    // A plus or minus button answers to its sign; other shapes to nothing.
    SetAccelText(value == sbPlus ? QStringLiteral("&+")
                 : value == sbMinus ? QStringLiteral("&-")
                                    : QString());
    FRgn = RgnFromShape();
    update();
}

void TzShapeBtn::SetHigh(vcl::TColor value)
{
    if (value == FHighLightColor)
        return;
    FHighLightColor = value;
    update();
}

void TzShapeBtn::SetShadow(vcl::TColor value)
{
    if (value == FShadowColor)
        return;
    FShadowColor = value;
    update();
}

void TzShapeBtn::SetTransparent(bool value)
{
    if (value == FTransparent)
        return;
    FTransparent = value;
    update();
}

void TzShapeBtn::SetColor(vcl::TColor value)
{
    if (value == FColor)
        return;
    FColor = value;
    update();
}

void TzShapeBtn::SetOnGetRegion(TsbGetRegEvent handler)
{
    FOnGetRegion = std::move(handler);
    FRgn = RgnFromShape();
    update();
}

void TzShapeBtn::SetOnOwnerDraw(TsbDrawEvent handler)
{
    FOnOwnerDraw = std::move(handler);
    update();
}

QRegion TzShapeBtn::RgnFromShape()
{
    return widgets::ShapeQRegion(FShape, width(), height(), widgets::ShapeVariant::Windowless,
                                 FOnGetRegion, this);
}

void TzShapeBtn::Click()
{
    if (FPush.down)
        Q_EMIT OnClick();
}

bool TzShapeBtn::event(QEvent *e)
{
    if (FKeys.Match(e) == widgets::ButtonShortcuts::Accelerator) {
        // Straight to OnClick, without the pressed test; never when hidden.
        if (isEnabled() && isVisible())
            Q_EMIT OnClick();
        return true;
    }
    return QWidget::event(e);
}

void TzShapeBtn::mousePressEvent(QMouseEvent *e)
{
    // Outside the shape the press belongs to whatever lies below.
    if (!FRgn.contains(e->position().toPoint())) {
        e->ignore();
        return;
    }
    if (e->button() == Qt::LeftButton && isEnabled() && FPush.Press())
        repaint();
}

void TzShapeBtn::mouseMoveEvent(QMouseEvent *e)
{
    if (FPush.Move(FRgn.contains(e->position().toPoint())))
        repaint();
}

void TzShapeBtn::mouseReleaseEvent(QMouseEvent *e)
{
    if (!FPush.tracking)
        return;
    QPointer<TzShapeBtn> self(this);
    // Decided by where the button is let go, not by the last move.
    const bool inside = FRgn.contains(e->position().toPoint());
    FPush.Move(inside);
    if (e->button() == Qt::LeftButton && FPush.ReleaseClicks(inside))
        Click();
    if (self && FPush.EndTracking())
        repaint();
}

void TzShapeBtn::enterEvent(QEnterEvent *)
{
    Q_EMIT OnMouseEnter();
}

void TzShapeBtn::leaveEvent(QEvent *)
{
    Q_EMIT OnMouseLeave();
}

void TzShapeBtn::changeEvent(QEvent *e)
{
    switch (e->type()) {
    case QEvent::EnabledChange:
    case QEvent::FontChange:
    case QEvent::PaletteChange:
        update();
        break;
    default:
        break;
    }
    QWidget::changeEvent(e);
}

void TzShapeBtn::resizeEvent(QResizeEvent *e)
{
    FRgn = RgnFromShape();
    QWidget::resizeEvent(e);
}

void TzShapeBtn::paintEvent(QPaintEvent *)
{
    if (!isEnabled())
        FPush.Reset();
    QPainter painter(this);
    TCanvas canvas(painter);
    FCanvas = &canvas;
    if (!FTransparent)
        Paint();
    Q_EMIT OnPaint();
    FCanvas = nullptr;
}

void TzShapeBtn::Paint()
{
    FCanvas->Brush.Color = GetColor();
    FCanvas->Pen.Width = 1;
    if (widgets::ShapeAlias(FShape) == sbOwnerDraw && FOnOwnerDraw) {
        FOnOwnerDraw(this, *FCanvas, FPush.down, width(), height(), FRgn, FShadowColor,
                     FHighLightColor);
        return;
    }
    DrawShape(FShape);
}

void TzShapeBtn::DrawEdge(const widgets::ShapeStrokes &strokes)
{
    // The face covers the shape only; the parent shows around it.
    QPainter &painter = FCanvas->Painter();
    painter.save();
    painter.setClipRegion(FRgn);
    painter.fillRect(rect(), vcl::ToQColor(GetColor()));
    painter.restore();
    widgets::DrawShapeStrokes(*FCanvas, strokes, FPush.down, FShadowColor, FHighLightColor);
}
