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
class QPixmap;

// How a default (or focused) colour button is marked.
enum TzcDefLook : std::uint8_t { dlBold = 0, dlFrame = 1, dlNone = 2 };

namespace widgets {

class GlyphStrip;

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

// What the colour button and its windowless twin share: face colour,
// caption settings, the flat look's hover state, the pressed state, the
// popup menu and the caption layer of the face. Each of them answers where
// the caption goes and what entering the button does.
//
// Thread contract: main thread only, like every widget.
class ColorBtnBase : public HoverEvents<PushButtonBase>
{
    Q_OBJECT
    Q_DISABLE_COPY(ColorBtnBase)

public:
    // Face colour. Until it is written the button takes its parent's
    // background (ParentColor); system colours are resolved when painting.
    vcl::TColor GetColor() const;
    bool ParentColor() const { return FParentColor; }
    QString Caption() const { return FCaption; }
    vcl::TColor FontColor() const { return FFontColor; }
    bool Flat() const { return FFlat; }
    TAlignment Alignment() const { return FAlignment; }
    vcl::TColor HighLightColor() const { return FHighLightColor; }
    vcl::TColor ShadowColor() const { return FShadowColor; }
    bool Cancel() const { return FCancel; }
    bool MultipleLines() const { return FMultipleLines; }
    bool WordWrap() const { return FWordWrap; }
    zbHorzAlign HorzAlign() const { return FHorzAlign; }
    // Opened by a right click; not owned.
    QMenu *PopupMenu() const { return FPopupMenu; }

    bool MouseIn() const { return FMouseIn; }

    virtual void Click() = 0;

protected:
    explicit ColorBtnBase(QWidget *parent);

    virtual TRect CaptionRect() const = 0;
    // The font in its colour.
    virtual void SetCaptionFont(TCanvas &canvas) const;
    unsigned CaptionFlags() const;
    // The caption in its font and rectangle; glyph buttons add their picture
    // to this layer.
    virtual void PaintCaption(TCanvas &canvas);
    // The caption layer of the glyph buttons: the strip's image for the
    // state at the side `where`, `margin` from it, painted by `draw` under
    // the caption, which makes room for it unless `textOnTop`.
    void PaintGlyphCaption(TCanvas &canvas, const GlyphStrip &strip, tBitWhere where,
                           bool textOnTop, int margin,
                           const std::function<void(QPoint, const QImage &)> &draw);
    // The caption layer of the icon buttons: the caption beside the icon, the
    // icon (laid out at `size`) over it.
    void PaintIconCaption(TCanvas &canvas, const QPixmap &icon, QSize size, tBitWhere where,
                          int margin);
    // Whether a press moves the caption's picture one pixel.
    virtual bool PressMoves() const { return true; }
    // The room the caption leaves for a picture `width` wide.
    virtual int PictureRoom(int width, int /*margin*/) const { return width; }

    // The pressed look changed: the windowed button repaints at once, the
    // windowless one schedules it.
    virtual void ShowPressed() = 0;
    // OnMouseUp, then the end of a press: the raised face and the hover
    // state found again.
    virtual void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);

    // Brings the hover state of a flat button in line with where the pointer
    // really is, through the enter and leave handlers.
    void SetMouseIn();
    void CMMouseLeave() override;
    // A right click let go: the popup menu, unhovering a flat button meanwhile.
    void WmrButtonUp();

    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void changeEvent(QEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;

    bool FFlat = false;
    bool FMouseIn = false;
    TAlignment FAlignment = taCenter;
    vcl::TColor FHighLightColor = vcl::clBtnHighlight;
    vcl::TColor FShadowColor = vcl::clBtnShadow;
    bool FCancel = false;
    bool FMultipleLines = false;
    bool FWordWrap = false;
    zbHorzAlign FHorzAlign = zbha_Center;

    // What the class library kept for the control.
    vcl::TColor FColor = vcl::clBtnFace;
    bool FParentColor = true;
    QString FCaption;
    vcl::TColor FFontColor = vcl::clWindowText;
    QMenu *FPopupMenu = nullptr;
    ButtonShortcuts FKeys{this};
};

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
class TzColorBtn : public widgets::PushKeys<widgets::ColorBtnBase>
{
    Q_OBJECT
    Q_DISABLE_COPY(TzColorBtn)

public:
    explicit TzColorBtn(QWidget *parent = nullptr);

