#include "widgets/zAnimateFastBmp.h"

#include "widgets/Canvas.h"

#include <QPainter>
#include <QPainterPath>
#include <QPoint>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

namespace widgets {

bool RasterOfset = false;

namespace {

std::mt19937 &generator()
{
    thread_local std::mt19937 engine(5489u);
    return engine;
}

// The window system's Round: to the nearest integer, ties to even (the
// default floating-point rounding mode).
int RoundHalfEven(double value)
{
    return int(std::nearbyint(value));
}

std::int64_t Stride(int width)
{
    return std::int64_t(width) * 3 + width % 4;
}

// More than any machine this runs on can give one bitmap: refused before
// asking, so that no allocator gives up on the request instead.
constexpr std::int64_t MaxBitmapBytes = std::int64_t(1) << 40;

[[noreturn]] void OutOfResources()
{
    throw EOutOfResources("Out of system resources");
}

TColor PixelColor(const std::uint8_t *p)
{
    return vcl::RGB(p[2], p[1], p[0]);
}

void StoreColor(std::uint8_t *p, TColor rgb)
{
    p[0] = std::uint8_t(rgb >> 16);
    p[1] = std::uint8_t(rgb >> 8);
    p[2] = std::uint8_t(rgb);
}

// The result of an effect goes back into the caller's image, in its format.
void WriteBack(QImage &bitmap, const TzFastBmp &fast)
{
    const QImage::Format format = bitmap.format();
    bitmap = fast.ToImage().convertToFormat(format);
}

template <typename PixelFn> void ForEachPixel(TzFastBmp &fast, PixelFn fn)
{
    for (int y = 0; y < fast.Height(); ++y) {
        std::uint8_t *p = fast.GetLine(y);
        for (int x = 0; x < fast.Width(); ++x, p += 3)
            fn(p);
    }
}

// Runs `fn` on every pixel of `bitmap` except, with skipTransparent, those of
// the transparent colour.
template <typename PixelFn>
void ChangePixels(QImage &bitmap, bool skipTransparent, TColor transparent, PixelFn fn)
{
    if (bitmap.isNull())
        return;
    TzFastBmp fast(bitmap);
    const TColor key = vcl::ColorToRGB(transparent);
    ForEachPixel(fast, [&](std::uint8_t *p) {
        if (!skipTransparent || PixelColor(p) != key)
            fn(p);
    });
    WriteBack(bitmap, fast);
}

template <typename Filter> void Filtered(QImage &bitmap, Filter filter)
{
    if (bitmap.isNull())
        return;
    TzFastBmp fast(bitmap);
    filter(fast);
    WriteBack(bitmap, fast);
}

} // namespace

void Randomize(std::uint32_t seed)
{
    generator().seed(seed);
}

int Random(int n)
{
    if (n <= 0)
        return 0;
    // Scaling the 32-bit draw keeps the sequence the same on every library.
    return int((std::uint64_t(generator()()) * std::uint64_t(n)) >> 32);
}

} // namespace widgets

using namespace widgets;

TzFastBmp::TzFastBmp(int w, int h) : FWidth(w > 0 ? w : 0), FHeight(h > 0 ? h : 0)
{
    DoCalcLines();
}

TzFastBmp::TzFastBmp(const QImage &bitmap) : TzFastBmp(bitmap.width(), bitmap.height())
{
    if (FSize == 0)
        return;
    const QImage bgr = bitmap.convertToFormat(QImage::Format_BGR888);
    if (bgr.isNull())
        OutOfResources();
    for (int y = 0; y < FHeight; ++y)
        std::memcpy(Line(y), bgr.constScanLine(y), std::size_t(FWidth) * 3);
}

void TzFastBmp::DoCalcLines()
{
    FRowInc = Stride(FWidth);
    if (FHeight > 0 && FRowInc > MaxBitmapBytes / FHeight)
        OutOfResources();
    FSize = FRowInc * FHeight;
    if (FSize == 0)
        return;
    FBits.reset(static_cast<std::uint8_t *>(std::calloc(std::size_t(FSize), 1)));
    if (!FBits)
        OutOfResources();
}

void TzFastBmp::SetPixel(int x, int y, vcl::TColor color)
{
    if (x < 0 || x >= FWidth || y < 0 || y >= FHeight)
        return;
    StoreColor(Line(y) + 3 * std::size_t(x), vcl::ColorToRGB(color));
}

vcl::TColor TzFastBmp::GetPixel(int x, int y) const
{
    if (x < 0 || x >= FWidth || y < 0 || y >= FHeight)
        return NoPixel;
    return PixelColor(Line(y) + 3 * std::size_t(x));
}

std::uint8_t *TzFastBmp::GetLine(int y)
{
    return y >= 0 && y < FHeight ? Line(y) : nullptr;
}

