// The fast bitmap and its effects on small images, against pixels worked out
// by hand from the effect's rule (each table says how).
#include "widgets/zAnimateFastBmp.h"

#include "widgets/Canvas.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

namespace {

using namespace widgets;
using Grid = std::vector<std::vector<int>>;

// A grey image: every channel of pixel (x, y) is grid[y][x].
QImage greyImage(const Grid &grid)
{
    QImage image(int(grid[0].size()), int(grid.size()), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int v = grid[std::size_t(y)][std::size_t(x)];
            image.setPixel(x, y, qRgb(v, v, v));
        }
    return image;
}

// The red channel of every pixel.
Grid redOf(const QImage &image)
{
    Grid out(std::size_t(image.height()), std::vector<int>(std::size_t(image.width())));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            out[std::size_t(y)][std::size_t(x)] = qRed(image.pixel(x, y));
    return out;
}

TColor at(const QImage &image, int x, int y)
{
    return vcl::FromQColor(image.pixelColor(x, y));
}

// A picture with every pixel different, for identities.
QImage varied(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(
                x, y, qRgb((x * 37 + y * 11) % 256, (x * 5 + y * 53) % 256, (x * y * 7) % 256));
    return image;
}

TEST(FastBmp, RowsAreRoundedUpToFourBytes)
{
    const int expected[] = {4, 8, 12, 12, 16, 20, 24, 24};
    for (int w = 1; w <= 8; ++w) {
        const TzFastBmp bmp(w, 3);
        EXPECT_EQ(bmp.RowInc(), expected[w - 1]) << "width " << w;
        EXPECT_EQ(bmp.Size(), expected[w - 1] * 3);
        EXPECT_EQ(bmp.RowInc() % 4, 0);
    }
}

// 65540 bytes a row and 65536 rows make 2^32 + 2^18 bytes, which 32 bits
// would count as 2^18.
TEST(FastBmp, LargeBitmapsAreWholeOrRefused)
{
    try {
        TzFastBmp bmp(21846, 65536);
        EXPECT_EQ(bmp.RowInc(), 65540);
        ASSERT_EQ(bmp.Size(), std::int64_t(65540) * 65536);
        ASSERT_EQ(bmp.GetLine(65535) - bmp.Bits(), std::int64_t(65540) * 65535);
        bmp.SetPixel(21845, 65535, vcl::RGB(1, 2, 3));
        EXPECT_EQ(bmp.GetPixel(21845, 65535), vcl::RGB(1, 2, 3));
        EXPECT_EQ(bmp.GetPixel(21844, 65535), vcl::clBlack);
    } catch (const EOutOfResources &) {
        // A machine without the memory to spare refuses it, which is sound too.
    }
    struct Case
    {
        int w, h;
    };
    // Sizes no machine gives one bitmap, the last beyond 64 bits as well.
    for (const Case c : {Case{1 << 30, 1 << 20}, Case{INT_MAX, INT_MAX}})
        EXPECT_THROW(TzFastBmp(c.w, c.h), EOutOfResources) << c.w << " x " << c.h;
}

TEST(FastBmp, PixelsOutsideTheImage)
{
    TzFastBmp bmp(3, 2);
    bmp.SetPixel(1, 1, vcl::RGB(1, 2, 3));
    EXPECT_EQ(bmp.GetPixel(1, 1), vcl::RGB(1, 2, 3));
    const std::uint8_t *row = bmp.GetLine(1);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row[3], 3); // blue first
    EXPECT_EQ(row[5], 1);
    for (auto [x, y] : {std::pair{-1, 0}, {3, 0}, {0, -1}, {0, 2}}) {
        EXPECT_EQ(bmp.GetPixel(x, y), NoPixel);
        bmp.SetPixel(x, y, vcl::clWhite); // must not write anywhere
    }
    EXPECT_EQ(bmp.GetLine(-1), nullptr);
    EXPECT_EQ(bmp.GetLine(2), nullptr);
    std::uint8_t buffer[9] = {};
    bmp.SetLine(2, buffer);
    bmp.GetScanLine(-1, buffer);
    bmp.GetScanLine(1, buffer);
    EXPECT_EQ(buffer[5], 1);
}