    void SetColor(vcl::TColor value);
    vcl::TColor Color() const { return GetColor(); }
    void SetParentColor(bool value);

    bool ShowFocus() const { return GetFocusRect(); }
    bool GetFocusRect() const { return FShowFocus; }
    void SetFocusRect(bool value);
    TzcDefLook DefaultLook() const { return GetDefLook(); }
    TzcDefLook GetDefLook() const { return FDefLook; }
    void SetDefLook(TzcDefLook value);
    void SetFlat(bool value);
    bool AutoFocus() const { return FAutoFocus; }
    void SetAutoFocus(bool value);
    void SetHorzAlign(zbHorzAlign value);
    void SetMultipleLines(bool value);
    void SetWordWrap(bool value);
    void SetAlign(widgets::TAlignment value);
    void SetHigh(vcl::TColor value);
    void SetShadow(vcl::TColor value);
    void SetCancel(bool value);
    // Given to the enclosing dialog as its result on every click; a non-zero
    // value ends a modal dialog.
    int ModalResult() const { return FModalResult; }
    void SetModalresult(int value);
    bool Default() const { return FDefault; }
    void SetDefault(bool value);
    void SetCaption(const QString &value);
    void SetFontColor(vcl::TColor value);
    // Whether Tab stops on the button; a click focuses it either way.
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool value);
    void SetPopupMenu(QMenu *menu);

    // Acts as the form's default button just now.
    bool Active() const { return FActive; }
    bool CanFocus() const;

    // Raises the button, hands ModalResult to the dialog, then OnClick.
    void Click() override;

Q_SIGNALS:
    void OnDblClick();

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
    virtual void SetButtonStyle(bool ADefault);
    // Once, when the control is first readied for showing.
    virtual void CreateWnd();
    virtual void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);

    // Steps of PaintButton for descendants that rearrange it.
    // Focused or a default button, the condition of the default look.
    bool MarkedDefault() const;
    // d: 1 while a dlFrame button is marked, else 0.
    int BevelInset() const;
    bool BevelShown() const;
    void PaintDefaultFrame(widgets::TCanvas &canvas) const;
    // (5, 5, W - 4, H - 4), one pixel down and right while pressed.
    widgets::TRect CaptionRect() const override;
    void SetCaptionFont(widgets::TCanvas &canvas) const override;
    void PaintFocus(widgets::TCanvas &canvas, int d) const;

    void CMMouseEnter() override;
    // `focused` is the form's control that now has the focus (may be null).
    void CMFocusChanged(QWidget *focused);
    void CMDialogKey(int key);
    void CMDialogChar();
    void WmKeyDown() override;
    void WmKeyUp() override;

    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void changeEvent(QEvent *e) override;
    void ShowPressed() override { RepaintNow(); }

private:
    void RepaintNow();
    bool InClient(int x, int y) const;
    void UpdateDialogKeys();
    void UpdateAccelerator();

    bool FShowFocus = true;
    bool FAutoFocus = false;
    bool FDefault = false;
    bool FActive = false;
    int FModalResult = 0;
    TzcDefLook FDefLook = dlBold;

    // What the class library kept for the control.
    bool FTabStop = true;
    bool FButtonStyleDefault = false;
    // The default-button look follows the focus among the form's buttons.
    widgets::FormFocusWatch FFocusWatch{this, [this](QWidget *now) { CMFocusChanged(now); }};
};
