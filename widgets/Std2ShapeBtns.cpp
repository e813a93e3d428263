#include "widgets/Std2ShapeBtns.h"

using widgets::TCanvas;

TzcShapeGradBtn::TzcShapeGradBtn(QWidget *parent) : TzcShapeColorBtn(parent)
{
    ColorSet();
}

void TzcShapeGradBtn::SetFillType(gradType value)
{
    if (value == FFillType)
        return;
    FFillType = value;
    update();
}

void TzcShapeGradBtn::SetEndColor(vcl::TColor value)
{
    if (value == FEndColor)
        return;
    FEndColor = value;
    update();
}

void TzcShapeGradBtn::SetBands(int value)
{
    if (value == FBands)
        return;
    FBands = value;
    update();
}

void TzcShapeGradBtn::ColorSet()
{
    FGrad = widgets::GradientColorSet(Color(), FEndColor);
}

void TzcShapeGradBtn::PaintLook(TCanvas &canvas)
{
    // Color's setter is the base's, so the steps are taken when painting.
    ColorSet();
    widgets::PaintGradientFace(canvas, FFillType, FGrad, Color(), FEndColor, FBands, width(),
                               height(), Down() ? 1 : 0);
    TzcShapeColorBtn::PaintLook(canvas);
}

TzcShapeBitColBtn::TzcShapeBitColBtn(QWidget *parent) : TzcShapeColorBtn(parent)
{
    FOffsetGlyph.OnChange = [this] { SplitBitmap(); };
}

void TzcShapeBitColBtn::SplitBitmap()
{
    FSplitFace = Color();
    FStrip.Split(FSplitFace);
    update();
}

void TzcShapeBitColBtn::SetGlyph(const QImage &value)
{
    FStrip.SetGlyph(value);
    SplitBitmap();
}

void TzcShapeBitColBtn::SetNumGlyphs(int value)
{
    if (value != FStrip.NumGlyphs() && FStrip.SetNumGlyphs(value))
        SplitBitmap();
}

void TzcShapeBitColBtn::SetAutoBackColor(bool value)
{
    if (value == FStrip.AutoBackColor())
        return;
    FStrip.SetAutoBackColor(value);
    SplitBitmap();
}

void TzcShapeBitColBtn::SetTransparentColor(vcl::TColor value)
{
    FStrip.SetTransparentColor(value);
    SplitBitmap();
}

void TzcShapeBitColBtn::PaintLook(TCanvas &canvas)
{
    if (Color() != FSplitFace)
        FStrip.Split(FSplitFace = Color());
    const bool down = Down();
    const QImage &image = FStrip.ImageFor(down, isEnabled(), false);
    const int shift = down ? 1 : 0;
    FStrip.Draw(canvas, QPoint(FOffsetGlyph.Left() + shift, FOffsetGlyph.Top() + shift), image,
                Color());
    TzcShapeColorBtn::PaintLook(canvas);
}

TzcShapeIconColBtn::TzcShapeIconColBtn(QWidget *parent) : TzcShapeColorBtn(parent)
{
    FOffsetIcon.OnChange = [this] { update(); };
    resize(140, 140);
    TextSize().Assign(TzcTextSize(36, 36, 96, 96));
}

void TzcShapeIconColBtn::SetIcons()
{
    FIcons.Complete();
    update();
}

void TzcShapeIconColBtn::SetGlyphEnabled(const QPixmap &value)
{
    FIcons.enabled = value;
    SetIcons();
}

void TzcShapeIconColBtn::SetGlyphDisabled(const QPixmap &value)
{
    FIcons.disabled = value;
    SetIcons();
}

void TzcShapeIconColBtn::SetGlyphDown(const QPixmap &value)
{
    FIcons.down = value;
    SetIcons();
}

void TzcShapeIconColBtn::PaintLook(TCanvas &canvas)
{
    const QPixmap &icon = FIcons.For(Down(), isEnabled());
    const int shift = Down() ? 1 : 0;
    // Drawn at the icon's own size; the window system drew 32 x 32 always.
    if (icon.width() > 0)
        canvas.Draw(FOffsetIcon.Left() + shift, FOffsetIcon.Top() + shift, icon.toImage());
    TzcShapeColorBtn::PaintLook(canvas);
}