TEST(FastBmp, ImageRoundTrip)
{
    const QImage source = varied(5, 4);
    const TzFastBmp bmp(source);
    EXPECT_EQ(bmp.ToImage().convertToFormat(QImage::Format_RGB32), source);
    EXPECT_EQ(bmp.GetPixel(4, 3), at(source, 4, 3));
    EXPECT_TRUE(TzFastBmp(0, 5).ToImage().isNull());
}

using Effect = std::function<void(QImage &)>;

struct Identity
{
    const char *name;
    Effect effect;
};

class EffectIdentity : public testing::TestWithParam<Identity>
{
};

TEST_P(EffectIdentity, LeavesThePicture)
{
    const QImage source = varied(6, 5);
    QImage image = source;
    GetParam().effect(image);
    EXPECT_EQ(image, source);
}

INSTANTIATE_TEST_SUITE_P(
    Effects, EffectIdentity,
    testing::Values(Identity{"Saturation255", [](QImage &i) { Saturation(i, 255); }},
                    Identity{"Contrast0", [](QImage &i) { Contrast(i, 0); }},
                    Identity{"Blur0", [](QImage &i) { Blur(i, 0); }},
                    Identity{"Gaussian0", [](QImage &i) { GaussianBlur(i, 0); }},
                    Identity{"GaussianNegative", [](QImage &i) { GaussianBlur(i, -3); }},
                    Identity{"SharpenDivisorZero", [](QImage &i) { Sharpen(i, -4); }},
                    Identity{"Noise1", [](QImage &i) { AddColorNoise(i, 1); }},
                    Identity{"BWNoise0", [](QImage &i) { AddBWNoise(i, 0); }},
                    Identity{"Rotate0", [](QImage &i) { BMPRotate(QImage(i), i, 0); }},
                    Identity{"FlipTwice",
                             [](QImage &i) {
                                 FlipBMP(i);
                                 FlipBMP(i);
                             }},
                    Identity{"ReplaceAbsent",
                             [](QImage &i) { ReplaceColor(i, vcl::RGB(1, 1, 1), vcl::clRed); }}),
    [](const testing::TestParamInfo<Identity> &info) { return std::string(info.param.name); });

struct GreyCase
{
    const char *name;
    Grid input;
    Effect effect;
    Grid expected;
};

class GreyEffect : public testing::TestWithParam<GreyCase>
{
};

TEST_P(GreyEffect, GivesTheHandComputedPixels)
{
    QImage image = greyImage(GetParam().input);
    GetParam().effect(image);
    EXPECT_EQ(redOf(image), GetParam().expected);
}

