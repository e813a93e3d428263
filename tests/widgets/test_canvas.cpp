// The canvas's pixel conventions, checked on small images: exclusive right
// and bottom edges, lines without their last point, XOR focus frames.
#include "widgets/Canvas.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPalette>

#include <functional>
#include <set>
#include <utility>

namespace {

using namespace widgets;

constexpr TColor White = vcl::clWhite;
constexpr TColor Black = vcl::clBlack;
constexpr TColor Red = vcl::clRed;

QImage blank(int w, int h, TColor color = White)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(vcl::ToQColor(color));
    return image;
}

TColor at(const QImage &image, int x, int y)
{
    return vcl::FromQColor(image.pixelColor(x, y));
}

using Pixels = std::set<std::pair<int, int>>;

// Every pixel that is not `background`.
Pixels inked(const QImage &image, TColor background = White)
{
    Pixels out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (at(image, x, y) != background)
                out.insert({x, y});
    return out;
}

QImage draw(int w, int h, const std::function<void(TCanvas &)> &paint)
{
    QImage image = blank(w, h);
    {
        TCanvas canvas(&image);
        paint(canvas);
    }
    return image;
}

// A bounding box of ink, exclusive right and bottom.
TRect bounds(const Pixels &pixels)
{
    TRect r{1 << 20, 1 << 20, -1, -1};
    for (const auto &[x, y] : pixels) {
        r.Left = std::min(r.Left, x);
        r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x + 1);
        r.Bottom = std::max(r.Bottom, y + 1);
    }
    return r;
}

TEST(Canvas, FillRectLeavesOutRightAndBottomEdges)
{
    const QImage image = draw(8, 6, [](TCanvas &c) {
        c.Brush.Color = Black;
        c.FillRect({1, 1, 4, 3});
    });
    const Pixels expected{{1, 1}, {2, 1}, {3, 1}, {1, 2}, {2, 2}, {3, 2}};
    EXPECT_EQ(inked(image), expected);

    // Empty, inverted or brushless rectangles fill nothing.
    const QImage none = draw(8, 6, [](TCanvas &c) {
        c.Brush.Color = Black;
        c.FillRect({3, 1, 3, 4});
        c.FillRect({4, 4, 2, 2});
        c.Brush.Style = bsClear;
        c.FillRect({0, 0, 8, 6});
    });
    EXPECT_TRUE(inked(none).empty());
}

TEST(Canvas, LineLeavesOutItsLastPoint)
{
    // Straight lines in all four directions and the two diagonals: the start
    // is drawn, the end is not, and there is one pixel a step.
    const struct
    {
        QPoint from, to;
        int pixels;
    } rows[] = {
        {{1, 2}, {6, 2}, 5}, {{6, 2}, {1, 2}, 5}, {{3, 0}, {3, 7}, 7}, {{3, 7}, {3, 0}, 7},
        {{0, 0}, {5, 5}, 5}, {{5, 0}, {0, 5}, 5}, {{0, 1}, {7, 4}, 7}, {{2, 2}, {2, 2}, 0},
    };
    for (const auto &row : rows) {
        const QImage image = draw(8, 8, [&](TCanvas &c) {
            c.MoveTo(row.from.x(), row.from.y());
            c.LineTo(row.to.x(), row.to.y());
            EXPECT_EQ(c.PenPos(), row.to);
        });
        const Pixels ink = inked(image);
        EXPECT_EQ(int(ink.size()), row.pixels) << row.from.x() << "," << row.from.y();
        EXPECT_EQ(ink.count({row.to.x(), row.to.y()}), 0u);
        if (row.pixels > 0) {
            EXPECT_EQ(ink.count({row.from.x(), row.from.y()}), 1u);
        }
    }
}

TEST(Canvas, PolylineDrawsEveryCornerButNotTheEnd)
{
    QPoint before;
    const QImage image = draw(6, 6, [&](TCanvas &c) {
        c.MoveTo(5, 5);
        c.Pen.Color = Red;
        c.Polyline({{0, 4}, {0, 0}, {4, 0}});
        before = c.PenPos();
    });
    EXPECT_EQ(before, QPoint(5, 5)); // the pen position is not used or moved
    Pixels expected;
    for (int y = 1; y <= 4; ++y)
        expected.insert({0, y});
    for (int x = 0; x <= 3; ++x)
        expected.insert({x, 0});
    EXPECT_EQ(inked(image), expected);
    EXPECT_EQ(at(image, 0, 0), Red);
}

TEST(Canvas, Rectangle)
{
    const QImage rect = draw(8, 8, [](TCanvas &c) {
        c.Pen.Color = Black;
        c.Brush.Color = Red;
        c.Rectangle({1, 1, 6, 5});
    });
    EXPECT_EQ(at(rect, 1, 1), Black);
    EXPECT_EQ(at(rect, 5, 4), Black); // the outline's last corner is closed
    EXPECT_EQ(at(rect, 5, 1), Black);
    EXPECT_EQ(at(rect, 1, 4), Black);
    EXPECT_EQ(at(rect, 3, 2), Red);
    EXPECT_EQ(at(rect, 6, 4), White);
    EXPECT_EQ(at(rect, 5, 5), White);

    // Without a pen the shape is one pixel narrower and lower.
    const QImage noPen = draw(8, 8, [](TCanvas &c) {
        c.Pen.Style = psClear;
        c.Brush.Color = Red;
        c.Rectangle({1, 1, 6, 5});
    });
    EXPECT_EQ(bounds(inked(noPen)), (TRect{1, 1, 5, 4}));
}

