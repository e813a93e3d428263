#include "widgets/zAnimateColorBtns.h"

#include <QEvent>

using widgets::TCanvas;
using widgets::TRect;

// The glyph's distance from the button's side.
static constexpr int GlyphMargin = 5;

TzGradBtn::TzGradBtn(QWidget *parent) : TzColorBtn(parent)
{
    ColorSet();
}

void TzGradBtn::SetGrad(gradType value)
{
    if (value == FFillType)
        return;
    FFillType = value;
    update();
}

void TzGradBtn::SetEndColor(vcl::TColor value)
{
    if (value == FEndColor)
        return;
    FEndColor = value;
    update();
}

void TzGradBtn::SetBands(int value)
{
    if (value == FBands)
        return;
    FBands = value;
    update();
}

void TzGradBtn::ColorSet()
{
    FGrad = widgets::GradientColorSet(GetColor(), FEndColor);
}

void TzGradBtn::PaintFace(TCanvas &canvas)
{
    // Color may follow the parent, so the steps are taken when painting.
    ColorSet();
    widgets::PaintGradientFace(canvas, FFillType, FGrad, GetColor(), FEndColor, FBands, width(),
                               height(), Down() ? 1 : 0);
}

TzBitColBtn::TzBitColBtn(QWidget *parent) : TzColorBtn(parent) {}

void TzBitColBtn::SplitBitmap()
{
    FSplitFace = GetColor();
    FStrip.Split(FSplitFace);
    update();
}

void TzBitColBtn::SetBitmap(const QImage &value)
{
    FStrip.SetGlyph(value);
    SplitBitmap();
}

void TzBitColBtn::SetNumberOfBitmaps(int value)
{
    if (value != FStrip.NumGlyphs() && FStrip.SetNumGlyphs(value))
        SplitBitmap();
}

void TzBitColBtn::SetAuto(bool value)
{
    if (value == FStrip.AutoBackColor())
        return;
    FStrip.SetAutoBackColor(value);
    SplitBitmap();
}

void TzBitColBtn::SetTransColor(vcl::TColor value)
{
    FStrip.SetTransparentColor(value);
    SplitBitmap();
}

void TzBitColBtn::SetBitWhere(tBitWhere value)
{
    if (value == FBitmapWhere)
        return;
    FBitmapWhere = value;
    update();
}

void TzBitColBtn::SetTextOnTop(bool value)
{
    if (value == FTextOnTop)
        return;
    FTextOnTop = value;
    update();
}

void TzBitColBtn::changeEvent(QEvent *e)
{
    TzColorBtn::changeEvent(e);
    // The embossed image is made on the face colour and the system colours.
    if (e->type() == QEvent::PaletteChange && !FStrip.Glyph().isNull())
        SplitBitmap();
}

void TzBitColBtn::PaintCaption(TCanvas &canvas)
{
    // A colour written since the last split (the setter is the base's).
    if (GetColor() != FSplitFace)
        FStrip.Split(FSplitFace = GetColor());
    const widgets::GlyphImages &images = FStrip.Images();
    const int w = images.up.width();
    const int h = images.up.height();
    const bool pressed = Down();
    TRect rect = CaptionRect();
    if (!FTextOnTop)
        rect = widgets::CaptionBesideGlyph(rect, FBitmapWhere, w);
    const QPoint at = widgets::GlyphPosition(width() - 1, height() - 1, w, h, FBitmapWhere,
                                             GlyphMargin, pressed && isEnabled(), pressed);
    const QImage &image = FStrip.ImageFor(pressed, isEnabled(), Flat() && MouseIn());
    SetCaptionFont(canvas);
    canvas.Brush.Style = widgets::bsClear;
    widgets::PaintColorBtnCaption(canvas, Caption(), rect, CaptionFlags(), isEnabled(),
                                  [&] { FStrip.Draw(canvas, at, image, GetColor()); });
}

TzIconColBtn::TzIconColBtn(QWidget *parent) : TzColorBtn(parent)
{
    resize(140, 44);
}

void TzIconColBtn::SetIcons()
{
    FIcons.Complete();
    update();
}

void TzIconColBtn::SetOnIcon(const QPixmap &value)
{
    FIcons.enabled = value;
    SetIcons();
}

void TzIconColBtn::SetOffIcon(const QPixmap &value)
{
    FIcons.disabled = value;
    SetIcons();
}

void TzIconColBtn::SetDownIcon(const QPixmap &value)
{
    FIcons.down = value;
    SetIcons();
}

void TzIconColBtn::SetBitWhere(tBitWhere value)
{
    if (value == FIconWhere)
        return;
    FIconWhere = value;
    update();
}

void TzIconColBtn::PaintCaption(TCanvas &canvas)
{
    const bool pressed = Down();
    const QPixmap &icon = FIcons.For(pressed, isEnabled());
    const int w = icon.width();
    const int h = icon.height();
    // The caption always makes room for the icon and lies under it.
    SetCaptionFont(canvas);
    canvas.Brush.Style = widgets::bsClear;
    widgets::PaintColorBtnCaption(canvas, Caption(),
                                  widgets::CaptionBesideGlyph(CaptionRect(), FIconWhere, w),
                                  CaptionFlags(), isEnabled());
    if (w > 0) {
        const QPoint at = widgets::GlyphPosition(width() - 1, height() - 1, w, h, FIconWhere,
                                                 GlyphMargin, pressed && isEnabled(), pressed);
        canvas.Draw(at.x(), at.y(), icon.toImage());
    }
}
