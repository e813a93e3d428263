#include "widgets/ButtonFaces.h"

namespace widgets {

void GradientFace::SetGrad(gradType value)
{
    if (value == FFillType)
        return;
    FFillType = value;
    FaceChanged();
}

void GradientFace::SetEndColor(TColor value)
{
    if (value == FEndColor)
        return;
    FEndColor = value;
    FaceChanged();
}

void GradientFace::SetBands(int value)
{
    if (value == FBands)
        return;
    FBands = value;
    FaceChanged();
}

void GradientFace::ColorSet()
{
    FGrad = GradientColorSet(FaceColor(), FEndColor);
}

void GradientFace::PaintGradient(TCanvas &canvas, int width, int height, bool down)
{
    // The face colour may follow the parent, so the steps are taken now.
    ColorSet();
    PaintGradientFace(canvas, FFillType, FGrad, FaceColor(), FEndColor, FBands, width, height,
                      down ? 1 : 0);
}

void GlyphFace::SplitBitmap()
{
    FSplitFace = FaceColor();
    FStrip.Split(FSplitFace);
    FaceChanged();
}

const GlyphStrip &GlyphFace::Strip()
{
    // The face colour's setter belongs to the widget base.
    if (FaceColor() != FSplitFace) {
        FSplitFace = FaceColor();
        FStrip.Split(FSplitFace);
    }
    return FStrip;
}

void GlyphFace::DrawGlyph(TCanvas &canvas, QPoint pos, const QImage &image)
{
    FStrip.Draw(canvas, pos, image, FaceColor());
}

void GlyphFace::SetBitmap(const QImage &value)
{
    FStrip.SetGlyph(value);
    SplitBitmap();
}

void GlyphFace::SetNumberOfBitmaps(int value)
{
    if (value != FStrip.NumGlyphs() && FStrip.SetNumGlyphs(value))
        SplitBitmap();
}

void GlyphFace::SetAuto(bool value)
{
    if (value == FStrip.AutoBackColor())
        return;
    FStrip.SetAutoBackColor(value);
    SplitBitmap();
}

void GlyphFace::SetTransColor(TColor value)
{
    FStrip.SetTransparentColor(value);
    SplitBitmap();
}

void IconFace::SetIcons()
{
    FIcons.Complete();
    FaceChanged();
}

void IconFace::SetOnIcon(const QPixmap &value)
{
    FIcons.enabled = value;
    SetIcons();
}

void IconFace::SetOffIcon(const QPixmap &value)
{
    FIcons.disabled = value;
    SetIcons();
}

void IconFace::SetDownIcon(const QPixmap &value)
{
    FIcons.down = value;
    SetIcons();
}

} // namespace widgets
