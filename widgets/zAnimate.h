// The colour button of the zAnimate widget unit: an owner-drawn push button
// whose face takes any colour. The main window shows its 34 outputs on these.
#pragma once

#include "widgets/ButtonEvents.h"
#include "widgets/ButtonPress.h"
#include "widgets/ButtonShortcuts.h"
#include "widgets/Canvas.h"
#include "widgets/Std2.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>

class QMenu;

// How a default (or focused) colour button is marked.
enum TzcDefLook : std::uint8_t { dlBold = 0, dlFrame = 1, dlNone = 2 };

namespace widgets {

// Pieces of a colour button's face, shared by the windowed and the
// windowless colour buttons. W and H are the width and height less one, d
// the inset of the bevel (1 inside a default-button frame).
void PaintColorBtnBevel(TCanvas &canvas, int W, int H, int d, bool down, TColor shadow,
                        TColor highlight);
unsigned ColorBtnTextFlags(zbHorzAlign vertical, TAlignment horizontal, bool multipleLines,
                           bool wordWrap);
// Enabled: once in the font colour. Disabled: embossed, a white copy one
// pixel down and right under a grey one. `under` paints a layer (a glyph)
// below the caption, between the two copies when disabled.
void PaintColorBtnCaption(TCanvas &canvas, const QString &caption, const TRect &rect,
                          unsigned flags, bool enabled, const std::function<void()> &under = {});

} // namespace widgets

// A push button painted completely by itself: face colour, bevel, an optional
// default-button mark, caption placed by two settings, embossed caption when
// disabled, focus rectangle, and a bevel only under the pointer when flat.
// A click comes from a left press and release inside, from Space pressed and
// released, Return while focused, the caption's "&" accelerator (Alt+letter),
// Return on the form while it is the active default button, or Escape when it
// is the cancel button. The second press of a double click raises OnDblClick
// instead of a second click.
//
// Thread contract: main thread only, like every widget.
class TzColorBtn : public widgets::PushButtonEvents<QWidget>
{
    Q_OBJECT
    Q_DISABLE_COPY(TzColorBtn)

public:
    explicit TzColorBtn(QWidget *parent = nullptr);
    ~TzColorBtn() override;

    // Face colour. Until it is written the button takes its parent's
    // background (ParentColor); system colours are resolved when painting.
    vcl::TColor GetColor() const;
    void SetColor(vcl::TColor value);
    vcl::TColor Color() const { return GetColor(); }
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool value);

    bool ShowFocus() const { return GetFocusRect(); }
    bool GetFocusRect() const { return FShowFocus; }
    void SetFocusRect(bool value);
    TzcDefLook DefaultLook() const { return GetDefLook(); }
    TzcDefLook GetDefLook() const { return FDefLook; }
    void SetDefLook(TzcDefLook value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool value);
    bool AutoFocus() const { return FAutoFocus; }
    void SetAutoFocus(bool value);
    zbHorzAlign HorzAlign() const { return FHorzAlign; }
    void SetHorzAlign(zbHorzAlign value);
    bool MultipleLines() const { return FMultipleLines; }
    void SetMultipleLines(bool value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value);
    widgets::TAlignment Alignment() const { return FAlignment; }
    void SetAlign(widgets::TAlignment value);
    vcl::TColor HighLightColor() const { return FHighLightColor; }
    void SetHigh(vcl::TColor value);
    vcl::TColor ShadowColor() const { return FShadowColor; }
    void SetShadow(vcl::TColor value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool value);
    // Given to the enclosing dialog as its result on every click; a non-zero
    // value ends a modal dialog.
    int ModalResult() const { return FModalResult; }
    void SetModalresult(int value);
    bool Default() const { return FDefault; }
    void SetDefault(bool value);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString &value);
    vcl::TColor FontColor() const { return FFontColor; }
    void SetFontColor(vcl::TColor value);
    // Whether Tab stops on the button; a click focuses it either way.
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool value);
    // Opened by a right click; not owned.
    QMenu *PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(QMenu *menu);

    bool Down() const { return FPush.down; }
    bool Tracking() const { return FPush.tracking; }
    bool MouseIn() const { return FMouseIn; }
    // Acts as the form's default button just now.
    bool Active() const { return FActive; }
    bool CanFocus() const;

    // Raises the button, hands ModalResult to the dialog, then OnClick.
    void Click() override;

    // The control's own canvas while OnPaint is emitted, else null.
    widgets::TCanvas *Canvas() const { return FCanvas; }

