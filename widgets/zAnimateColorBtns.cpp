#include "widgets/zAnimateColorBtns.h"

#include <QEvent>

using widgets::TCanvas;
using widgets::TRect;

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

TzBitColBtn::TzBitColBtn(QWidget *parent) : GlyphColorBtn(parent) {}

void TzBitColBtn::changeEvent(QEvent *e)
{
    TzColorBtn::changeEvent(e);
    // The embossed image is made on the face colour and the system colours.
    if (e->type() == QEvent::PaletteChange && !Glyph().isNull())
        SplitBitmap();
}

TzIconColBtn::TzIconColBtn(QWidget *parent) : IconColorBtn(parent)
{
    resize(140, 44);
}
