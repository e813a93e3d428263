// Shape colour buttons with a richer face under the caption: a gradient, a
// glyph from a strip of images, or one of three icons.
//
// Thread contract: main thread only, like every widget.
#pragma once

#include "widgets/ButtonFaces.h"
#include "widgets/Std2Offsets.h"
#include "widgets/Std2ShapeBtn.h"

class TzcShapeGradBtn : public TzcShapeColorBtn, public widgets::GradientFace
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcShapeGradBtn)

public:
    explicit TzcShapeGradBtn(QWidget *parent = nullptr);

protected:
    void PaintLook(widgets::TCanvas &canvas) override;
    vcl::TColor FaceColor() const override { return Color(); }
    void FaceChanged() override { update(); }
};

// A glyph at OffsetGlyph from a strip of up to four images: up, disabled,
// down (no hover image here).
class TzcShapeBitColBtn : public TzcShapeColorBtn, public widgets::GlyphFace
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcShapeBitColBtn)

public:
    explicit TzcShapeBitColBtn(QWidget *parent = nullptr);

    // (2, 2) at first; every write cuts the strip again.
    TzcBmpOffset &OffsetGlyph() { return FOffsetGlyph; }
    void SetOffsetGlyph(const TzcBmpOffset &value) { FOffsetGlyph.Assign(value); }

protected:
    void PaintLook(widgets::TCanvas &canvas) override;
    vcl::TColor FaceColor() const override { return Color(); }
    void FaceChanged() override { update(); }

private:
    TzcBmpOffset FOffsetGlyph{2, 2};
};

// 140 x 140, its caption in (36, 36, 96, 96), an icon at OffsetIcon.
class TzcShapeIconColBtn : public TzcShapeColorBtn, public widgets::IconFace
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcShapeIconColBtn)

public:
    explicit TzcShapeIconColBtn(QWidget *parent = nullptr);

    TzcBmpOffset &OffsetIcon() { return FOffsetIcon; }
    void SetOffsetIcon(const TzcBmpOffset &value) { FOffsetIcon.Assign(value); }

protected:
    void PaintLook(widgets::TCanvas &canvas) override;
    void FaceChanged() override { update(); }

private:
    TzcBmpOffset FOffsetIcon{2, 2};
};
