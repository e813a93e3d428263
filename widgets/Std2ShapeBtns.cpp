#include "widgets/Std2ShapeBtns.h"

using widgets::TCanvas;

TzcShapeGradBtn::TzcShapeGradBtn(QWidget *parent) : TzcShapeColorBtn(parent)
{
    ColorSet();
}

void TzcShapeGradBtn::PaintLook(TCanvas &canvas)
{
    PaintGradient(canvas, width(), height(), Down());
    TzcShapeColorBtn::PaintLook(canvas);
}

TzcShapeBitColBtn::TzcShapeBitColBtn(QWidget *parent) : TzcShapeColorBtn(parent)
{
    FOffsetGlyph.OnChange = [this] { SplitBitmap(); };
}

void TzcShapeBitColBtn::PaintLook(TCanvas &canvas)
{
    const bool down = Down();
    const int shift = down ? 1 : 0;
    DrawGlyph(canvas, QPoint(FOffsetGlyph.Left() + shift, FOffsetGlyph.Top() + shift),
              Strip().ImageFor(down, isEnabled(), false));
    TzcShapeColorBtn::PaintLook(canvas);
}

TzcShapeIconColBtn::TzcShapeIconColBtn(QWidget *parent) : TzcShapeColorBtn(parent)
{
    FOffsetIcon.OnChange = [this] { update(); };
    resize(140, 140);
    TextSize().Assign(TzcTextSize(36, 36, 96, 96));
}

void TzcShapeIconColBtn::PaintLook(TCanvas &canvas)
{
    const QPixmap &icon = IconFor(Down(), isEnabled());
    const int shift = Down() ? 1 : 0;
    // Drawn at the icon's own size; the window system drew 32 x 32 always.
    if (icon.width() > 0)
        canvas.Draw(FOffsetIcon.Left() + shift, FOffsetIcon.Top() + shift, icon.toImage());
    TzcShapeColorBtn::PaintLook(canvas);
}
