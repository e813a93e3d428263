#include "widgets/Std2BitmapButtons.h"

#include "widgets/Std2WindowShape.h"
#include "widgets/zAnimate.h"
#include "widgets/zAnimateFastBmp.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace widgets {

void PaintFancyFace(TCanvas &canvas, QSize size, TColor color, const QImage &glyph, QPoint offset,
                    TColor transparent, const FancyCaption &caption)
{
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = color;
    canvas.Pen.Width = 1;
    canvas.FillRect({0, 0, size.width(), size.height()});
    if (!glyph.isNull())
        TransparentBlt(canvas, glyph, offset.x(), offset.y(), transparent);
    canvas.Font = caption.Font;
    canvas.Brush.Style = bsClear;
    PaintColorBtnCaption(canvas, caption.Text, caption.Rect, caption.Flags, caption.Enabled);
}

} // namespace widgets

using widgets::TCanvas;

TzcFancyBase::TzcFancyBase(QWidget *parent) : QWidget(parent)
{
    // The face covers every pixel: no background erase.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    // OnMouseMove reports moves without a button held too.
    setMouseTracking(true);
    resize(89, 33);
}

void TzcFancyBase::AddState(int left, int top, int width, int height)
{
    FStates.push_back(std::make_unique<TzcFancyState>(left, top, width, height));
    TzcFancyState &state = *FStates.back();
    state.Offset.OnChange = [this] { ChangePos(); };
    state.Text.OnChange = [this] { ChangePos(); };
}

void TzcFancyBase::ChangePos()
{
    update();
}

void TzcFancyBase::SetCaption(const QString &value)
{
    if (widgets::SetShown(this, FCaption, value))
        FKeys.SetCaption(value);
}

void TzcFancyBase::SetStateGlyph(int state, const QImage &value)
{
    FStates[std::size_t(state)]->Glyph = value;
    update();
}

void TzcFancyBase::SetStateRgn(int state, const TzcRgn *value)
{
    FStates[std::size_t(state)]->Region.Assign(value);
    ApplyState();
}

void TzcFancyBase::SetStateOffset(int state, const TzcBmpOffset &value)
{
    FStates[std::size_t(state)]->Offset.Assign(value);
}

void TzcFancyBase::SetStateText(int state, const TzcTextSize &value)
{
    FStates[std::size_t(state)]->Text.Assign(value);
}

void TzcFancyBase::Loaded()
{
    FLoaded = true;
    ApplyState();
}

bool TzcFancyBase::InShape(QPoint p) const
{
    const QRegion shape = widgets::WindowMask(*this);
    return shape.isEmpty() ? rect().contains(p) : shape.contains(p);
}

bool TzcFancyBase::MouseDown(const QMouseEvent *e)
{
    const QPointer<TzcFancyBase> self(this);
    const QPoint p = e->position().toPoint();
    Q_EMIT OnMouseDown(e->button(), e->modifiers(), p.x(), p.y());
    return self;
}

bool TzcFancyBase::MouseUp(const QMouseEvent *e)
{
    const QPointer<TzcFancyBase> self(this);
    const QPoint p = e->position().toPoint();
    Q_EMIT OnMouseUp(e->button(), e->modifiers(), p.x(), p.y());
    return self;
}

void TzcFancyBase::ApplyState()
{
    // Resizing for a region comes back here through the resize event.
    if (FApplying)
        return;
    FApplying = true;
    std::optional<QRegion> region;
    if (FLoaded) {
        region = FStates[std::size_t(CurrentState())]->Region.Region();
        if (!region)
            region = FStates.front()->Region.Region();
    }
    widgets::ApplyWindowRegion(*this, region);
    FApplying = false;
    update();
}

bool TzcFancyBase::event(QEvent *e)
{
    if (FKeys.Match(e) == widgets::ButtonShortcuts::Accelerator) {
        AcceleratorPressed();
        return true;
    }
    return QWidget::event(e);
}

void TzcFancyBase::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || height() <= 0)
        return;
    const TzcFancyState &state = *FStates[std::size_t(CurrentState())];
    const QImage &glyph = state.Glyph.isNull() ? FStates.front()->Glyph : state.Glyph;
    widgets::FancyCaption caption;
    caption.Text = FCaption;
    caption.Font = widgets::TFont(font(), FFontColor);
    if (FDefaultLook == dlfBold) {
        // The whole style is replaced: bold or nothing.
        caption.Font.setBold(BoldCaption());
        caption.Font.setItalic(false);
        caption.Font.setUnderline(false);
        caption.Font.setStrikeOut(false);
    }
    caption.Rect = state.Text.Rect();
    caption.Flags = widgets::ColorBtnTextFlags(FHorzAlign, FAlignment, FMultipleLines, FWordWrap);
    caption.Enabled = isEnabled();
    QImage bitmap(width(), height(), QImage::Format_RGB32);
    {
        TCanvas offscreen(&bitmap);
        widgets::PaintFancyFace(offscreen, size(), FColor, glyph,
                                QPoint(state.Offset.Left(), state.Offset.Top()), FTransparentColor,
                                caption);
    }
    {
        QPainter painter(this);
        painter.drawImage(0, 0, bitmap);
    }
    Q_EMIT OnPaint();
}

