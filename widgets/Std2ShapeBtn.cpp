#include "widgets/Std2ShapeBtn.h"

#include "widgets/ButtonMenu.h"
#include "widgets/Std2WindowShape.h"
#include "widgets/zAnimate.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

using widgets::TCanvas;
using widgets::TRect;

TzcShapeColorBtn::TzcShapeColorBtn(QWidget *parent) : PushKeys(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    FTextSize.OnChange = [this] { update(); };
    resize(50, 50);
    ApplyShape();
}

void TzcShapeColorBtn::SetDefault(bool value)
{
    FDefault = value;
    // Every shape button of the window decides again which one is active.
    QWidget *form = window();
    QWidget *focused = form->focusWidget();
    for (TzcShapeColorBtn *button : form->findChildren<TzcShapeColorBtn *>())
        button->CMFocusChanged(focused);
    if (auto *self = qobject_cast<TzcShapeColorBtn *>(form))
        self->CMFocusChanged(focused);
}

void TzcShapeColorBtn::SetCancel(bool value)
{
    FCancel = value;
    FKeys.SetDialogKeys(FActive, FCancel);
}

void TzcShapeColorBtn::SetShape(sbType value)
{
    if (widgets::SetShown(this, FShape, value))
        ApplyShape();
}

void TzcShapeColorBtn::SetCaption(const QString &value)
{
    if (widgets::SetShown(this, FCaption, value))
        FKeys.SetCaption(value);
}

void TzcShapeColorBtn::SetOnGetRegion(TsbGetRegEvent handler)
{
    FOnGetRegion = std::move(handler);
    ApplyShape();
}

void TzcShapeColorBtn::SetOnOwnerDraw(TsbShapeDrawEvent handler)
{
    FOnOwnerDraw = std::move(handler);
    update();
}

QRegion TzcShapeColorBtn::RgnFromShape(int Width, int Height)
{
    return widgets::ShapeQRegion(FShape, Width, Height, widgets::ShapeVariant::Windowed,
                                 FOnGetRegion, this);
}

void TzcShapeColorBtn::ApplyShape()
{
    FShapeRgn = RgnFromShape(width(), height());
    FRgn = FShapeRgn;
    // An empty mask would show the whole rectangle: keep nothing instead.
    widgets::SetWindowMask(*this, FShapeRgn.isEmpty() ? QRegion(-1, -1, 1, 1) : FShapeRgn);
}

void TzcShapeColorBtn::ReshapeLater()
{
    if (FReshapePending)
        return;
    FReshapePending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            FReshapePending = false;
            ApplyShape();
        },
        Qt::QueuedConnection);
}

void TzcShapeColorBtn::SetButtonStyle(bool) {}

void TzcShapeColorBtn::CMFocusChanged(QWidget *focused)
{
    FActive = widgets::ActiveAfterFocus(this, focused, FDefault);
    SetButtonStyle(FActive);
    FKeys.SetDialogKeys(FActive, FCancel);
    if (!hasFocus())
        FPush.Reset();
    update();
}

void TzcShapeColorBtn::Click()
{
    FPush.Reset();
    repaint();
    widgets::ClickInDialog(this, FModalResult, [this] { Q_EMIT OnClick(); });
}

bool TzcShapeColorBtn::event(QEvent *e)
{
    switch (const auto hit = FKeys.Match(e)) {
    case widgets::ButtonShortcuts::Accelerator:
        if (CanFocus())
            Click();
        return true;
    case widgets::ButtonShortcuts::Return:
    case widgets::ButtonShortcuts::Escape:
        if (widgets::ButtonShortcuts::OwnDialogKey(hit, FActive, FCancel) && CanFocus())
            Click();
        return true;
    case widgets::ButtonShortcuts::None:
        break;
    }
    if (e->type() == QEvent::Polish) {
        // Once, when the control is first readied for showing.
        FActive = FDefault;
        FKeys.SetDialogKeys(FActive, FCancel);
    }
    return QWidget::event(e);
}

void TzcShapeColorBtn::Press(bool click)
{
    const bool changed = FPush.Press();
    if (!click)
        FPush.PressWithoutClick();
    if (changed) {
        setFocus(Qt::MouseFocusReason);
        repaint();
    }
}

void TzcShapeColorBtn::mousePressEvent(QMouseEvent *e)
{
    // The mask keeps real presses inside the shape; others are the parent's.
    const QPoint p = e->position().toPoint();
    if (!HitTest(p)) {
        e->ignore();
        return;
    }
    Q_EMIT OnMouseDown(e->button(), e->modifiers(), p.x(), p.y());
    if (e->button() == Qt::LeftButton && isEnabled())
        Press(true);
}

void TzcShapeColorBtn::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton || !HitTest(e->position().toPoint())) {
        QWidget::mouseDoubleClickEvent(e);
        return;
    }
    // The second press of a double click: no click on its release.
    FPush.PressWithoutClick();
    QPointer<TzcShapeColorBtn> self(this);
    Q_EMIT OnDblClick();
    if (!self || FPush.tracking)
        return;
    const QPoint p = e->position().toPoint();
    Q_EMIT OnMouseDown(e->button(), e->modifiers(), p.x(), p.y());
    if (self && isEnabled())
        Press(false);
}

