// Windowless twins of the colour buttons: drawn over their parent without a
// focus of their own, optionally transparent with the parent lightened
// behind them, and with configurable caption margins, frame and movement.
//
// Thread contract: main thread only, like every widget.
#pragma once

#include "widgets/ButtonFaces.h"
#include "widgets/ButtonPress.h"
#include "widgets/ButtonProperty.h"
#include "widgets/ButtonShortcuts.h"
#include "widgets/zAnimate.h"

#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <cstdint>

class QMenu;

// A grey level 0..255 combined with the background of a transparent button.
using TzGlassValue = std::uint8_t;

namespace widgets {

// (g, g, g) with g the rounded mean of the colour's red, green and blue,
// marked palette-relative (0x02000000), which true-colour painting ignores.
TColor Grey(TColor color);
// What a transparent button with glass `glass` shows over `background`:
// the grey level ORed into each channel.
TColor GlassOver(TColor background, TzGlassValue glass);

} // namespace widgets

// A push button without focus: a click comes from a left press and release
// inside, or from its caption's accelerator while it is enabled and visible.
// Return, Escape and the space bar are not its business.
class TzNWColorBtn : public widgets::ColorBtnBase
{
    Q_OBJECT
    Q_DISABLE_COPY(TzNWColorBtn)

public:
    explicit TzNWColorBtn(QWidget *parent = nullptr);

    void SetColor(vcl::TColor value);
    void SetParentColor(bool value) { widgets::SetShown(this, FParentColor, value); }
    void SetCaption(const QString &value);
    void SetFontColor(vcl::TColor value) { widgets::SetShown(this, FFontColor, value); }

    int GetLeftOffSet() const { return FLeftOffSet; }
    void SetLeftOffSet(int value) { widgets::SetShown(this, FLeftOffSet, value); }
    int GetTopOffSet() const { return FTopOffSet; }
    void SetTopOffSet(int value) { widgets::SetShown(this, FTopOffSet, value); }
    TzGlassValue GlassValue() const { return FGlassValue; }
    void SetGlass(TzGlassValue value) { widgets::SetShown(this, FGlassValue, value); }
    // Draws over the parent's pixels instead of filling with Color.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);
    void SetFlat(bool value);
    void SetAlign(widgets::TAlignment value) { widgets::SetShown(this, FAlignment, value); }
    void SetHigh(vcl::TColor value) { widgets::SetShown(this, FHighLightColor, value); }
    void SetShadow(vcl::TColor value) { widgets::SetShown(this, FShadowColor, value); }
    // Stored only.
    void SetCancel(bool value) { FCancel = value; }
    void SetMultipleLines(bool value) { widgets::SetShown(this, FMultipleLines, value); }
    void SetWordWrap(bool value) { widgets::SetShown(this, FWordWrap, value); }
    void SetHorzAlign(zbHorzAlign value) { widgets::SetShown(this, FHorzAlign, value); }
    // The caption (and glyph) move one pixel while pressed.
    bool Movement() const { return FMovement; }
    void SetMove(bool value);
    // The bevel is drawn at all.
    bool Frame() const { return FFrame; }
    void SetFrame(bool value);
    void SetPopupMenu(QMenu *menu) { FPopupMenu = menu; }

    // (LeftOffSet, TopOffSet, W - (LeftOffSet - 1), H - (TopOffSet - 1)),
    // W and H the size less one, moved while pressed with Movement.
    widgets::TRect CaptionRect() const override;

    void Click() override;

protected:
    // Everything over the background: bevel, then the caption layer.
    virtual void PaintButton(widgets::TCanvas &canvas);
    // Pressed, enabled and moving: where captions and glyphs shift.
    bool Moved() const { return FPush.down && FMovement && isEnabled(); }
    bool PressMoves() const override { return FMovement; }
    int PictureRoom(int width, int margin) const override { return width + margin; }
    void CMMouseEnter() override;
    void CMDialogChar();

    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void ShowPressed() override { Refresh(); }

private:
    bool InClient(QPoint p) const { return rect().contains(p); }
    void Refresh();

    int FLeftOffSet = 5;
    int FTopOffSet = 5;
    TzGlassValue FGlassValue = 0;
    bool FTransparent = false;
    bool FMovement = true;
    bool FFrame = true;
};

// The windowless glyph button.
class TzNWBitColBtn : public widgets::GlyphColorBtn<TzNWColorBtn>
{
    Q_OBJECT
    Q_DISABLE_COPY(TzNWBitColBtn)

public:
    explicit TzNWBitColBtn(QWidget *parent = nullptr);

    // Distance of the glyph from the button's side; negative values count as 0.
    int GlyphMargin() const { return FGlyphMargin; }
    void SetMargin(int value);
};

// The windowless icon button.
class TzNWIconColBtn : public widgets::IconColorBtn<TzNWColorBtn>
{
    Q_OBJECT
    Q_DISABLE_COPY(TzNWIconColBtn)

public:
    explicit TzNWIconColBtn(QWidget *parent = nullptr);

    int GlyphMargin() const { return FGlyphMargin; }
    void SetMargin(int value);
};