// Worked out from the effect's rule: Sharpen mixes in place (left and upper
// neighbours already new, the first row's upper neighbour is row 1), Blur
// averages four samples in place (a missing upper or left sample is the
// pixel's own row or column, a lower or right one beyond the image
// Height - y or Width - x), Contrast moves by a x |c - 127| / 255.
INSTANTIATE_TEST_SUITE_P(
    Effects, GreyEffect,
    testing::Values(
        GreyCase{"Sharpen1",
                 {{10, 20}, {30, 40}},
                 [](QImage &i) { Sharpen(i, 1); },
                 {{22, 28}, {30, 31}}},
        // Divisor -1: the first sum 20 + 20 + 30 + 30 - 50 gives -50, floored at 0.
        GreyCase{"SharpenNegativeClamped",
                 {{10, 20}, {30, 40}},
                 [](QImage &i) { Sharpen(i, -5); },
                 {{0, 20}, {70, 20}}},
        // The amounts at the ends of the integers, by the same rule without
        // overflow: the centre's weight all but keeps the pixel (sums cut
        // toward zero).
        GreyCase{"SharpenLargestAmount",
                 {{10, 20}, {30, 40}},
                 [](QImage &i) { Sharpen(i, INT_MAX); },
                 {{10, 20}, {29, 39}}},
        GreyCase{"SharpenSmallestAmount",
                 {{10, 20}, {30, 40}},
                 [](QImage &i) { Sharpen(i, INT_MIN); },
                 {{9, 19}, {30, 40}}},
        GreyCase{"SharpenOneColumn", {{10}, {90}}, [](QImage &i) { Sharpen(i, 1); }, {{10}, {90}}},
        GreyCase{"SharpenOneRow", {{10, 90, 50}}, [](QImage &i) { Sharpen(i, 1); }, {{10, 90, 50}}},
        GreyCase{"Blur1",
                 {{0, 10, 20}, {30, 40, 50}, {60, 70, 80}},
                 [](QImage &i) { Blur(i, 1); },
                 {{20, 30, 35}, {45, 48, 50}, {46, 47, 48}}},
        // Amount as large as the image: every lower and right sample of the
        // first row and column falls back to the pixel itself.
        GreyCase{"BlurAsLargeAsTheImage",
                 {{8, 16}, {24, 32}},
                 [](QImage &i) { Blur(i, 2); },
                 {{8, 16}, {24, 32}}},
        // Wider than the image: the upper and left samples are the pixel's own
        // row and column, the lower and right ones Height - y and Width - x
        // (the pixel's own for the first row and column), as for Blur(3).
        GreyCase{"BlurLargestAmount",
                 {{0, 10, 20}, {30, 40, 50}, {60, 70, 80}},
                 [](QImage &i) { Blur(i, INT_MAX); },
                 {{0, 15, 17}, {45, 60, 65}, {52, 68, 68}}},
        // Every sample lies outside and falls back to the pixel itself.
        GreyCase{"BlurSmallestAmount",
                 {{0, 10, 20}, {30, 40, 50}, {60, 70, 80}},
                 [](QImage &i) { Blur(i, INT_MIN); },
                 {{0, 10, 20}, {30, 40, 50}, {60, 70, 80}}},
        // A negative amount swaps the samples' sides: x - a is the right one,
        // x + a the left; the left sample of the first column and the right
        // one of the last lie outside and fall back to the pixel itself.
        GreyCase{"BlurNegative",
                 {{0, 100, 200, 40}},
                 [](QImage &i) { Blur(i, -1); },
                 {{50, 125, 82, 61}}},
        GreyCase{"Contrast255",
                 {{100, 200, 128}},
                 [](QImage &i) { Contrast(i, 255); },
                 {{73, 255, 129}}},
        GreyCase{"Darken20",
                 {{200, 30, 255}},
                 [](QImage &i) { DarkenBMP(i, 20, false, 0); },
                 {{149, 0, 204}}},
        // 10 x 2.55 comes out as 25.5 in binary arithmetic, which rounds to the even 26.
        GreyCase{"Darken10", {{255}}, [](QImage &i) { DarkenBMP(i, 10, false, 0); }, {{229}}},
        GreyCase{"Darken100", {{255, 1}}, [](QImage &i) { DarkenBMP(i, 100, false, 0); }, {{0, 0}}},
        GreyCase{"Lighten100",
                 {{0, 254}},
                 [](QImage &i) { LightenBMP(i, 100, false, 0); },
                 {{255, 255}}},
        // Negative percentages turn round and still stay within 0..255.
        GreyCase{"DarkenNegative",
                 {{255, 100}},
                 [](QImage &i) { DarkenBMP(i, -10, false, 0); },
                 {{255, 126}}},
        GreyCase{"LightenNegative",
                 {{0, 100}},
                 [](QImage &i) { LightenBMP(i, -10, false, 0); },
                 {{0, 74}}},
        GreyCase{"DarkenSkipsTransparent",
                 {{255, 254}},
                 [](QImage &i) { DarkenBMP(i, 100, true, vcl::clWhite); },
                 {{255, 0}}},
        GreyCase{"Flip", {{1, 2}, {3, 4}}, [](QImage &i) { FlipBMP(i); }, {{3, 4}, {1, 2}}},
        GreyCase{"Mirror", {{1, 2}, {3, 4}}, [](QImage &i) { MirrorBMP(i); }, {{2, 1}, {4, 3}}},
        GreyCase{"Replace",
                 {{1, 2}, {2, 4}},
                 [](QImage &i) { ReplaceColor(i, vcl::RGB(2, 2, 2), vcl::RGB(9, 9, 9)); },
                 {{1, 9}, {9, 4}}},
        // The left middle pixel turns to the bottom middle: i = 0, j = 1 takes
        // the source (cx - 1, cy) to (dcx, dcy + 1).
        GreyCase{"Rotate90",
                 {{0, 0, 0}, {9, 0, 0}, {0, 0, 0}},
                 [](QImage &i) { BMPRotate(QImage(i), i, 90); },
                 {{0, 0, 0}, {0, 0, 0}, {0, 9, 0}}}),
    [](const testing::TestParamInfo<GreyCase> &info) { return std::string(info.param.name); });

