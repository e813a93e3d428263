// The settings and faces the picture buttons share, whatever their base:
// a gradient, a glyph strip, or three state icons. A button inherits the one
// it shows beside its widget base and answers where its face colour comes
// from and how it repaints.
//
// Thread contract: main thread only, with the widget that inherits it.
#pragma once

#include "widgets/ButtonGlyphs.h"
#include "widgets/ButtonProperty.h"
#include "widgets/MystdGradient.h"

#include <QImage>
#include <QPixmap>

namespace widgets {

class GradientFace
{
public:
    gradType FillType() const { return FFillType; }
    // Each of these runs ColorSet before repainting.
    void SetGrad(gradType value);
    TColor EndColor() const { return FEndColor; }
    void SetEndColor(TColor value);
    int Bands() const { return FBands; }
    void SetBands(int value);
    const GradientColors &Gradient() const { return FGrad; }

protected:
    virtual ~GradientFace() = default;
    // Splits the face colour and EndColor as stored, a system colour's
    // bytes unresolved.
    virtual void ColorSet();
    // The face colour, then the gradient over it; one pixel on while pressed.
    void PaintGradient(TCanvas &canvas, int width, int height, bool down);
    virtual TColor FaceColor() const = 0;
    virtual void FaceChanged() = 0;

private:
    gradType FFillType = gVert;
    TColor FEndColor = vcl::clBtnFace;
    int FBands = 75;
    GradientColors FGrad;
};

class GlyphFace
{
public:
    const QImage &Glyph() const { return FStrip.Glyph(); }
    // Copies the strip and cuts it.
    void SetBitmap(const QImage &value);
    int NumGlyphs() const { return FStrip.NumGlyphs(); }
    // 1 to 4; other values change nothing.
    void SetNumberOfBitmaps(int value);
    bool AutoBackColor() const { return FStrip.AutoBackColor(); }
    void SetAuto(bool value);
    TColor TransparentColor() const { return FStrip.TransparentColor(); }
    // Also switches AutoBackColor off.
    void SetTransColor(TColor value);
    // Cut on the face colour of the moment.
    const GlyphImages &Images() { return Strip().Images(); }

protected:
    virtual ~GlyphFace() = default;
    // Cuts the strip on the current face colour, then repaints.
    void SplitBitmap();
    // The strip, cut again first when the face colour changed since.
    const GlyphStrip &Strip();
    // The image at `pos`, its transparent pixels in the face colour.
    void DrawGlyph(TCanvas &canvas, QPoint pos, const QImage &image);
    virtual TColor FaceColor() const = 0;
    virtual void FaceChanged() = 0;

private:
    GlyphStrip FStrip;
    TColor FSplitFace = vcl::clNone;
};

class IconFace
{
public:
    const QPixmap &GlyphEnabled() const { return FIcons.enabled; }
    void SetOnIcon(const QPixmap &value);
    const QPixmap &GlyphDisabled() const { return FIcons.disabled; }
    void SetOffIcon(const QPixmap &value);
    const QPixmap &GlyphDown() const { return FIcons.down; }
    void SetDownIcon(const QPixmap &value);
    // Missing icons are filled from the others at each icon change.
    bool AutoAllIcons() const { return FIcons.autoAll; }
    void SetAuto(bool value) { FIcons.autoAll = value; }

protected:
    virtual ~IconFace() = default;
    // Fills missing icons (with AutoAllIcons), then repaints.
    virtual void SetIcons();
    const QPixmap &IconFor(bool down, bool enabled) const { return FIcons.For(down, enabled); }
    QSize IconLayoutSize(bool down, bool enabled) const { return FIcons.LayoutSize(down, enabled); }
    virtual void FaceChanged() = 0;

private:
    IconSet FIcons;
};

// A glyph beside the caption of a colour button, windowed or windowless: the
// button paints its caption layer with the glyph, FGlyphMargin from the side.
template <class Button> class GlyphColorBtn : public Button, public GlyphFace
{
public:
    using Button::Button;

    tBitWhere BitmapWhere() const { return FBitmapWhere; }
    void SetBitWhere(tBitWhere value) { SetShown(this, FBitmapWhere, value); }
    // The caption may run over the glyph.
    bool TextOnTop() const { return FTextOnTop; }
    void SetTextOnTop(bool value) { SetShown(this, FTextOnTop, value); }

protected:
    void PaintCaption(TCanvas &canvas) override
    {
        this->PaintGlyphCaption(
            canvas, Strip(), FBitmapWhere, FTextOnTop, FGlyphMargin,
            [&](QPoint at, const QImage &image) { DrawGlyph(canvas, at, image); });
    }
    TColor FaceColor() const override { return this->GetColor(); }
    void FaceChanged() override { this->update(); }

    int FGlyphMargin = 5;

private:
    tBitWhere FBitmapWhere = z_BWLeft;
    bool FTextOnTop = false;
};

// Likewise an icon for each of enabled, disabled and pressed.
template <class Button> class IconColorBtn : public Button, public IconFace
{
public:
    using Button::Button;

    tBitWhere IconWhere() const { return FIconWhere; }
    void SetBitWhere(tBitWhere value) { SetShown(this, FIconWhere, value); }

protected:
    void PaintCaption(TCanvas &canvas) override
    {
        const bool down = this->Down();
        const bool enabled = this->isEnabled();
        this->PaintIconCaption(canvas, IconFor(down, enabled), IconLayoutSize(down, enabled),
                               FIconWhere, FGlyphMargin);
    }
    void FaceChanged() override { this->update(); }

    int FGlyphMargin = 5;

private:
    tBitWhere FIconWhere = z_BWLeft;
};

} // namespace widgets