void TzFastBmp::SetLine(int y, const std::uint8_t *src)
{
    if (y >= 0 && y < FHeight && src)
        std::memcpy(Line(y), src, std::size_t(FWidth) * 3);
}

void TzFastBmp::GetScanLine(int y, std::uint8_t *dst) const
{
    if (y >= 0 && y < FHeight && dst)
        std::memcpy(dst, Line(y), std::size_t(FWidth) * 3);
}

QImage TzFastBmp::ToImage() const
{
    if (FSize == 0)
        return QImage();
    QImage image(FWidth, FHeight, QImage::Format_BGR888);
    if (image.isNull())
        OutOfResources();
    for (int y = 0; y < FHeight; ++y)
        std::memcpy(image.scanLine(y), Line(y), std::size_t(FWidth) * 3);
    return image;
}

void TzFastBmp::Draw(widgets::TCanvas &canvas, int x, int y) const
{
    canvas.Draw(x, y, ToImage());
}

void TzFastBmp::ColorNoise(int amount)
{
    const int half = amount / 2;
    ForEachPixel(*this, [&](std::uint8_t *p) {
        for (int c = 2; c >= 0; --c) { // red, green, blue
            // In 64 bits: a draw near the largest amount plus the channel
            // overflows an int.
            const std::int64_t v = std::int64_t(p[c]) + Random(amount) - half;
            p[c] = ClampByte(int(v < -1 ? -1 : v > 256 ? 256 : v));
        }
    });
}

void TzFastBmp::BWNoise(int amount)
{
    const int half = amount / 2;
    ForEachPixel(*this, [&](std::uint8_t *p) {
        const int d = Random(amount) - half;
        for (int c = 0; c < 3; ++c)
            p[c] = ClampByte(p[c] + d);
    });
}

void TzFastBmp::Saturation(int amount)
{
    ForEachPixel(*this, [&](std::uint8_t *p) {
        const int grey = (p[0] + p[1] + p[2]) / 3;
        for (int c = 0; c < 3; ++c) {
            const std::int64_t v = grey + std::int64_t(p[c] - grey) * amount / 255;
            p[c] = ClampByte(int(v < -1 ? -1 : v > 256 ? 256 : v));
        }
    });
}

void TzFastBmp::Contrast(int amount)
{
    ForEachPixel(*this, [&](std::uint8_t *p) {
        for (int c = 0; c < 3; ++c) {
            std::int64_t d = std::int64_t(amount) * std::abs(p[c] - 127) / 255;
            d = d < -256 ? -256 : d > 256 ? 256 : d;
            p[c] = ClampByte(p[c] < 128 ? int(p[c] - d) : int(p[c] + d));
        }
    });
}

void TzFastBmp::Sharpen(int amount)
{
    // The neighbours need two rows and two columns; -4 would divide by zero.
    if (FWidth < 2 || FHeight < 2 || amount == -4)
        return;
    // In 64 bits, where no amount overflows.
    const std::int64_t divisor = std::int64_t(amount) + 4;
    std::vector<std::uint8_t> row(std::size_t(FWidth) * 3);
    for (int y = 0; y < FHeight; ++y) {
        const std::uint8_t *upper = Line(y == 0 ? 1 : y - 1);
        const std::uint8_t *lower = Line(y == FHeight - 1 ? y - 1 : y + 1);
        GetScanLine(y, row.data());
        for (int x = 0; x < FWidth; ++x) {
            const std::size_t centre = 3 * std::size_t(x);
            const std::size_t left = 3 * std::size_t(x == 0 ? 1 : x - 1);
            const std::size_t right = 3 * std::size_t(x == FWidth - 1 ? x - 1 : x + 1);
            for (std::size_t c = 0; c < 3; ++c) {
                const std::int64_t sum = row[left + c] + row[right + c] + upper[centre + c] +
                                         lower[centre + c] + std::int64_t(amount) * row[centre + c];
                const std::int64_t v = sum / divisor;
                row[centre + c] = ClampByte(int(v < -1 ? -1 : v > 256 ? 256 : v));
            }
        }
        SetLine(y, row.data());
    }
}

void TzFastBmp::Blur(int amount)
{
    BlurPass(amount);
}

