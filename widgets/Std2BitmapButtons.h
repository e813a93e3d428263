// Buttons of the Std2 unit drawn entirely from pictures: every visual state
// has its own glyph, window region, glyph offset and caption rectangle, so
// that buttons of any shape can be made from bitmaps. A check box, a radio
// button and a push button.
//
// A state without its own glyph shows the first state's glyph (at its own
// offset); a state without a valid region takes the first state's region,
// and without that the whole rectangle. The control is sized to the region's
// right and bottom edges and shaped by it, so clicks outside the shape do
// not reach it.
//
// Like every component read from a form, the buttons show their states only
// after Loaded(): before that they show one fixed picture in the full
// rectangle. A form calls Loaded() once it has built its components.
//
// Thread contract: main thread only, like every widget.
#pragma once

#include "widgets/ButtonEvents.h"
#include "widgets/ButtonProperty.h"
#include "widgets/ButtonShortcuts.h"
#include "widgets/Canvas.h"
#include "widgets/Std2.h"
#include "widgets/Std2Offsets.h"
#include "widgets/Std2Regions.h"

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <vector>

class QMenu;

namespace widgets {

// Caption layout of a picture button's face.
struct FancyCaption
{
    QString Text;
    TFont Font;
    TRect Rect;
    unsigned Flags = 0;
    bool Enabled = true;
};

// Paints a face of `size`: the colour, the glyph at `offset` without its
// pixels of `transparent`, then the caption (embossed when disabled).
void PaintFancyFace(TCanvas &canvas, QSize size, TColor color, const QImage &glyph, QPoint offset,
                    TColor transparent, const FancyCaption &caption);

} // namespace widgets

// Glyph, region, offset and caption rectangle of one state.
struct TzcFancyState
{
    TzcFancyState(int left, int top, int width, int height) : Text(left, top, width, height) {}
    QImage Glyph;
    TzcRgn Region;
    TzcBmpOffset Offset;
    TzcTextSize Text;
};

// What the picture buttons share: their states, caption settings and
// painting. The state shown is chosen by the descendant.
class TzcFancyBase : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcFancyBase)

public:
    vcl::TColor TransparentColor() const { return FTransparentColor; }
    void SetTransColor(vcl::TColor value) { widgets::SetShown(this, FTransparentColor, value); }
    widgets::TAlignment Alignment() const { return FAlignment; }
    void SetAlign(widgets::TAlignment value) { widgets::SetShown(this, FAlignment, value); }
    bool MultipleLines() const { return FMultipleLines; }
    void SetMultipleLines(bool value) { widgets::SetShown(this, FMultipleLines, value); }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value) { widgets::SetShown(this, FWordWrap, value); }
    zbHorzAlign HorzAlign() const { return FHorzAlign; }
    void SetHorzAlign(zbHorzAlign value) { widgets::SetShown(this, FHorzAlign, value); }
    TzcFanceDefLook DefaultLook() const { return FDefaultLook; }
    void SetDefLook(TzcFanceDefLook value) { widgets::SetShown(this, FDefaultLook, value); }
    QString Caption() const { return FCaption; }
    void SetCaption(const QString &value);
    vcl::TColor Color() const { return FColor; }
    void SetColor(vcl::TColor value) { widgets::SetShown(this, FColor, value); }
    vcl::TColor FontColor() const { return FFontColor; }
    void SetFontColor(vcl::TColor value) { widgets::SetShown(this, FFontColor, value); }

    int StateCount() const { return int(FStates.size()); }
    const QImage &StateGlyph(int state) const { return FStates[std::size_t(state)]->Glyph; }
    void SetStateGlyph(int state, const QImage &value);
    TzcRgn *StateRgn(int state) { return &FStates[std::size_t(state)]->Region; }
    void SetStateRgn(int state, const TzcRgn *value);
    TzcBmpOffset *StateOffset(int state) { return &FStates[std::size_t(state)]->Offset; }
    void SetStateOffset(int state, const TzcBmpOffset &value);
    TzcTextSize *StateText(int state) { return &FStates[std::size_t(state)]->Text; }
    void SetStateText(int state, const TzcTextSize &value);

    // Opened by a right click; not owned.
    QMenu *PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(QMenu *menu) { FPopupMenu = menu; }

    bool IsLoaded() const { return FLoaded; }
    virtual void Loaded();
    // The state whose picture is shown now.
    virtual int CurrentState() const = 0;
    bool CanFocus() const { return isVisible() && isEnabled(); }

Q_SIGNALS:
    void OnClick();
    // After every paint.
    void OnPaint();
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

protected:
    explicit TzcFancyBase(QWidget *parent);
    // Appends a state with its caption rectangle.
    void AddState(int left, int top, int width, int height);
    // Caption in bold while drawn as focused (or default).
    virtual bool BoldCaption() const = 0;
    // Gives the control the region and size of the current state, then
    // repaints. Called on every change of what the state depends on.
    void ApplyState();
    bool InShape(QPoint p) const;
    // OnMouseDown, OnMouseUp of the event; false when a handler destroyed the button.
    bool MouseDown(const QMouseEvent *e);
    bool MouseUp(const QMouseEvent *e);
    // The caption's accelerator, "&x", was pressed.
    virtual void AcceleratorPressed() {}

    // The caption's accelerator and, for a dialog button, Return and Escape.
    widgets::ButtonShortcuts FKeys{this};

    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;

    QPointer<QMenu> FPopupMenu;

