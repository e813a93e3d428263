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

void TzGradBtn::SetColor(vcl::TColor value)
{
    TzColorBtn::SetColor(value);
    ColorSet();
}

void TzGradBtn::PaintFace(TCanvas &canvas)
{
    PaintGradient(canvas, width(), height(), Down());
}

TzBitColBtn::TzBitColBtn(QWidget *parent) : TzColorBtn(parent) {}

void TzBitColBtn::changeEvent(QEvent *e)
{
    TzColorBtn::changeEvent(e);
    // The embossed image is made on the face colour and the system colours.
    if (e->type() == QEvent::PaletteChange && !Glyph().isNull())
        SplitBitmap();
}

void TzBitColBtn::PaintCaption(TCanvas &canvas)
{
    const widgets::GlyphStrip &strip = Strip();
    const QImage &up = strip.Images().up;
    const bool pressed = Down();
    TRect rect = CaptionRect();
    if (!FTextOnTop)
        rect = widgets::CaptionBesideGlyph(rect, FBitmapWhere, up.width());
    const QPoint at = widgets::GlyphPosition(width() - 1, height() - 1, up.width(), up.height(),
                                             FBitmapWhere, GlyphMargin, pressed && isEnabled(),
                                             pressed);
    const QImage &image = strip.ImageFor(pressed, isEnabled(), Flat() && MouseIn());
    SetCaptionFont(canvas);
    canvas.Brush.Style = widgets::bsClear;
    widgets::PaintColorBtnCaption(canvas, Caption(), rect, CaptionFlags(), isEnabled(),
                                  [&] { DrawGlyph(canvas, at, image); });
}

TzIconColBtn::TzIconColBtn(QWidget *parent) : TzColorBtn(parent)
{
    resize(140, 44);
}

void TzIconColBtn::PaintCaption(TCanvas &canvas)
{
    const bool pressed = Down();
    const QPixmap &icon = IconFor(pressed, isEnabled());
    const QSize size = IconLayoutSize(pressed, isEnabled());
    // The caption always makes room for the icon and lies under it.
    SetCaptionFont(canvas);
    canvas.Brush.Style = widgets::bsClear;
    widgets::PaintColorBtnCaption(canvas, Caption(),
                                  widgets::CaptionBesideGlyph(CaptionRect(), FIconWhere,
                                                              size.width()),
                                  CaptionFlags(), isEnabled());
    if (icon.width() > 0) {
        const QPoint at =
            widgets::GlyphPosition(width() - 1, height() - 1, size.width(), size.height(),
                                   FIconWhere, GlyphMargin, pressed && isEnabled(), pressed);
        canvas.Draw(at.x(), at.y(), icon.toImage());
    }
}