bool TzFastBmp::BlurPass(int amount)
{
    if (amount == 0)
        return false;
    // The samples as the effect picks them, in 64 bits where no amount
    // overflows; one that would fall outside the image is the pixel's own row
    // or column.
    const std::int64_t a = amount;
    const auto first = [a](int i, int n) {
        const std::int64_t s = i - a >= 0 ? i - a : i;
        return s < n ? int(s) : i;
    };
    const auto second = [a](int i, int n) {
        const std::int64_t s = i + a < n ? i + a : n - i;
        return s >= 0 && s < n ? int(s) : i;
    };
    bool changed = false;
    for (int y = 0; y < FHeight; ++y) {
        const std::uint8_t *upper = Line(first(y, FHeight));
        const std::uint8_t *lower = Line(second(y, FHeight));
        std::uint8_t *dst = Line(y);
        for (int x = 0; x < FWidth; ++x) {
            const std::size_t l = 3 * std::size_t(first(x, FWidth));
            const std::size_t r = 3 * std::size_t(second(x, FWidth));
            for (std::size_t c = 0; c < 3; ++c) {
                const auto v =
                    std::uint8_t((upper[l + c] + lower[l + c] + upper[r + c] + lower[r + c]) >> 2);
                changed = changed || dst[3 * std::size_t(x) + c] != v;
                dst[3 * std::size_t(x) + c] = v;
            }
        }
    }
    return changed;
}

void TzFastBmp::GaussianBlur(int amount)
{
    // From the longer side on, every amount takes the same samples (the
    // pixel's own and its mirror image), so the passes of all those amounts
    // are one pass repeated, and once a pass changes nothing no later one
    // does. Each such pass takes every group of mirrored pixels towards its
    // mean and lowers the group's highest value, so it settles within 256
    // passes: any larger amount gives what the amount where it settled gives.
    const int same = IntMax(FWidth, FHeight);
    int a = amount;
    if (a > same) {
        while (a > same && BlurPass(same))
            --a;
        a = same;
    }
    for (; a >= 1; --a)
        Blur(a);
}

namespace widgets {

void AddColorNoise(QImage &bitmap, int amount)
{
    Filtered(bitmap, [&](TzFastBmp &f) { f.ColorNoise(amount); });
}

void AddBWNoise(QImage &bitmap, int amount)
{
    Filtered(bitmap, [&](TzFastBmp &f) { f.BWNoise(amount); });
}

void Contrast(QImage &bitmap, int amount)
{
    Filtered(bitmap, [&](TzFastBmp &f) { f.Contrast(amount); });
}

void Saturation(QImage &bitmap, int amount)
{
    Filtered(bitmap, [&](TzFastBmp &f) { f.Saturation(amount); });
}

void Sharpen(QImage &bitmap, int amount)
{
    Filtered(bitmap, [&](TzFastBmp &f) { f.Sharpen(amount); });
}

void Blur(QImage &bitmap, int amount)
{
    Filtered(bitmap, [&](TzFastBmp &f) { f.Blur(amount); });
}

void GaussianBlur(QImage &bitmap, int amount)
{
    Filtered(bitmap, [&](TzFastBmp &f) { f.GaussianBlur(amount); });
}

void DarkenBMP(QImage &bitmap, std::int8_t percent, bool skipTransparent, TColor transparent)
{
    const int amount = RoundHalfEven(percent * 2.55);
    ChangePixels(bitmap, skipTransparent, transparent, [&](std::uint8_t *p) {
        for (int c = 0; c < 3; ++c)
            p[c] = ClampByte(p[c] - amount);
    });
}

void LightenBMP(QImage &bitmap, std::int8_t percent, bool skipTransparent, TColor transparent)
{
    const int amount = RoundHalfEven(percent * 2.55);
    ChangePixels(bitmap, skipTransparent, transparent, [&](std::uint8_t *p) {
        for (int c = 0; c < 3; ++c)
            p[c] = ClampByte(p[c] + amount);
    });
}

void GreyBMP(QImage &bitmap, bool skipTransparent, TColor transparent)
{
    ChangePixels(bitmap, skipTransparent, transparent, [&](std::uint8_t *p) {
        const std::uint8_t grey = ClampByte(RoundHalfEven(0.30 * p[2] + 0.59 * p[1] + 0.11 * p[0]));
        p[0] = p[1] = p[2] = grey;
    });
}

void RasterBMP(QImage &bitmap, TColor color, TzRast kind)
{
    if (bitmap.isNull())
        return;
    TzFastBmp fast(bitmap);
    const int w = fast.Width();
    const int h = fast.Height();
    const auto inPattern = [](int x, int y) {
        const int m = x % 8;
        return (y % 2 == 1) ? (m == 3 || m == 7) : (m == 1 || m == 5);
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            switch (kind) {
            case Rast25:
                if (inPattern(x, y) != RasterOfset)
                    fast.SetPixel(x, y, color);
                break;
            case Rast50:
                if (((x + y) % 2 == 1) != RasterOfset)
                    fast.SetPixel(x, y, color);
                break;
            case Rast75:
                if (x < w - 1 && y < h - 1 && inPattern(x, y)) {
                    fast.SetPixel(x, y, color);
                    fast.SetPixel(x + 1, y, color);
                    fast.SetPixel(x, y + 1, color);
                }
                break;
            }
        }
    }
    WriteBack(bitmap, fast);
}