QImage fixture(const char *name)
{
    QImage image(QStringLiteral(":/effects/%1.ppm").arg(QLatin1String(name)));
    EXPECT_FALSE(image.isNull()) << name;
    return image.convertToFormat(QImage::Format_RGB32);
}

struct MagickCase
{
    const char *expected; // effects/<name>.ppm
    Effect effect;
};

class AgainstImageMagick : public testing::TestWithParam<MagickCase>
{
};

// The expected pictures were made once by ImageMagick from the same source
// (fixtures/make_effects.sh has the commands).
TEST_P(AgainstImageMagick, SamePixels)
{
    QImage image = fixture("source");
    GetParam().effect(image);
    EXPECT_EQ(image, fixture(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Effects, AgainstImageMagick,
    testing::Values(MagickCase{"flip", [](QImage &i) { FlipBMP(i); }},
                    MagickCase{"flop", [](QImage &i) { MirrorBMP(i); }},
                    MagickCase{"opaque",
                               [](QImage &i) { ReplaceColor(i, vcl::clWhite, vcl::RGB(1, 2, 3)); }},
                    MagickCase{"subtract20", [](QImage &i) { DarkenBMP(i, 20, false, 0); }},
                    MagickCase{"add20", [](QImage &i) { LightenBMP(i, 20, false, 0); }},
                    MagickCase{"transparent",
                               [](QImage &i) {
                                   QImage canvasImage(i.size(), QImage::Format_RGB32);
                                   canvasImage.fill(Qt::blue);
                                   {
                                       TCanvas canvas(&canvasImage);
                                       TransparentBlt(canvas, i, 0, 0, vcl::clWhite);
                                   }
                                   i = canvasImage;
                               }}),
    [](const testing::TestParamInfo<MagickCase> &info) {
        return std::string(info.param.expected);
    });

// GaussianBlur by its rule: Blur(amount), Blur(amount - 1), ..., Blur(1).
QImage gaussianByRule(QImage image, int amount)
{
    for (int a = amount; a >= 1; --a)
        Blur(image, a);
    return image;
}

// From the longer side on every amount blurs alike (the pixel's own samples
// and their mirror images), so its passes settle: any larger amount gives
// what the amount where they settled gives, and returns as soon.
TEST(Effects, GaussianBlurOfAnyAmountSettles)
{
    const QImage picture = varied(7, 5);
    const int longest = 7;
    // After j passes of the largest blur, then the smaller amounts: the rule
    // for the amount longest - 1 + j.
    std::vector<QImage> byRule{gaussianByRule(picture, longest - 1)};
    QImage passes = picture;
    for (int j = 1; j <= 300; ++j) {
        const QImage before = passes;
        Blur(passes, longest);
        byRule.push_back(gaussianByRule(passes, longest - 1));
        if (passes == before)
            break;
    }
    ASSERT_LT(byRule.size(), 300u) << "the passes do not settle";
    // The amount from which the picture no longer changes.
    const int settled = longest - 2 + int(byRule.size());
    ASSERT_GT(settled, longest + 2); // the passes beyond the image matter
    const auto expected = [&](long long amount) {
        return byRule[std::size_t(std::min<long long>(amount, settled) - (longest - 1))];
    };
    for (const int amount :
         {longest, longest + 1, longest + 2, settled - 1, settled, settled + 1, 1000000, INT_MAX}) {
        QImage image = picture;
        GaussianBlur(image, amount);
        EXPECT_EQ(image, expected(amount)) << amount;
    }
    EXPECT_EQ(gaussianByRule(picture, longest + 2), expected(longest + 2));
}

TEST(Effects, SaturationZeroGivesTheMean)
{
    QImage image(1, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(10, 20, 60));
    Saturation(image, 0);
    EXPECT_EQ(at(image, 0, 0), vcl::RGB(30, 30, 30));
}

TEST(Effects, GreyWeightsTheChannels)
{
    QImage image(2, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(201, 100, 50)); // 60.3 + 59 + 5.5 = 124.8
    image.setPixel(1, 0, qRgb(10, 20, 30));   // 3 + 11.8 + 3.3 = 18.1
    GreyBMP(image, false, 0);
    EXPECT_EQ(at(image, 0, 0), vcl::RGB(125, 125, 125));
    EXPECT_EQ(at(image, 1, 0), vcl::RGB(18, 18, 18));
}

// With the largest amount a channel moves by a draw of up to 2^31 - 2 less
// half of it: the 14th draw after this seed is 2147483528, which on a white
// channel lies beyond the integers before half is taken off.
TEST(Effects, NoiseOfTheLargestAmountSaturates)
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    Randomize(107631);
    AddColorNoise(image, INT_MAX);
    // Pixel 4 (x 0, y 1) draws red, then green: the 14th.
    EXPECT_EQ(qGreen(image.pixel(0, 1)), 255);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            for (const int c :
                 {qRed(image.pixel(x, y)), qGreen(image.pixel(x, y)), qBlue(image.pixel(x, y))})
                EXPECT_TRUE(c == 0 || c == 255) << x << ", " << y << ": " << c;
}

TEST(Effects, NoiseStaysWithinItsRangeAndRepeats)
{
    const QImage source = varied(7, 6);
    QImage first = source;
    QImage second = source;
    Randomize(42);
    AddColorNoise(first, 10);
    Randomize(42);
    AddColorNoise(second, 10);
    EXPECT_EQ(first, second);
    EXPECT_NE(first, source);
    QImage grey = source;
    AddBWNoise(grey, 10);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) {
            const QRgb s = source.pixel(x, y);
            const QRgb n = first.pixel(x, y);
            const QRgb g = grey.pixel(x, y);
            // c + Random(10) - 5 lies in c - 5 .. c + 4, kept within 0..255.
            for (auto [before, after] : {std::pair{qRed(s), qRed(n)}, {qBlue(s), qBlue(n)}}) {
                EXPECT_GE(after, std::max(0, before - 5));
                EXPECT_LE(after, std::min(255, before + 4));
            }
            // One draw for all three channels (those not held at 0 or 255).
            const int d = qGreen(g) - qGreen(s);
            if (qGreen(g) > 0 && qGreen(g) < 255 && qRed(g) > 0 && qRed(g) < 255) {
                EXPECT_EQ(qRed(g) - qRed(s), d);
            }
        }
}