private:
    void ChangePos();

    vcl::TColor FTransparentColor = vcl::clBlack;
    widgets::TAlignment FAlignment = widgets::taCenter;
    bool FMultipleLines = false;
    bool FWordWrap = false;
    zbHorzAlign FHorzAlign = zbha_Center;
    TzcFanceDefLook FDefaultLook = dlfBold;
    bool FLoaded = false;
    std::vector<std::unique_ptr<TzcFancyState>> FStates;
    QString FCaption;
    vcl::TColor FColor = vcl::clBtnFace;
    vcl::TColor FFontColor = vcl::clBtnText;
    bool FApplying = false;
};

// Named accessors of one state: Glyph<Suffix>, OffsetGlyph<Suffix>,
// BtnRgn<Suffix>, TextSize<Suffix> and their writers Set<Code>Bmp,
// Set<Code>Os, Set<Code>Rgn, Set<Code>Text.
#define TZC_FANCY_STATE_ACCESSORS(Suffix, Code, State)                                             \
    const QImage &Glyph##Suffix() const                                                            \
    {                                                                                              \
        return StateGlyph(State);                                                                  \
    }                                                                                              \
    void Set##Code##Bmp(const QImage &value)                                                       \
    {                                                                                              \
        SetStateGlyph(State, value);                                                               \
    }                                                                                              \
    TzcBmpOffset *OffsetGlyph##Suffix()                                                            \
    {                                                                                              \
        return StateOffset(State);                                                                 \
    }                                                                                              \
    void Set##Code##Os(const TzcBmpOffset &value)                                                  \
    {                                                                                              \
        SetStateOffset(State, value);                                                              \
    }                                                                                              \
    TzcRgn *BtnRgn##Suffix()                                                                       \
    {                                                                                              \
        return StateRgn(State);                                                                    \
    }                                                                                              \
    void Set##Code##Rgn(const TzcRgn *value)                                                       \
    {                                                                                              \
        SetStateRgn(State, value);                                                                 \
    }                                                                                              \
    TzcTextSize *TextSize##Suffix()                                                                \
    {                                                                                              \
        return StateText(State);                                                                   \
    }                                                                                              \
    void Set##Code##Text(const TzcTextSize &value)                                                 \
    {                                                                                              \
        SetStateText(State, value);                                                                \
    }

// The check box and radio button: pressed and released with the mouse or
// the space bar, they report BN_CLICKED to themselves; the second press of a
// double click does not.
class TzcFancyCustomBtn : public TzcFancyBase
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcFancyCustomBtn)

public:
    enum State : int {
        sPlain = 0,
        sChecked = 1,
        sFocused = 2,
        sFocusedChecked = 3,
        sDisabled = 4,
        sGrayed = 5,
        sFocusedGrayed = 6
    };

    TZC_FANCY_STATE_ACCESSORS(, U, sPlain)
    TZC_FANCY_STATE_ACCESSORS(Checked, C, sChecked)
    TZC_FANCY_STATE_ACCESSORS(Focused, FU, sFocused)
    TZC_FANCY_STATE_ACCESSORS(FocusedChecked, FC, sFocusedChecked)
    TZC_FANCY_STATE_ACCESSORS(Disabled, Dis, sDisabled)

    bool TabStop() const { return focusPolicy() == Qt::StrongFocus; }
    void SetTabStop(bool value);
    int CurrentState() const override;

Q_SIGNALS:
    // The value shown has changed (the class library's change notification
    // to the control's container); comes just before OnClick.
    void CMChanged();

protected:
    explicit TzcFancyCustomBtn(QWidget *parent);
    void Changed() { Q_EMIT CMChanged(); }
    bool BoldCaption() const override { return hasFocus(); }
    // Checked and grayed as the descendant holds them.
    virtual bool IsChecked() const = 0;
    virtual bool IsGrayed() const { return false; }
    // A full click: mouse or space pressed and released on the button.
    virtual void BnClicked() = 0;
    virtual void BnDoubleClicked() {}

    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;

private:
    bool FPressed = false;
    bool FSpaceDown = false;
};

enum TCheckBoxState : std::uint8_t { cbUnchecked = 0, cbChecked = 1, cbGrayed = 2 };

class TzcCustomFancyCheckBox : public TzcFancyCustomBtn
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcCustomFancyCheckBox)

public:
    explicit TzcCustomFancyCheckBox(QWidget *parent = nullptr);

    TZC_FANCY_STATE_ACCESSORS(Grayed, G, sGrayed)
    TZC_FANCY_STATE_ACCESSORS(FocusedGrayed, FG, sFocusedGrayed)

    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool value) { FAllowGrayed = value; }
    TCheckBoxState State() const { return FState; }
    // A change clicks (OnClick); the same value does nothing.
    void SetState(TCheckBoxState value);
    bool GetChecked() const { return FState == cbChecked; }
    bool Checked() const { return GetChecked(); }
    void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
    // Unchecked, then grayed (when allowed), checked, unchecked.
    virtual void Toggle();
    virtual void Click();