Q_SIGNALS:
    void OnClick();
    void OnDblClick();
    // After every paint, the face already on the control.
    void OnPaint();
    void OnMouseEnter();
    void OnMouseLeave();
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

protected:
    // Draws the button into an off-screen image of the control's size, copies
    // that in one step, then OnPaint. Descendants that change the face
    // override PaintButton or PaintFace and keep this.
    virtual void Paint();
    // All drawing on the off-screen canvas, in order: face, bevel, default
    // frame, caption, focus rectangle.
    virtual void PaintButton(widgets::TCanvas &canvas);
    // Fills the client area with the brush (Color).
    virtual void PaintFace(widgets::TCanvas &canvas);
    // The caption in its font and rectangle; glyph buttons add their picture
    // to this layer.
    virtual void PaintCaption(widgets::TCanvas &canvas);
    virtual void SetButtonStyle(bool ADefault);
    // Once, when the control is first readied for showing.
    virtual void CreateWnd();
    virtual void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    virtual void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);

    // Steps of PaintButton for descendants that rearrange it.
    // Focused or a default button, the condition of the default look.
    bool MarkedDefault() const;
    // d: 1 while a dlFrame button is marked, else 0.
    int BevelInset() const;
    bool BevelShown() const;
    void PaintDefaultFrame(widgets::TCanvas &canvas) const;
    // (5, 5, W - 4, H - 4), one pixel down and right while pressed.
    widgets::TRect CaptionRect() const;
    void SetCaptionFont(widgets::TCanvas &canvas) const;
    unsigned CaptionFlags() const;
    void PaintFocus(widgets::TCanvas &canvas, int d) const;

    void CMMouseEnter() override;
    void CMMouseLeave() override;
    // `focused` is the form's control that now has the focus (may be null).
    void CMFocusChanged(QWidget *focused);
    void CMDialogKey(int key);
    void CMDialogChar();
    void WmKeyDown() override;
    void WmKeyUp() override;
    void WmrButtonUp();

    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void changeEvent(QEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;

private:
    void SetMouseIn();
    void RepaintNow();
    bool InClient(int x, int y) const;
    void UpdateDialogKeys();
    void UpdateAccelerator();

    bool FShowFocus = true;
    bool FFlat = false;
    bool FMouseIn = false;
    bool FAutoFocus = false;
    widgets::TAlignment FAlignment = widgets::taCenter;
    vcl::TColor FHighLightColor = vcl::clBtnHighlight;
    vcl::TColor FShadowColor = vcl::clBtnShadow;
    bool FDefault = false;
    bool FActive = false;
    bool FCancel = false;
    int FModalResult = 0;
    bool FMultipleLines = false;
    bool FWordWrap = false;
    zbHorzAlign FHorzAlign = zbha_Center;
    TzcDefLook FDefLook = dlBold;
    // FDown and FTracking.
    widgets::PushTracker FPush;

    // What the class library kept for the control.
    vcl::TColor FColor = vcl::clBtnFace;
    bool FParentColor = true;
    QString FCaption;
    vcl::TColor FFontColor = vcl::clWindowText;
    bool FTabStop = true;
    QMenu *FPopupMenu = nullptr;
    bool FButtonStyleDefault = false;
    widgets::ButtonShortcuts FKeys{this};
    widgets::TCanvas *FCanvas = nullptr;
    QMetaObject::Connection FFocusWatch;
};
