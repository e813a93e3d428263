#include "widgets/zAnimateColorBtns.h"

#include <QApplication>
#include <QEvent>
#include <QPalette>

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

vcl::TColor TzGradBtn::FaceColor() const
{
    const QWidget *parent = parentWidget();
    if (ParentColor() && parent != nullptr) {
        const QPalette::ColorRole role = parent->backgroundRole();
        // Compared within one colour group, so an inactive window counts too.
        const QPalette::ColorGroup group = parent->palette().currentColorGroup();
        if (parent->palette().color(group, role) ==
            QApplication::palette(parent).color(group, role))
            return vcl::clBtnFace;
    }
    return GetColor();
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
