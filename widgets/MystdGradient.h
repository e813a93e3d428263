// Gradient faces of the gradient buttons: the bands as a list of rectangles
// and colours, computed without any painting.
//
// Thread contract: pure functions, any thread.
#pragma once

#include "widgets/Canvas.h"

#include <array>
#include <cstdint>
#include <vector>

// The gradient kind; the four diagonal kinds paint no gradient.
enum gradType : std::uint8_t {
    gHorz = 0,
    gVert = 1,
    gCenter = 2,
    gTopLeftBottomRight = 3,
    gTopRightBottomLeft = 4,
    gDiagLeft = 5,
    gDiagRight = 6,
};

namespace widgets {

// a * b / c rounded half away from zero in 64 bits; -1 when c is 0 or the
// result does not fit in an int, as the window system answers.
int MulDiv(int a, int b, int c);

// Red, green and blue of a stored colour value (a system colour's bytes are
// taken as they are) and the signed steps to the end colour.
struct GradientColors
{
    std::array<std::int16_t, 3> start{};
    std::array<std::int16_t, 3> delta{};
};
GradientColors GradientColorSet(TColor color, TColor endColor);

struct GradientBand
{
    TRect rect;
    TColor color = 0;

    friend bool operator==(const GradientBand &, const GradientBand &) = default;
};

// The bands of a gradient face on a control width x height, shifted by
// `offset` (1 while pressed), with `bands` + 1 colour steps. Empty when no
// gradient is painted: equal stored colours, fewer than one band, a centre
// gradient on a button 2 pixels or less wide or high, or a diagonal kind;
// the caller has filled the face with Color before. Never more rectangles
// than the face has rows, columns or rings, however many bands.
std::vector<GradientBand> GradientBands(gradType kind, const GradientColors &colors,
                                        TColor color, TColor endColor, int bands, int width,
                                        int height, int offset);

// Fills the face with `color` and paints the gradient over it.
void PaintGradientFace(TCanvas &canvas, gradType kind, const GradientColors &colors,
                       TColor color, TColor endColor, int bands, int width, int height,
                       int offset);

} // namespace widgets