void TzcFancyBase::resizeEvent(QResizeEvent *)
{
    ApplyState();
}

void TzcFancyBase::changeEvent(QEvent *e)
{
    // The state picture shows the enabled state.
    if (e->type() == QEvent::EnabledChange)
        ApplyState();
    else if (widgets::ChangesFace(e))
        update();
    QWidget::changeEvent(e);
}

void TzcFancyBase::focusInEvent(QFocusEvent *e)
{
    QWidget::focusInEvent(e);
    ApplyState();
}

void TzcFancyBase::focusOutEvent(QFocusEvent *e)
{
    QWidget::focusOutEvent(e);
    ApplyState();
}

void TzcFancyBase::contextMenuEvent(QContextMenuEvent *e)
{
    if (!FPopupMenu) {
        e->ignore(); // the parent's menu, if any
        return;
    }
    FPopupMenu->popup(e->globalPos());
}

TzcFancyCustomBtn::TzcFancyCustomBtn(QWidget *parent) : TzcFancyBase(parent)
{
    AddState(0, 0, 89, 33); // plain
    AddState(1, 1, 89, 33); // checked
    AddState(0, 0, 89, 33); // focused
    AddState(1, 1, 89, 33); // focused and checked
    AddState(0, 0, 89, 33); // disabled
}

void TzcFancyCustomBtn::SetTabStop(bool value)
{
    setFocusPolicy(value ? Qt::StrongFocus : Qt::ClickFocus);
}

int TzcFancyCustomBtn::CurrentState() const
{
    if (!IsLoaded())
        return sPlain;
    if (!isEnabled())
        return sDisabled;
    const bool focused = hasFocus();
    if (IsGrayed())
        return focused ? sFocusedGrayed : sGrayed;
    if (IsChecked())
        return focused ? sFocusedChecked : sChecked;
    return focused ? sFocused : sPlain;
}

void TzcFancyCustomBtn::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && isEnabled())
        FPressed = true;
    if (MouseDown(e))
        QWidget::mousePressEvent(e);
}

void TzcFancyCustomBtn::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton) {
        const bool clicked = FPressed && InShape(e->position().toPoint());
        FPressed = false;
        const QPointer<TzcFancyCustomBtn> self(this);
        if (clicked)
            BnClicked();
        if (self)
            MouseUp(e);
        return;
    }
    if (MouseUp(e))
        QWidget::mouseReleaseEvent(e);
}

void TzcFancyCustomBtn::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(e);
        return;
    }
    // The second press of a double click is reported as such, not clicked.
    FPressed = false;
    const QPointer<TzcFancyCustomBtn> self(this);
    BnDoubleClicked();
    if (self)
        MouseDown(e);
}

void TzcFancyCustomBtn::mouseMoveEvent(QMouseEvent *e)
{
    const QPointer<TzcFancyCustomBtn> self(this);
    const QPoint p = e->position().toPoint();
    Q_EMIT OnMouseMove(e->buttons(), e->modifiers(), p.x(), p.y());
    if (self)
        QWidget::mouseMoveEvent(e);
}

void TzcFancyCustomBtn::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Space) {
        if (!e->isAutoRepeat())
            FSpaceDown = true;
        return;
    }
    QWidget::keyPressEvent(e);
}

void TzcFancyCustomBtn::keyReleaseEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Space) {
        if (!e->isAutoRepeat() && FSpaceDown) {
            FSpaceDown = false;
            BnClicked();
        }
        return;
    }
    QWidget::keyReleaseEvent(e);
}

void TzcFancyCustomBtn::focusOutEvent(QFocusEvent *e)
{
    FSpaceDown = false;
    TzcFancyBase::focusOutEvent(e);
}

TzcCustomFancyCheckBox::TzcCustomFancyCheckBox(QWidget *parent) : TzcFancyCustomBtn(parent)
{
    AddState(0, 0, 89, 33); // grayed
    AddState(0, 0, 89, 33); // focused and grayed
    SetTabStop(true);
}

void TzcCustomFancyCheckBox::SetState(TCheckBoxState value)
{
    if (value == FState)
        return;
    FState = value;
    Click();
}