void BMPRotate(const QImage &src, QImage &dst, int degrees)
{
    if (dst.isNull())
        return;
    const TzFastBmp source(src);
    TzFastBmp target(dst);
    const double a = degrees * 0.0174532925199433;
    const int cx = source.Width() / 2;
    const int cy = source.Height() / 2;
    const int dcx = target.Width() / 2;
    const int dcy = target.Height() / 2;
    // Half the larger side, so that the first row and column are reached too.
    const int n = IntMax(target.Width(), target.Height()) / 2;
    const auto copy = [&](int sx, int sy, int dx, int dy) {
        const TColor c = source.GetPixel(sx, sy);
        if (c != NoPixel)
            target.SetPixel(dx, dy, c);
    };
    for (int i = 0; i <= n; ++i) {
        for (int j = 0; j <= n; ++j) {
            const double t = i == 0 ? std::numbers::pi / 2 + a : std::atan(double(j) / i) + a;
            const int r = RoundHalfEven(std::sqrt(double(i * i + j * j)));
            const int dx = RoundHalfEven(r * std::cos(t));
            const int dy = RoundHalfEven(r * std::sin(t));
            copy(cx + dx, cy + dy, dcx + i, dcy + j);
            copy(cx - dx, cy - dy, dcx - i, dcy - j);
            copy(cx + dy, cy - dx, dcx + j, dcy - i);
            copy(cx - dy, cy + dx, dcx - j, dcy + i);
        }
    }
    WriteBack(dst, target);
}

void FlipBMP(QImage &bitmap)
{
    bitmap = bitmap.mirrored(false, true);
}

void MirrorBMP(QImage &bitmap)
{
    bitmap = bitmap.mirrored(true, false);
}

void ReplaceColor(QImage &bitmap, TColor from, TColor to)
{
    const TColor key = vcl::ColorToRGB(from);
    const TColor replacement = vcl::ColorToRGB(to);
    ChangePixels(bitmap, false, 0, [&](std::uint8_t *p) {
        if (PixelColor(p) == key)
            StoreColor(p, replacement);
    });
}

void TransparentBlt(TCanvas &canvas, const QImage &bitmap, int x, int y, TColor transparent)
{
    if (bitmap.isNull())
        return;
    // Straight from the colour value: "no colour" must not turn into black.
    const TColor rgb = vcl::ColorToRGB(transparent);
    const QRgb key =
        qRgb(int(rgb & 0xFF), int((rgb >> 8) & 0xFF), int((rgb >> 16) & 0xFF)) & 0xFFFFFF;
    QImage masked = bitmap.convertToFormat(QImage::Format_ARGB32);
    for (int row = 0; row < masked.height(); ++row) {
        auto *line = reinterpret_cast<QRgb *>(masked.scanLine(row));
        for (int col = 0; col < masked.width(); ++col)
            line[col] = (line[col] & 0xFFFFFF) == key ? 0 : (line[col] | 0xFF000000);
    }
    QPainter &painter = canvas.Painter();
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(QPoint(x, y), masked);
    painter.restore();
}

void DrawEllipse(TCanvas &canvas, double x, double y, double radiusX, double radiusY, double angle)
{
    // 4/3 tan(pi/16): control points of a 45-degree Bezier arc.
    constexpr double k = 0.26521648984;
    std::array<QPointF, 25> p;
    for (int i = 0; i < 8; ++i) {
        const double t = i * std::numbers::pi / 4;
        const QPointF on(radiusX * std::cos(t), radiusY * std::sin(t));
        const QPointF control(k * radiusX * std::sin(t), -k * radiusY * std::cos(t));
        p[std::size_t(3 * i)] = on;
        p[std::size_t(i == 0 ? 23 : 3 * i - 1)] = on + control;
        p[std::size_t(3 * i + 1)] = on - control;
    }
    p[24] = p[0];
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    for (QPointF &point : p)
        point = QPointF(RoundHalfEven(point.x() * c - point.y() * s + x),
                        RoundHalfEven(point.x() * s + point.y() * c + y));
    QPainterPath path(p[0]);
    for (int i = 0; i < 8; ++i)
        path.cubicTo(p[std::size_t(3 * i + 1)], p[std::size_t(3 * i + 2)],
                     p[std::size_t(3 * i + 3)]);
    path.closeSubpath();
    QPainter &painter = canvas.Painter();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(canvas.Pen.Style == psClear
                       ? QPen(Qt::NoPen)
                       : QPen(vcl::ToQColor(canvas.Pen.Color), canvas.Pen.Width));
    painter.setBrush(canvas.Brush.Style == bsClear ? QBrush(Qt::NoBrush)
                                                   : QBrush(vcl::ToQColor(canvas.Brush.Color)));
    painter.drawPath(path);
    painter.restore();
}

} // namespace widgets