protected:
    bool IsChecked() const override { return FState == cbChecked; }
    bool IsGrayed() const override { return FState == cbGrayed; }
    void BnClicked() override { Toggle(); }
    void AcceleratorPressed() override;

private:
    bool FAllowGrayed = false;
    TCheckBoxState FState = cbUnchecked;
};

class TzcFancyCheckBox : public TzcCustomFancyCheckBox
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcFancyCheckBox)

public:
    explicit TzcFancyCheckBox(QWidget *parent = nullptr) : TzcCustomFancyCheckBox(parent) {}
};

// Checking one unchecks the other TzcFancyRadioButtons of the same parent
// with the same GroupIndex; taking the focus checks it.
class TzcCustomFancyRadioButton : public TzcFancyCustomBtn
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcCustomFancyRadioButton)

public:
    explicit TzcCustomFancyRadioButton(QWidget *parent = nullptr);

    bool Checked() const { return FChecked; }
    // Becoming checked clicks (OnClick); unchecking does not.
    void SetChecked(bool value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int value) { FGroupIndex = value; }

Q_SIGNALS:
    void OnDblClick();

protected:
    bool IsChecked() const override { return FChecked; }
    void BnClicked() override { SetChecked(true); }
    void BnDoubleClicked() override;
    void AcceleratorPressed() override;
    void focusInEvent(QFocusEvent *e) override;

private:
    bool FChecked = false;
    int FGroupIndex = 0;
};

class TzcFancyRadioButton : public TzcCustomFancyRadioButton
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcFancyRadioButton)

public:
    explicit TzcFancyRadioButton(QWidget *parent = nullptr) : TzcCustomFancyRadioButton(parent) {}
};

// A push button of four pictures (up, down, focused, disabled) that acts as
// a dialog button: Default takes Return on its form, Cancel takes Escape,
// and a click hands ModalResult to the dialog. It presses on the mouse and
// the space bar, follows the pointer in and out of its shape while a press is
// held, and clicks only when released inside its shape. OnMouseEnter and
// OnMouseLeave fire once for each crossing of the shape's edge.
class TzcFancyButton : public widgets::PushButtonEvents<TzcFancyBase>
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcFancyButton)

public:
    enum State : int { sUp = 0, sDown = 1, sFocused = 2, sDisabled = 3 };

    explicit TzcFancyButton(QWidget *parent = nullptr);

    TZC_FANCY_STATE_ACCESSORS(Up, Up, sUp)
    TZC_FANCY_STATE_ACCESSORS(Down, Down, sDown)
    TZC_FANCY_STATE_ACCESSORS(Focused, Focused, sFocused)
    TZC_FANCY_STATE_ACCESSORS(Disabled, Disabled, sDisabled)

    bool Default() const { return FDefault; }
    void SetDefault(bool value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool value);
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int value) { FModalResult = value; }
    // The help topic of the button; only kept.
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int value) { FHelpContext = value; }
    bool TabStop() const { return focusPolicy() == Qt::StrongFocus; }
    void SetTabStop(bool value);
    bool Down() const { return FDown; }
    bool Tracking() const { return FTracking; }
    bool MouseIn() const { return FMouseIn; }
    // Acts as the form's default button just now.
    bool Active() const { return FActive; }

    // Raises the button, hands ModalResult to the dialog, then OnClick.
    void Click() override;
    void Loaded() override;
    int CurrentState() const override;

Q_SIGNALS:
    void OnDblClick();
    void OnMouseEnter();
    void OnMouseLeave();

protected:
    bool BoldCaption() const override { return hasFocus() || FDefault; }
    // Marks the button as the default one, or not, when its style says
    // otherwise; called with Active() on every focus change of the form.
    virtual void SetButtonStyle(bool makeDefault);
    // The style says "default button": Default when first shown, then the
    // last SetButtonStyle that changed it.
    bool DefaultStyle() const { return FDefaultStyle; }
    void AcceleratorPressed() override;
    // `focused` is the form's control that now has the focus (may be null).
    void CMFocusChanged(QWidget *focused);
    void CMMouseEnter() override;
    void CMMouseLeave() override;
    void WmKeyDown() override;
    void WmKeyUp() override;

    bool event(QEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void changeEvent(QEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;

private:
    // Brings FMouseIn in line with where the pointer is, through the enter
    // and leave handlers.
    void SetMouseIn();

    bool FMouseIn = false;
    bool FDefault = false;
    bool FActive = false;
    bool FCancel = false;
    int FModalResult = 0;
    int FHelpContext = 0;
    bool FDefaultStyle = false;
    bool FDown = false;
    bool FTracking = false;
    // The default-button look follows the focus among the form's buttons.
    widgets::FormFocusWatch FFocusWatch{this, [this](QWidget *now) { CMFocusChanged(now); }};
};

#undef TZC_FANCY_STATE_ACCESSORS
