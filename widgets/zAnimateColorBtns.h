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
    vcl::TColor FaceColor() const override { return GetColor(); }
    void FaceChanged() override { update(); }
};

// A colour button with a glyph left or right of its caption, cut from a strip
// of up to four images: up, disabled, down and hover (flat buttons).
class TzBitColBtn : public TzColorBtn, public widgets::GlyphFace
{
    Q_OBJECT
    Q_DISABLE_COPY(TzBitColBtn)

public:
    explicit TzBitColBtn(QWidget *parent = nullptr);

    tBitWhere BitmapWhere() const { return FBitmapWhere; }
    void SetBitWhere(tBitWhere value) { widgets::SetShown(this, FBitmapWhere, value); }
    // The caption may run over the glyph.
    bool TextOnTop() const { return FTextOnTop; }
    void SetTextOnTop(bool value) { widgets::SetShown(this, FTextOnTop, value); }

protected:
    void PaintCaption(widgets::TCanvas &canvas) override;
    void changeEvent(QEvent *e) override;
    vcl::TColor FaceColor() const override { return GetColor(); }
    void FaceChanged() override { update(); }

private:
    tBitWhere FBitmapWhere = z_BWLeft;
    bool FTextOnTop = false;
};

// A colour button with an icon for each of enabled, disabled and pressed.
class TzIconColBtn : public TzColorBtn, public widgets::IconFace
{
    Q_OBJECT
    Q_DISABLE_COPY(TzIconColBtn)

public:
    explicit TzIconColBtn(QWidget *parent = nullptr);

    tBitWhere IconWhere() const { return FIconWhere; }
    void SetBitWhere(tBitWhere value) { widgets::SetShown(this, FIconWhere, value); }

protected:
    void PaintCaption(widgets::TCanvas &canvas) override;
    void FaceChanged() override { update(); }

private:
    tBitWhere FIconWhere = z_BWLeft;
};