// The pixels of `color` in an 8 x 2 picture, "x" for set, rows split by "|".
std::string pattern(const QImage &image, TColor color)
{
    std::string out;
    for (int y = 0; y < image.height(); ++y) {
        if (y > 0)
            out += '|';
        for (int x = 0; x < image.width(); ++x)
            out += at(image, x, y) == color ? 'x' : '.';
    }
    return out;
}

TEST(Effects, RasterPatterns)
{
    struct Case
    {
        TzRast kind;
        bool offset;
        const char *set;
    };
    const Case cases[] = {
        {Rast25, false, ".x...x..|...x...x"}, {Rast25, true, "x.xxx.xx|xxx.xxx."},
        {Rast50, false, ".x.x.x.x|x.x.x.x."}, {Rast50, true, "x.x.x.x.|.x.x.x.x"},
        {Rast75, false, ".xx..xx.|.x...x.."},
    };
    for (const Case &c : cases) {
        QImage image(8, 2, QImage::Format_RGB32);
        image.fill(Qt::white);
        RasterOfset = c.offset;
        RasterBMP(image, vcl::clRed, c.kind);
        RasterOfset = false;
        EXPECT_EQ(pattern(image, vcl::clRed), c.set)
            << "kind " << int(c.kind) << " offset " << c.offset;
    }
}