TEST(Canvas, FocusRectDotsEveryOtherPixelAndUndoesItself)
{
    // On a face of the brush colour with black text the dots come out black.
    constexpr TColor face = 0x00FF00;
    QImage image = blank(10, 8, face);
    const QImage original = image;
    {
        TCanvas c(&image);
        c.Brush.Color = face;
        c.Font.Color = Black;
        c.DrawFocusRect({2, 1, 8, 7});
    }
    Pixels expected;
    for (int y = 1; y < 7; ++y)
        for (int x = 2; x < 8; ++x) {
            const bool border = x == 2 || x == 7 || y == 1 || y == 6;
            if (border && (x + y) % 2 == 0)
                expected.insert({x, y});
        }
    EXPECT_EQ(inked(image, face), expected);
    for (const auto &[x, y] : expected)
        EXPECT_EQ(at(image, x, y), Black);
    // All four corners: (2,1) odd, (7,1) even, (2,6) even, (7,6) odd.
    EXPECT_EQ(at(image, 7, 1), Black);
    EXPECT_EQ(at(image, 2, 6), Black);

    {
        TCanvas c(&image);
        c.Brush.Color = face;
        c.Font.Color = Black;
        c.DrawFocusRect({2, 1, 8, 7});
    }
    EXPECT_EQ(image, original);
}

TEST(Canvas, Frame3DColoursAndShrinks)
{
    TRect rect{0, 0, 6, 5};
    const QImage image = draw(6, 5, [&](TCanvas &c) { Frame3D(c, rect, Red, Black, 2); });
    EXPECT_EQ(rect, (TRect{2, 2, 4, 3}));
    // Outer ring, inner ring, untouched middle.
    const struct
    {
        int x, y;
        TColor color;
    } rows[] = {{0, 0, Red},   {4, 0, Red},   {0, 3, Red},   {5, 0, Black},
                {0, 4, Black}, {5, 4, Black}, {5, 2, Black}, {2, 4, Black},
                {1, 1, Red},   {3, 1, Red},   {1, 2, Red},   {4, 1, Black},
                {1, 3, Black}, {4, 3, Black}, {2, 2, White}, {3, 2, White}};
    for (const auto &row : rows)
        EXPECT_EQ(at(image, row.x, row.y), row.color) << row.x << "," << row.y;
}

TEST(Canvas, SystemColoursComeFromThePalette)
{
    const QImage image = draw(2, 2, [](TCanvas &c) {
        c.Brush.Color = vcl::clBtnFace;
        c.FillRect({0, 0, 1, 1});
        c.SetPixel(1, 1, vcl::clBtnShadow);
    });
    const QPalette palette = QGuiApplication::palette();
    EXPECT_EQ(image.pixel(0, 0), palette.color(QPalette::Active, QPalette::Button).rgb());
    EXPECT_EQ(image.pixel(1, 1), palette.color(QPalette::Active, QPalette::Dark).rgb());
}

class CanvasText : public ::testing::Test
{
protected:
    // Unsmoothed glyphs give ink in the text colour only.
    static QFont font()
    {
        QFont f;
        f.setPixelSize(11);
        f.setStyleStrategy(QFont::NoAntialias);
        return f;
    }
    static QImage text(int w, int h, const QString &s, const TRect &rect, unsigned flags,
                       TBrushStyle brush = bsClear)
    {
        return draw(w, h, [&](TCanvas &c) {
            c.Font = TFont(font(), Black);
            c.Brush.Color = Red;
            c.Brush.Style = brush;
            c.DrawText(s, rect, flags);
        });
    }
};

TEST_F(CanvasText, TextOutFillsItsBoxWithASolidBrush)
{
    int w = 0;
    int h = 0;
    const QImage image = draw(60, 30, [&](TCanvas &c) {
        c.Font = TFont(font(), Black);
        c.Brush.Color = Red;
        c.TextOut(3, 4, "Off");
        w = c.TextWidth("Off");
        h = c.TextHeight("Off");
    });
    EXPECT_EQ(bounds(inked(image)), (TRect{3, 4, 3 + w, 4 + h}));
    EXPECT_EQ(at(image, 3, 4), Red);

    const QImage clear = draw(60, 30, [&](TCanvas &c) {
        c.Font = TFont(font(), Black);
        c.Brush.Style = bsClear;
        c.TextOut(3, 4, "Off");
    });
    const Pixels ink = inked(clear);
    ASSERT_FALSE(ink.empty());
    for (const auto &[x, y] : ink)
        EXPECT_EQ(at(clear, x, y), Black);
}

