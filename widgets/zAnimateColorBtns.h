// Colour buttons with a richer face: a gradient, a glyph from a strip of
// images, or one of three icons. Everything else is the colour button's.
//
// Thread contract: main thread only, like every widget.
#pragma once

#include "widgets/ButtonFaces.h"
#include "widgets/ButtonProperty.h"
#include "widgets/zAnimate.h"

// A colour button whose face runs from Color to EndColor in Bands + 1 steps.
class TzGradBtn : public TzColorBtn, public widgets::GradientFace
{
    Q_OBJECT
    Q_DISABLE_COPY(TzGradBtn)

public:
    explicit TzGradBtn(QWidget *parent = nullptr);

    // The colour button's setter, then ColorSet.
    void SetColor(vcl::TColor value);

protected:
    void PaintFace(widgets::TCanvas &canvas) override;
    // The colour as stored: a colour never written is the parent's, and a
    // parent in the application's own colours is a window of the default
    // colour, the button face's system colour, as EndColor's default is.
    vcl::TColor FaceColor() const override;
    void FaceChanged() override { update(); }
};

// A colour button with a glyph left or right of its caption, cut from a strip
// of up to four images: up, disabled, down and hover (flat buttons).
class TzBitColBtn : public widgets::GlyphColorBtn<TzColorBtn>
{
    Q_OBJECT
    Q_DISABLE_COPY(TzBitColBtn)

public:
    explicit TzBitColBtn(QWidget *parent = nullptr);

protected:
    void changeEvent(QEvent *e) override;
};

// A colour button with an icon for each of enabled, disabled and pressed.
class TzIconColBtn : public widgets::IconColorBtn<TzColorBtn>
{
    Q_OBJECT
    Q_DISABLE_COPY(TzIconColBtn)

public:
    explicit TzIconColBtn(QWidget *parent = nullptr);
};