TEST(Effects, RotateCoversTheFirstRowAndColumn)
{
    for (int size : {4, 5, 8}) {
        const QImage source = varied(size, size);
        QImage target(size, size, QImage::Format_RGB32);
        target.fill(Qt::black);
        BMPRotate(source, target, 0);
        EXPECT_EQ(target, source) << size;
    }
    // On an odd square every quarter turn is a permutation of the pixels.
    const QImage square = varied(5, 5);
    QImage turned = square;
    for (int k = 0; k < 4; ++k) {
        BMPRotate(QImage(turned), turned, 90);
        EXPECT_EQ(turned == square, k == 3);
    }
}

TEST(Effects, TransparentBltLeavesTheKeyColour)
{
    QImage canvasImage(3, 1, QImage::Format_RGB32);
    canvasImage.fill(Qt::blue);
    QImage bitmap(3, 1, QImage::Format_RGB32);
    bitmap.setPixel(0, 0, qRgb(255, 255, 255));
    bitmap.setPixel(1, 0, qRgb(255, 0, 0));
    bitmap.setPixel(2, 0, qRgb(255, 255, 255));
    const QImage before = bitmap;
    {
        TCanvas canvas(&canvasImage);
        TransparentBlt(canvas, bitmap, 0, 0, vcl::clWhite);
    }
    EXPECT_EQ(bitmap, before);
    EXPECT_EQ(at(canvasImage, 0, 0), vcl::clBlue);
    EXPECT_EQ(at(canvasImage, 1, 0), vcl::clRed);
    EXPECT_EQ(at(canvasImage, 2, 0), vcl::clBlue);
    // "No colour" as the key leaves out no black pixel.
    bitmap.setPixel(1, 0, qRgb(0, 0, 0));
    {
        TCanvas canvas(&canvasImage);
        TransparentBlt(canvas, bitmap, 0, 0, vcl::clNone);
    }
    EXPECT_EQ(at(canvasImage, 1, 0), vcl::clBlack);
}

TEST(Effects, EllipseFillsItsArea)
{
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        TCanvas canvas(&image);
        canvas.Pen.Color = vcl::clBlack;
        canvas.Brush.Color = vcl::clBlack;
        DrawEllipse(canvas, 30, 20, 20, 10, 0);
    }
    int area = 0;
    TRect box{60, 40, 0, 0};
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            if (at(image, x, y) == vcl::clBlack) {
                ++area;
                box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                       std::max(box.Bottom, y + 1)};
            }
    EXPECT_NEAR(box.Left, 10, 1);
    EXPECT_NEAR(box.Right, 50, 1);
    EXPECT_NEAR(box.Top, 10, 1);
    EXPECT_NEAR(box.Bottom, 30, 1);
    const double ideal = std::numbers::pi * 20 * 10;
    EXPECT_NEAR(area, ideal, ideal * 0.06);
}

} // namespace
