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
    PaintGlyphCaption(canvas, Strip(), FBitmapWhere, FTextOnTop, GlyphMargin,
                      [&](QPoint at, const QImage &image) { DrawGlyph(canvas, at, image); });
}

TzIconColBtn::TzIconColBtn(QWidget *parent) : TzColorBtn(parent)
{
    resize(140, 44);
}

void TzIconColBtn::PaintCaption(TCanvas &canvas)
{
    PaintIconCaption(canvas, IconFor(Down(), isEnabled()), IconLayoutSize(Down(), isEnabled()),
                     FIconWhere, GlyphMargin);
}