TEST_F(CanvasText, SingleLinePlacement)
{
    // Ink of one line in a 60 x 40 rectangle at (10, 5): left, centre, right
    // by the horizontal flag, top, middle, bottom by the vertical one.
    const TRect rect{10, 5, 70, 45};
    const TRect top = bounds(inked(text(80, 50, "Off", rect, dtSingleLine | dtTop | dtLeft)));
    const TRect mid = bounds(inked(text(80, 50, "Off", rect, dtSingleLine | dtVCenter | dtCenter)));
    const TRect bot = bounds(inked(text(80, 50, "Off", rect, dtSingleLine | dtBottom | dtRight)));
    EXPECT_LE(top.Left, 11);
    EXPECT_GE(bot.Right, 68);
    EXPECT_LE(std::abs((mid.Left + mid.Right) - (rect.Left + rect.Right)), 2);
    EXPECT_LE(std::abs((mid.Top + mid.Bottom) - (rect.Top + rect.Bottom)), 3);
    EXPECT_LT(top.Bottom, mid.Top);
    EXPECT_LT(mid.Bottom, bot.Top);
    EXPECT_GE(top.Top, rect.Top);
    EXPECT_LE(bot.Bottom, rect.Bottom);
}

TEST_F(CanvasText, VerticalPlacementNeedsSingleLine)
{
    const TRect rect{0, 0, 60, 40};
    const QImage multi = text(60, 40, "Off", rect, dtVCenter);
    const QImage top = text(60, 40, "Off", rect, dtTop);
    EXPECT_EQ(multi, top);
}

TEST_F(CanvasText, ClipsToTheRectangleUnlessTold)
{
    const TRect rect{5, 5, 15, 12};
    const Pixels clipped = inked(text(60, 30, "WWWW", rect, dtSingleLine | dtVCenter));
    ASSERT_FALSE(clipped.empty());
    for (const auto &[x, y] : clipped)
        EXPECT_TRUE(rect.Contains(x, y)) << x << "," << y;
    const Pixels free = inked(text(60, 30, "WWWW", rect, dtSingleLine | dtVCenter | dtNoClip));
    EXPECT_GT(bounds(free).Right, rect.Right);
}

TEST_F(CanvasText, PrefixUnderlinesAndDoubledPrefixShowsItself)
{
    const TRect rect{0, 0, 60, 20};
    const QImage plain = text(60, 20, "CH", rect, dtSingleLine);
    const QImage accel = text(60, 20, "C&H", rect, dtSingleLine);
    const QImage raw = text(60, 20, "C&H", rect, dtSingleLine | dtNoPrefix);
    // Only an underline is added, below the baseline under H.
    const Pixels a = inked(accel);
    const Pixels p = inked(plain);
    Pixels added;
    for (const auto &px : a)
        if (!p.count(px))
            added.insert(px);
    ASSERT_FALSE(added.empty());
    for (const auto &px : p)
        EXPECT_EQ(a.count(px), 1u);
    QImage probe = blank(2, 2);
    TCanvas c(&probe);
    c.Font = TFont(font(), Black);
    const TRect line = bounds(added);
    EXPECT_GE(line.Left, c.TextWidth("C") - 1);
    EXPECT_LE(line.Right, c.TextWidth("CH") + 1);
    EXPECT_GE(line.Top, bounds(p).Bottom - 2);
    EXPECT_NE(raw, plain); // the prefix is shown as text

    EXPECT_EQ(text(60, 20, "A&&B", rect, dtSingleLine),
              text(60, 20, "A&B", rect, dtSingleLine | dtNoPrefix));
}

TEST_F(CanvasText, LineEndsAndWordBreak)
{
    QImage probe = blank(2, 2);
    TCanvas c(&probe);
    c.Font = TFont(font(), Black);
    const int lh = c.TextHeight("x");
    const int word = c.TextWidth("Low");

    const struct
    {
        const char *text;
        int width;
        unsigned flags;
        int lines;
    } rows[] = {
        {"Low Power", 200, 0, 1},
        {"Low\nPower", 200, 0, 2},
        {"Low\r\nPower\rOut", 200, 0, 3},
        {"Low\nPower", 200, dtSingleLine, 1},
        {"Low Power", word + 2, dtWordBreak, 2},
        {"Low Power", word + 2, 0, 1},
        {"Power", 3, dtWordBreak, 1}, // a long word keeps its own line
        {"a b c", 200, dtWordBreak, 1},
    };
    for (const auto &row : rows) {
        const TRect r = c.CalcTextRect(row.text, {0, 0, row.width, 100}, row.flags);
        EXPECT_EQ(r.Height(), row.lines * lh) << row.text;
    }
    const TRect wrapped = c.CalcTextRect("Low Power", {3, 4, 3 + word + 2, 100}, dtWordBreak);
    EXPECT_EQ(wrapped.Left, 3);
    EXPECT_EQ(wrapped.Top, 4);
    EXPECT_EQ(wrapped.Right, 3 + c.TextWidth("Power"));
    EXPECT_EQ(c.DrawText("Low Power", {0, 0, word + 2, 100}, dtWordBreak), 2 * lh);
}

} // namespace
