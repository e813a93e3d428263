// A 24-bit top-down bitmap with direct row access, and the whole-image
// effects of the zAnimate unit built on it. Bitmaps handed to the free
// routines are QImages of any format; each routine leaves the image in its
// own format.
//
// Thread contract: a TzFastBmp and the routines below work on what they are
// given and share nothing, so any thread may use them on its own images,
// except that system colours (resolved through the application palette) and
// TCanvas drawing belong to the main thread. The noise generator is one per
// thread (Randomize seeds the calling thread's generator).
#pragma once

#include "platform/vcl/Colors.h"

#include <QImage>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace widgets {

class TCanvas;
using vcl::TColor;

// Returned by TzFastBmp::GetPixel for a point outside the image.
constexpr TColor NoPixel = 0xFFFFFFFF;

// The window system's colour values are signed: system colours and "no
// colour" markers read as negative.
constexpr bool IsNegativeColor(TColor color)
{
    return std::int32_t(color) < 0;
}

constexpr int IntMin(int a, int b)
{
    return a < b ? a : b;
}
constexpr int IntMax(int a, int b)
{
    return a > b ? a : b;
}
constexpr std::uint8_t ClampByte(int value)
{
    return std::uint8_t(value < 0 ? 0 : value > 255 ? 255 : value);
}

// A bitmap whose pixels cannot be had: its size does not fit in memory.
class EOutOfResources : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Seeds the noise of the calling thread, so that noisy results repeat.
void Randomize(std::uint32_t seed);
// A uniform integer 0 .. n - 1 from the calling thread's generator; 0 when n <= 0.
int Random(int n);

} // namespace widgets

// Pixel x of row y sits at GetLine(y) + 3x as blue, green, red; rows are
// RowInc() bytes apart, the row length rounded up to a multiple of 4. Sizes
// are counted in 64 bits: a bitmap may hold more than 2 GiB.
class TzFastBmp
{
public:
    // Raises widgets::EOutOfResources when the pixels do not fit in memory.
    TzFastBmp(int w, int h);
    explicit TzFastBmp(const QImage &bitmap);
    TzFastBmp(const TzFastBmp &) = delete;
    TzFastBmp &operator=(const TzFastBmp &) = delete;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    std::int64_t Size() const { return FSize; }
    std::int64_t RowInc() const { return FRowInc; }
    std::uint8_t *Bits() { return FBits.get(); }
    const std::uint8_t *Bits() const { return FBits.get(); }

    // Outside the image SetPixel does nothing and GetPixel gives NoPixel.
    void SetPixel(int x, int y, vcl::TColor color);
    vcl::TColor GetPixel(int x, int y) const;
    // Rows outside the image: GetLine gives null and the copies do nothing.
    std::uint8_t *GetLine(int y);
    void SetLine(int y, const std::uint8_t *src);
    void GetScanLine(int y, std::uint8_t *dst) const;

    // A copy in the image format with the same byte layout; raises
    // widgets::EOutOfResources when the image cannot be made.
    QImage ToImage() const;
    void Draw(widgets::TCanvas &canvas, int x, int y) const;

    // Noise of `amount` levels around each channel (colour) or each pixel (grey).
    void ColorNoise(int amount);
    void BWNoise(int amount);
    // 255 keeps the colours, 0 makes grey, more strengthens them.
    void Saturation(int amount);
    // 0 keeps the image; larger values push channels away from the middle.
    void Contrast(int amount);
    // Mixes each pixel with its four neighbours, the pixel weighted `amount`.
    void Sharpen(int amount);
    // Averages the four diagonal samples `amount` pixels away (0: nothing).
    void Blur(int amount);
    // Blur(amount), Blur(amount - 1), ..., Blur(1). Amounts from the longer
    // side on all blur alike, so a larger amount stops once its passes no
    // longer change the picture: its time is bounded by the picture, not by
    // the amount.
    void GaussianBlur(int amount);

private:
    void DoCalcLines();
    // Blur(amount); whether it changed a pixel.
    bool BlurPass(int amount);
    std::uint8_t *Line(int y) const { return FBits.get() + std::size_t(y) * std::size_t(FRowInc); }

    struct FreeBits
    {
        void operator()(std::uint8_t *bits) const { std::free(bits); }
    };

    int FWidth = 0;
    int FHeight = 0;
    std::int64_t FSize = 0;
    std::int64_t FRowInc = 0;
    // Zeroed by the allocator: pages of a large bitmap cost memory only once
    // they are written.
    std::unique_ptr<std::uint8_t[], FreeBits> FBits;
};

enum TzRast : std::uint8_t { Rast25 = 0, Rast50 = 1, Rast75 = 2 };

namespace widgets {

// The alternative pattern of Rast25 and Rast50. Main thread only.
extern bool RasterOfset;

void AddColorNoise(QImage &bitmap, int amount);
void AddBWNoise(QImage &bitmap, int amount);
void Contrast(QImage &bitmap, int amount);
void Saturation(QImage &bitmap, int amount);
void Sharpen(QImage &bitmap, int amount);
void Blur(QImage &bitmap, int amount);
void GaussianBlur(QImage &bitmap, int amount);
// Each channel less (more) Round(percent x 2.55), kept within 0..255; with
// skipTransparent, pixels of the transparent colour stay as they are.
void DarkenBMP(QImage &bitmap, std::int8_t percent, bool skipTransparent, TColor transparent);
void LightenBMP(QImage &bitmap, std::int8_t percent, bool skipTransparent, TColor transparent);
void GreyBMP(QImage &bitmap, bool skipTransparent, TColor transparent);
// Sets a regular pattern of pixels to `color`.
void RasterBMP(QImage &bitmap, TColor color, TzRast kind);
// Turns `src` about its centre into `dst` about dst's centre; pixels of dst
// that no source pixel reaches keep their content.
void BMPRotate(const QImage &src, QImage &dst, int degrees);
void FlipBMP(QImage &bitmap);
void MirrorBMP(QImage &bitmap);
void ReplaceColor(QImage &bitmap, TColor from, TColor to);
// Draws `bitmap` with its pixels of the transparent colour left out; the
// bitmap itself is not changed.
void TransparentBlt(TCanvas &canvas, const QImage &bitmap, int x, int y, TColor transparent);
// An ellipse about (x, y), turned by `angle` radians, outlined with the
// canvas's pen and filled with its brush.
void DrawEllipse(TCanvas &canvas, double x, double y, double radiusX, double radiusY, double angle);

} // namespace widgets
