// Shape colour buttons with a richer face under the caption: a gradient, a
// glyph from a strip of images, or one of three icons.
//
// Thread contract: main thread only, like every widget.
#pragma once

#include "widgets/ButtonGlyphs.h"
#include "widgets/MystdGradient.h"
#include "widgets/Std2Offsets.h"
#include "widgets/Std2ShapeBtn.h"

#include <QImage>
#include <QPixmap>

class TzcShapeGradBtn : public TzcShapeColorBtn
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcShapeGradBtn)

public:
    explicit TzcShapeGradBtn(QWidget *parent = nullptr);

    gradType FillType() const { return FFillType; }
    void SetFillType(gradType value);
    vcl::TColor EndColor() const { return FEndColor; }
    void SetEndColor(vcl::TColor value);
    int Bands() const { return FBands; }
    void SetBands(int value);
    const widgets::GradientColors &GradientColors() const { return FGrad; }

protected:
    // Splits the stored Color and EndColor, a system colour unresolved.
    virtual void ColorSet();
    void PaintLook(widgets::TCanvas &canvas) override;

private:
    gradType FFillType = gVert;
    vcl::TColor FEndColor = vcl::clBtnFace;
    int FBands = 75;
    widgets::GradientColors FGrad;
};

// A glyph at OffsetGlyph from a strip of up to four images: up, disabled,
// down (no hover image here).
class TzcShapeBitColBtn : public TzcShapeColorBtn
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcShapeBitColBtn)

public:
    explicit TzcShapeBitColBtn(QWidget *parent = nullptr);

    const QImage &Glyph() const { return FStrip.Glyph(); }
    void SetGlyph(const QImage &value);
    int NumGlyphs() const { return FStrip.NumGlyphs(); }
    // 1 to 4; other values change nothing.
    void SetNumGlyphs(int value);
    bool AutoBackColor() const { return FStrip.AutoBackColor(); }
    void SetAutoBackColor(bool value);
    vcl::TColor TransparentColor() const { return FStrip.TransparentColor(); }
    void SetTransparentColor(vcl::TColor value);
    TzcBmpOffset &OffsetGlyph() { return FOffsetGlyph; }
    void SetOffsetGlyph(const TzcBmpOffset &value) { FOffsetGlyph.Assign(value); }
    const widgets::GlyphImages &Images() const { return FStrip.Images(); }

protected:
    void SplitBitmap();
    void PaintLook(widgets::TCanvas &canvas) override;

private:
    widgets::GlyphStrip FStrip;
    TzcBmpOffset FOffsetGlyph{2, 2};
    vcl::TColor FSplitFace = vcl::clNone;
};

class TzcShapeIconColBtn : public TzcShapeColorBtn
{
    Q_OBJECT
    Q_DISABLE_COPY(TzcShapeIconColBtn)

public:
    explicit TzcShapeIconColBtn(QWidget *parent = nullptr);

    const QPixmap &GlyphEnabled() const { return FIcons.enabled; }
    void SetGlyphEnabled(const QPixmap &value);
    const QPixmap &GlyphDisabled() const { return FIcons.disabled; }
    void SetGlyphDisabled(const QPixmap &value);
    const QPixmap &GlyphDown() const { return FIcons.down; }
    void SetGlyphDown(const QPixmap &value);
    bool AutoAllIcons() const { return FIcons.autoAll; }
    void SetAutoAllIcons(bool value) { FIcons.autoAll = value; }
    TzcBmpOffset &OffsetIcon() { return FOffsetIcon; }
    void SetOffsetIcon(const TzcBmpOffset &value) { FOffsetIcon.Assign(value); }

protected:
    virtual void SetIcons();
    void PaintLook(widgets::TCanvas &canvas) override;

private:
    widgets::IconSet FIcons;
    TzcBmpOffset FOffsetIcon{2, 2};
};
