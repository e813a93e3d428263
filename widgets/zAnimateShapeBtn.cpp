#include "widgets/zAnimateShapeBtn.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

using widgets::TCanvas;

TzShapeBtn::TzShapeBtn(QWidget *parent) : PushButtonBase(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
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
    if (!widgets::SetShown(this, FShape, value))
        return;
    // A plus or minus button answers to its sign; other shapes to nothing.
    SetAccelText(value == sbPlus ? QStringLiteral("&+")
                 : value == sbMinus ? QStringLiteral("&-")
                                    : QString());
    FRgn = RgnFromShape();
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
    const QPoint p = e->position().toPoint();
    // Outside the shape the press belongs to whatever lies below.
    if (!FRgn.contains(p)) {
        e->ignore();
        return;
    }
    Q_EMIT OnMouseDown(e->button(), e->modifiers(), p.x(), p.y());
    if (e->button() == Qt::LeftButton && isEnabled() && FPush.Press())
        repaint();
}

void TzShapeBtn::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    const bool inside = FRgn.contains(p);
    SetMouseInShape(inside);
    // Without a press of its own the pointer outside the shape is the parent's.
    if (!inside && e->buttons() == Qt::NoButton) {
        e->ignore();
        return;
    }
    if (FPush.Move(inside))
        repaint();
    Q_EMIT OnMouseMove(e->buttons(), e->modifiers(), p.x(), p.y());
}

void TzShapeBtn::mouseReleaseEvent(QMouseEvent *e)
{
    QPointer<TzShapeBtn> self(this);
    const QPoint p = e->position().toPoint();
    // Decided by where the button is let go, not by the last move.
    const bool inside = FRgn.contains(p);
    if (FPush.tracking) {
        FPush.Move(inside);
        if (e->button() == Qt::LeftButton && FPush.ReleaseClicks(inside))
            Click();
    }
    if (!self)
        return;
    Q_EMIT OnMouseUp(e->button(), e->modifiers(), p.x(), p.y());
    if (FPush.EndTracking())
        repaint();
}

void TzShapeBtn::SetMouseInShape(bool inside)
{
    if (inside == FMouseInShape)
        return;
    FMouseInShape = inside;
    if (inside)
        Q_EMIT OnMouseEnter();
    else
        Q_EMIT OnMouseLeave();
}

void TzShapeBtn::enterEvent(QEnterEvent *e)
{
    SetMouseInShape(FRgn.contains(e->position().toPoint()));
}

void TzShapeBtn::leaveEvent(QEvent *)
{
    SetMouseInShape(false);
}

void TzShapeBtn::changeEvent(QEvent *e)
{
    if (widgets::ChangesFace(e))
        update();
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
    FRgn = RgnFromShape();
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