void TzcShapeColorBtn::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    if (FPush.Move(HitTest(p)))
        repaint();
    Q_EMIT OnMouseMove(e->buttons(), e->modifiers(), p.x(), p.y());
}

void TzcShapeColorBtn::mouseReleaseEvent(QMouseEvent *e)
{
    QPointer<TzcShapeColorBtn> self(this);
    const QPoint p = e->position().toPoint();
    // Inside the shape, not merely the rectangle: what the face showed.
    if (e->button() == Qt::LeftButton && FPush.ReleaseClicks(HitTest(p)))
        Click();
    else if (e->button() == Qt::RightButton)
        widgets::OpenButtonMenu(this, FPopupMenu);
    if (!self)
        return;
    Q_EMIT OnMouseUp(e->button(), e->modifiers(), p.x(), p.y());
    if (FPush.EndTracking())
        repaint();
}

void TzcShapeColorBtn::WmKeyDown()
{
    if (FPush.down)
        return;
    setFocus(Qt::OtherFocusReason);
    FPush.SpaceDown();
    repaint();
}

void TzcShapeColorBtn::WmKeyUp()
{
    if (!FPush.SpaceUpClicks())
        return;
    QPointer<TzcShapeColorBtn> self(this);
    Click();
    if (!self)
        return;
    FPush.down = false;
    repaint();
}

void TzcShapeColorBtn::changeEvent(QEvent *e)
{
    if (widgets::ChangesFace(e))
        update();
    QWidget::changeEvent(e);
}

void TzcShapeColorBtn::contextMenuEvent(QContextMenuEvent *e)
{
    widgets::ButtonContextMenu(this, FPopupMenu, e);
}

void TzcShapeColorBtn::resizeEvent(QResizeEvent *e)
{
    ApplyShape();
    QWidget::resizeEvent(e);
}

void TzcShapeColorBtn::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || height() <= 0)
        return;
    if (!isEnabled())
        FPush.Reset();
    // The region is asked for at every paint, OnGetRegion's too; a region
    // that differs from the window's is cut after the paint, never in it.
    FRgn = RgnFromShape(width(), height());
    if (FRgn != FShapeRgn)
        ReshapeLater();
    QImage bitmap(width(), height(), QImage::Format_RGB32);
    {
        TCanvas canvas(&bitmap);
        FCanvas = &canvas;
        Paint();
        FCanvas = nullptr;
    }
    QPainter painter(this);
    painter.drawImage(0, 0, bitmap);
    TCanvas canvas(painter);
    FCanvas = &canvas;
    Q_EMIT OnPaint();
    FCanvas = nullptr;
}

void TzcShapeColorBtn::Paint()
{
    FCanvas->Brush.Color = FColor;
    FCanvas->Brush.Style = widgets::bsSolid;
    FCanvas->Pen.Width = 1;
    if (widgets::ShapeAlias(FShape) == sbOwnerDraw && FOnOwnerDraw) {
        FOnOwnerDraw(this, *FCanvas, FPush.down, width(), height(), FShadowColor, FHighLightColor);
        return;
    }
    DrawShape(FShape);
}

void TzcShapeColorBtn::DrawEdge(const widgets::ShapeStrokes &strokes)
{
    TCanvas &canvas = *FCanvas;
    canvas.Pen.Style = widgets::psClear;
    canvas.Brush.Style = widgets::bsSolid;
    canvas.Brush.Color = FColor;
    canvas.FillRect({0, 0, width(), height()});
    PaintLook(canvas);
    widgets::DrawShapeStrokes(canvas, strokes, FPush.down, FShadowColor, FHighLightColor);
}

void TzcShapeColorBtn::PaintLook(TCanvas &canvas)
{
    const TRect box = FTextSize.Rect();
    const bool pressed = FPush.down && isEnabled();
    canvas.Font = widgets::TFont(font(), FFontColor);
    if (FDefaultLook == dlfBold) {
        // The whole style is replaced, as the default look has always done.
        canvas.Font.setBold(hasFocus() || FDefault);
        canvas.Font.setItalic(false);
        canvas.Font.setUnderline(false);
        canvas.Font.setStrikeOut(false);
    }
    canvas.Brush.Style = widgets::bsClear;
    widgets::PaintColorBtnCaption(
        canvas, FCaption, pressed ? box.Offset(1, 1) : box,
        widgets::ColorBtnTextFlags(FHorzAlign, FAlignment, FMultipleLines, FWordWrap), isEnabled());
    if (hasFocus() && isEnabled() && FShowFocus) {
        canvas.Brush.Style = widgets::bsSolid;
        canvas.DrawFocusRect((FPush.down ? box.Offset(1, 1) : box).Inflated(3, 3));
    }
}
