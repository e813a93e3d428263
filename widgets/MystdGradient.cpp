#include "widgets/MystdGradient.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace widgets {

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const long long num = static_cast<long long>(a) * b;
    const long long den = c;
    long long q = num / den;
    const long long r = num % den;
    // Round half away from zero.
    if (2 * std::llabs(r) >= std::llabs(den))
        q += ((num < 0) != (den < 0)) ? -1 : 1;
    if (q > INT_MAX || q < INT_MIN)
        return -1;
    return static_cast<int>(q);
}

GradientColors GradientColorSet(TColor color, TColor endColor)
{
    GradientColors out;
    for (int c = 0; c < 3; ++c) {
        const int start = int((color >> (8 * c)) & 0xFF);
        const int end = int((endColor >> (8 * c)) & 0xFF);
        out.start[c] = std::int16_t(start);
        out.delta[c] = std::int16_t(end - start);
    }
    return out;
}

namespace {

TColor stepColor(const GradientColors &colors, int i, int n)
{
    TColor out = 0;
    for (int c = 0; c < 3; ++c) {
        const int v = colors.start[c] + MulDiv(i, colors.delta[c], n);
        out |= TColor(v & 0xFF) << (8 * c);
    }
    return out;
}

// The band whose rows [MulDiv(i, extent, n + 1), MulDiv(i + 1, extent, n + 1))
// hold `pos`: the last i whose start is at or before it, found by halving.
int bandAt(int pos, int extent, int n)
{
    const long long den = static_cast<long long>(n) + 1;
    const auto startOf = [&](long long k) {
        // 64 bits: k * extent may pass INT_MAX for a huge band count.
        const long long num = k * extent;
        return (2 * (num % den) >= den) ? num / den + 1 : num / den;
    };
    long long lo = 0;
    long long hi = n;
    while (lo < hi) {
        const long long mid = lo + (hi - lo + 1) / 2;
        if (startOf(mid) <= pos)
            lo = mid;
        else
            hi = mid - 1;
    }
    return int(lo);
}

// gVert / gHorz: bands across `extent` rows (or columns) of `span` length.
void linearBands(std::vector<GradientBand> &out, const GradientColors &colors, int n, int extent,
                 int span, int offset, bool vertical)
{
    const auto band = [&](int from, int length, TColor color) {
        const TRect r = vertical ? TRect{offset, offset + from, offset + span, offset + from + length}
                                 : TRect{offset + from, offset, offset + from + length, offset + span};
        if (!r.IsEmpty())
            out.push_back({r, color});
    };
    if (extent <= 0)
        return;
    if (static_cast<long long>(n) + 1 <= extent) {
        for (int i = 0; i <= n; ++i) {
            const int from = MulDiv(i, extent, n + 1);
            band(from, MulDiv(i + 1, extent, n + 1) - from, stepColor(colors, i, n));
        }
        return;
    }
    // More bands than rows: the same pixels, one row at a time.
    for (int pos = 0; pos < extent; ++pos)
        band(pos, 1, stepColor(colors, bandAt(pos, extent, n), n));
}

} // namespace

std::vector<GradientBand> GradientBands(gradType kind, const GradientColors &colors,
                                        TColor color, TColor endColor, int bands, int width,
                                        int height, int offset)
{
    std::vector<GradientBand> out;
    if (color == endColor || bands < 1)
        return out;
    const int W = width - 1;
    const int H = height - 1;
    switch (kind) {
    case gVert:
        linearBands(out, colors, bands, H, W, offset, true);
        break;
    case gHorz:
        linearBands(out, colors, bands, W, H, offset, false);
        break;
    case gCenter: {
        const int m = std::min({bands, W / 2, H / 2});
        if (m < 1)
            break;
        const int sx = std::max(1, (W / 2) / m);
        const int sy = std::max(1, (H / 2) / m);
        TRect r = TRect{0, 0, width, height}.Offset(offset, offset).Inflated(-1, -1);
        for (int i = 0; i <= m; ++i) {
            const TColor c = stepColor(colors, i, m);
            if (i < m) {
                const TRect strips[] = {{r.Left, r.Top, r.Right, r.Top + sy},
                                        {r.Left, r.Top, r.Left + sx, r.Bottom},
                                        {r.Left, r.Bottom - sy, r.Right, r.Bottom},
                                        {r.Right - sx, r.Top, r.Right, r.Bottom}};
                for (const TRect &s : strips)
                    if (!s.IsEmpty())
                        out.push_back({s, c});
            } else if (!r.IsEmpty()) {
                out.push_back({r, c});
            }
            r = r.Inflated(-sx, -sy);
        }
        break;
    }
    default:
        break;
    }
    return out;
}

void PaintGradientFace(TCanvas &canvas, gradType kind, const GradientColors &colors,
                       TColor color, TColor endColor, int bands, int width, int height,
                       int offset)
{
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = color;
    canvas.FillRect({0, 0, width, height});
    for (const GradientBand &band :
         GradientBands(kind, colors, color, endColor, bands, width, height, offset)) {
        canvas.Brush.Color = band.color;
        canvas.FillRect(band.rect);
    }
    canvas.Brush.Color = color;
}

} // namespace widgets