void TzcCustomFancyCheckBox::Toggle()
{
    switch (FState) {
    case cbUnchecked:
        SetState(FAllowGrayed ? cbGrayed : cbChecked);
        break;
    case cbChecked:
        SetState(cbUnchecked);
        break;
    case cbGrayed:
        SetState(cbChecked);
        break;
    }
}

void TzcCustomFancyCheckBox::Click()
{
    QPointer<TzcCustomFancyCheckBox> self(this);
    Changed();
    if (self)
        Q_EMIT OnClick();
    if (self)
        ApplyState();
}

void TzcCustomFancyCheckBox::AcceleratorPressed()
{
    if (!CanFocus())
        return;
    setFocus(Qt::ShortcutFocusReason);
    if (hasFocus())
        Toggle();
}

TzcCustomFancyRadioButton::TzcCustomFancyRadioButton(QWidget *parent) : TzcFancyCustomBtn(parent)
{
    SetTabStop(false);
}

void TzcCustomFancyRadioButton::SetChecked(bool value)
{
    if (value == FChecked)
        return;
    FChecked = value;
    SetTabStop(value);
    QPointer<TzcCustomFancyRadioButton> self(this);
    if (value) {
        // A button without a parent has no group to uncheck.
        if (QWidget *parent = parentWidget()) {
            const QObjectList siblings = parent->children();
            for (QObject *sibling : siblings) {
                auto *other = qobject_cast<TzcFancyRadioButton *>(sibling);
                if (other && other != this && other->GroupIndex() == FGroupIndex)
                    other->SetChecked(false);
            }
        }
        Changed();
        if (self)
            Q_EMIT OnClick();
    }
    if (self)
        ApplyState();
}

void TzcCustomFancyRadioButton::BnDoubleClicked()
{
    Q_EMIT OnDblClick();
}

void TzcCustomFancyRadioButton::AcceleratorPressed()
{
    // Taking the focus checks the button.
    if (CanFocus())
        setFocus(Qt::ShortcutFocusReason);
}

void TzcCustomFancyRadioButton::focusInEvent(QFocusEvent *e)
{
    QPointer<TzcCustomFancyRadioButton> self(this);
    SetChecked(true);
    if (self)
        TzcFancyCustomBtn::focusInEvent(e);
}

TzcFancyButton::TzcFancyButton(QWidget *parent) : PushKeys(parent)
{
    AddState(2, 2, 84, 28); // up
    AddState(3, 3, 84, 28); // down
    AddState(2, 2, 84, 28); // focused
    AddState(2, 2, 84, 28); // disabled
    setFocusPolicy(Qt::StrongFocus);
}

int TzcFancyButton::CurrentState() const
{
    if (!IsLoaded())
        return sFocused;
    if (!isEnabled())
        return sDisabled;
    if (FDown)
        return sDown;
    return hasFocus() ? sFocused : sUp;
}

void TzcFancyButton::SetTabStop(bool value)
{
    setFocusPolicy(value ? Qt::StrongFocus : Qt::ClickFocus);
}

void TzcFancyButton::SetCancel(bool value)
{
    FCancel = value;
    FKeys.SetDialogKeys(FActive, FCancel);
}

void TzcFancyButton::SetDefault(bool value)
{
    FDefault = value;
    QWidget *form = parentWidget() ? window() : nullptr;
    if (!form) {
        // No form to ask: the button is the only one that can decide.
        CMFocusChanged(nullptr);
        return;
    }
    // Every picture button of the form re-decides which one is active.
    QWidget *focused = form->focusWidget();
    const QList<TzcFancyButton *> buttons = form->findChildren<TzcFancyButton *>();
    for (TzcFancyButton *button : buttons)
        button->CMFocusChanged(focused);
}

void TzcFancyButton::Loaded()
{
    FMouseIn = false;
    TzcFancyBase::Loaded();
    // After the flag, so that a pointer already over the button counts.
    SetMouseIn();
}

void TzcFancyButton::SetMouseIn()
{
    const bool inside = isVisible() && InShape(mapFromGlobal(QCursor::pos()));
    if (inside)
        CMMouseEnter();
    else
        CMMouseLeave();
}

void TzcFancyButton::CMMouseEnter()
{
    if (!IsLoaded() || FMouseIn || !isEnabled())
        return;
    FMouseIn = true;
    update();
    Q_EMIT OnMouseEnter();
}

void TzcFancyButton::CMMouseLeave()
{
    if (!FMouseIn || FTracking)
        return;
    FMouseIn = false;
    update();
    Q_EMIT OnMouseLeave();
}

void TzcFancyButton::Click()
{
    FDown = false;
    FTracking = false;
    // Only a real crossing of the shape's edge fires an event.
    SetMouseIn();
    ApplyState();
    widgets::ClickInDialog(this, FModalResult, [this] { Q_EMIT OnClick(); });
}

