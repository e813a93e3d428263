// Colour buttons with a richer face: a gradient, a glyph from a strip of
// images, or one of three icons. Everything else is the colour button's.
//
// Thread contract: main thread only, like every widget.
#pragma once

#include "widgets/ButtonGlyphs.h"
#include "widgets/MystdGradient.h"
#include "widgets/zAnimate.h"

#include <QImage>
#include <QPixmap>

// A colour button whose face runs from Color to EndColor in Bands + 1 steps.
class TzGradBtn : public TzColorBtn
{
    Q_OBJECT
    Q_DISABLE_COPY(TzGradBtn)

public:
    explicit TzGradBtn(QWidget *parent = nullptr);

    gradType FillType() const { return FFillType; }
    void SetGrad(gradType value);
    vcl::TColor EndColor() const { return FEndColor; }
    void SetEndColor(vcl::TColor value);
    int Bands() const { return FBands; }
    void SetBands(int value);
    // The colour's bytes are taken as stored, a system colour unresolved.
    const widgets::GradientColors &GradientColors() const { return FGrad; }

protected:
    // Splits Color and EndColor into start bytes and signed steps.
    virtual void ColorSet();
    void PaintFace(widgets::TCanvas &canvas) override;

private:
    gradType FFillType = gVert;
    vcl::TColor FEndColor = vcl::clBtnFace;
    int FBands = 75;
    widgets::GradientColors FGrad;
};

// A colour button with a glyph left or right of its caption, cut from a strip
// of up to four images: up, disabled, down and hover (flat buttons).
class TzBitColBtn : public TzColorBtn
{
    Q_OBJECT
    Q_DISABLE_COPY(TzBitColBtn)

public:
    explicit TzBitColBtn(QWidget *parent = nullptr);

    const QImage &Glyph() const { return FStrip.Glyph(); }
    void SetBitmap(const QImage &value);
    int NumGlyphs() const { return FStrip.NumGlyphs(); }
    // 1 to 4; other values change nothing.
    void SetNumberOfBitmaps(int value);
    bool AutoBackColor() const { return FStrip.AutoBackColor(); }
    void SetAuto(bool value);
    vcl::TColor TransparentColor() const { return FStrip.TransparentColor(); }
    // Also switches AutoBackColor off.
    void SetTransColor(vcl::TColor value);
    tBitWhere BitmapWhere() const { return FBitmapWhere; }
    void SetBitWhere(tBitWhere value);
    // The caption may run over the glyph.
    bool TextOnTop() const { return FTextOnTop; }
    void SetTextOnTop(bool value);
    const widgets::GlyphImages &Images() const { return FStrip.Images(); }

protected:
    // Cuts the strip into its images on the current face colour and repaints.
    void SplitBitmap();
    void PaintCaption(widgets::TCanvas &canvas) override;
    void changeEvent(QEvent *e) override;

private:
    widgets::GlyphStrip FStrip;
    tBitWhere FBitmapWhere = z_BWLeft;
    bool FTextOnTop = false;
    vcl::TColor FSplitFace = vcl::clNone;
};

// A colour button with an icon for each of enabled, disabled and pressed.
class TzIconColBtn : public TzColorBtn
{
    Q_OBJECT
    Q_DISABLE_COPY(TzIconColBtn)

public:
    explicit TzIconColBtn(QWidget *parent = nullptr);

    const QPixmap &GlyphEnabled() const { return FIcons.enabled; }
    void SetOnIcon(const QPixmap &value);
    const QPixmap &GlyphDisabled() const { return FIcons.disabled; }
    void SetOffIcon(const QPixmap &value);
    const QPixmap &GlyphDown() const { return FIcons.down; }
    void SetDownIcon(const QPixmap &value);
    tBitWhere IconWhere() const { return FIconWhere; }
    void SetBitWhere(tBitWhere value);
    // Missing icons are filled from the others at the next icon change.
    bool AutoAllIcons() const { return FIcons.autoAll; }
    void SetAuto(bool value) { FIcons.autoAll = value; }

protected:
    virtual void SetIcons();
    void PaintCaption(widgets::TCanvas &canvas) override;

private:
    widgets::IconSet FIcons;
    tBitWhere FIconWhere = z_BWLeft;
};