void TzcFancyButton::SetButtonStyle(bool makeDefault)
{
    // Until it is first shown the button takes its style from Default.
    if (!testAttribute(Qt::WA_WState_Polished) || makeDefault == FDefaultStyle)
        return;
    FDefaultStyle = makeDefault;
    update();
}

void TzcFancyButton::CMFocusChanged(QWidget *focused)
{
    FActive = widgets::ActiveAfterFocus(this, focused, FDefault);
    SetButtonStyle(FActive);
    FKeys.SetDialogKeys(FActive, FCancel);
    if (!hasFocus()) {
        FDown = false;
        FTracking = false;
    }
    SetMouseIn();
    ApplyState();
}

void TzcFancyButton::AcceleratorPressed()
{
    if (CanFocus())
        Click();
}

bool TzcFancyButton::event(QEvent *e)
{
    switch (const auto hit = FKeys.Match(e)) {
    case widgets::ButtonShortcuts::Return:
    case widgets::ButtonShortcuts::Escape:
        if (widgets::ButtonShortcuts::OwnDialogKey(hit, FActive, FCancel) && CanFocus())
            Click();
        return true;
    case widgets::ButtonShortcuts::Accelerator:
    case widgets::ButtonShortcuts::None:
        break;
    }
    if (e->type() == QEvent::Polish) {
        FDefaultStyle = FDefault;
        FActive = FDefault;
        FKeys.SetDialogKeys(FActive, FCancel);
    }
    return TzcFancyBase::event(e);
}

void TzcFancyButton::mousePressEvent(QMouseEvent *e)
{
    if (!MouseDown(e))
        return;
    const QPoint p = e->position().toPoint();
    if (e->button() != Qt::LeftButton || !isEnabled() || !rect().contains(p)) {
        QWidget::mousePressEvent(e);
        return;
    }
    if (!FDown) {
        setFocus(Qt::MouseFocusReason);
        FDown = true;
        ApplyState();
    }
    FTracking = true;
}

void TzcFancyButton::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::RightButton && FPopupMenu) {
        if (!MouseUp(e))
            return;
        FPopupMenu->popup(e->globalPosition().toPoint());
        // The hover state is checked again once the menu has gone.
        connect(FPopupMenu, &QMenu::aboutToHide, this, &TzcFancyButton::SetMouseIn,
                Qt::SingleShotConnection);
        return;
    }
    if (e->button() != Qt::LeftButton || !FTracking) {
        if (MouseUp(e))
            QWidget::mouseReleaseEvent(e);
        return;
    }
    // Only a release that the picture shows as pressed, inside the shape, clicks.
    QPointer<TzcFancyButton> self(this);
    if (FDown && InShape(e->position().toPoint()))
        Click();
    if (!self || !MouseUp(e) || !FTracking)
        return;
    FDown = false;
    FTracking = false;
    ApplyState();
    SetMouseIn();
}

void TzcFancyButton::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(e);
        return;
    }
    QPointer<TzcFancyButton> self(this);
    Q_EMIT OnDblClick();
    // A double click presses the button again, as a second press would.
    if (self)
        mousePressEvent(e);
}

void TzcFancyButton::mouseMoveEvent(QMouseEvent *e)
{
    if (!FMouseIn)
        SetMouseIn();
    const QPoint p = e->position().toPoint();
    if (FTracking) {
        const bool inside = InShape(p);
        if (inside != FDown) {
            FDown = inside;
            ApplyState();
        }
        Q_EMIT OnMouseMove(e->buttons(), e->modifiers(), p.x(), p.y());
        return;
    }
    Q_EMIT OnMouseMove(e->buttons(), e->modifiers(), p.x(), p.y());
    QWidget::mouseMoveEvent(e);
}

void TzcFancyButton::WmKeyDown()
{
    if (FDown)
        return;
    setFocus(Qt::OtherFocusReason);
    SetMouseIn();
    FTracking = false;
    FDown = true;
    ApplyState();
}

void TzcFancyButton::WmKeyUp()
{
    if (!FDown || FTracking)
        return;
    QPointer<TzcFancyButton> self(this);
    Click();
    if (!self)
        return;
    FDown = false;
    SetMouseIn();
    ApplyState();
}

void TzcFancyButton::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::EnabledChange)
        SetMouseIn();
    TzcFancyBase::changeEvent(e);
}

void TzcFancyButton::contextMenuEvent(QContextMenuEvent *e)
{
    // A right click opens the menu on release; the menu key opens it here.
    if (!FPopupMenu)
        e->ignore(); // the parent's menu, if any
    else if (e->reason() != QContextMenuEvent::Mouse)
        FPopupMenu->popup(mapToGlobal(QPoint(width() / 2, height() / 2)));
}
