// Shape geometry: regions by point membership, away from the edges where
// rasterisers may differ; aliases and mirror images against each other; the
// edge strokes against their own regions.
#include "widgets/Std2Shapes.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QObject>
#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>
#include <vector>

namespace {

using namespace widgets;

constexpr ShapeVariant Windowed = ShapeVariant::Windowed;
constexpr ShapeVariant Windowless = ShapeVariant::Windowless;

QRegion region(sbType shape, int w, int h, ShapeVariant v = Windowed)
{
    return ToQRegion(ShapeRegion(shape, w, h, v));
}

TEST(Shapes, AliasesEqualTheirShapes)
{
    const struct
    {
        sbType alias, shape;
    } rows[] = {{sb000, sbUpTriangle}, {sb045, sbUpRTriangle}, {sb090, sbRTriangle},
                {sb135, sbDnRTriangle}, {sb180, sbDnTriangle}, {sb225, sbDnLTriangle},
                {sb270, sbLTriangle},  {sb315, sbUpLTriangle}, {sb360, sbUpTriangle}};
    for (const auto &row : rows)
        for (ShapeVariant v : {Windowed, Windowless})
            for (int size : {3, 25, 31, 50}) {
                EXPECT_EQ(ShapeRegion(row.alias, size, size + 7, v),
                          ShapeRegion(row.shape, size, size + 7, v))
                    << row.alias;
                EXPECT_EQ(EdgeStrokes(row.alias, size, size + 7, v),
                          EdgeStrokes(row.shape, size, size + 7, v))
                    << row.alias;
            }
}

std::set<std::pair<int, int>> corners(const ShapeRegionSpec &outline, bool flipX, bool flipY,
                                      int w, int h)
{
    std::set<std::pair<int, int>> out;
    for (const QPoint &p : outline.points)
        out.insert({flipX ? w - p.x() : p.x(), flipY ? h - p.y() : p.y()});
    return out;
}

TEST(Shapes, MirrorPairsMatch)
{
    const struct
    {
        sbType a, b;
        bool flipX;
    } rows[] = {{sbUpTriangle, sbDnTriangle, false}, {sbTLTriangle, sbBLTriangle, false},
                {sbTRTriangle, sbBRTriangle, false}, {sbUpTrapezoid, sbDnTrapezoid, false},
                {sbUpLTriangle, sbDnLTriangle, false}, {sbLTriangle, sbRTriangle, true},
                {sbLTrapezoid, sbRTrapezoid, true},   {sbUpLTriangle, sbUpRTriangle, true},
                {sbDnLTriangle, sbDnRTriangle, true}};
    for (const auto &row : rows)
        for (const auto &[w, h] : {std::pair{30, 30}, {31, 20}, {50, 47}}) {
            const ShapeRegionSpec a = ShapeRegion(row.a, w, h, Windowed);
            const ShapeRegionSpec b = ShapeRegion(row.b, w, h, Windowed);
            ASSERT_EQ(a.kind, ShapeRegionSpec::Polygon);
            EXPECT_EQ(corners(a, row.flipX, !row.flipX, w, h), corners(b, false, false, w, h))
                << row.a << " " << row.b << " at " << w << "x" << h;
        }
}

struct Membership
{
    sbType shape;
    std::vector<QPoint> in, out;
};

TEST(Shapes, MembershipAt30x30)
{
    // Thirds are 10; each point lies at least a pixel away from the outline.
    const Membership rows[] = {
        {sbRectangle, {{15, 15}, {1, 1}, {28, 28}}, {{30, 15}, {15, 30}}},
        {sbUpTriangle, {{15, 25}, {15, 5}}, {{2, 2}, {28, 2}}},
        {sbDnTriangle, {{15, 5}, {15, 25}}, {{2, 28}, {28, 28}}},
        {sbLTriangle, {{25, 15}, {5, 15}}, {{2, 2}, {2, 28}}},
        {sbRTriangle, {{5, 15}, {25, 15}}, {{28, 2}, {28, 28}}},
        {sbTLTriangle, {{5, 5}, {20, 5}, {14, 13}}, {{25, 25}, {20, 20}}},
        {sbTRTriangle, {{25, 5}, {20, 10}}, {{5, 25}, {10, 20}}},
        {sbBLTriangle, {{5, 25}, {10, 20}}, {{25, 5}, {20, 10}}},
        {sbBRTriangle, {{25, 25}, {20, 15}}, {{5, 5}, {10, 15}}},
        {sbPlus,
         {{15, 15}, {15, 2}, {2, 15}, {27, 15}, {15, 27}},
         {{5, 5}, {25, 5}, {5, 25}, {25, 25}}},
        // Top block y 0..8, bar y 10..20, bottom block from y 21: a gap of two
        // rows above the bar and one below.
        {sbMinus, {{15, 4}, {2, 15}, {15, 25}, {15, 10}, {15, 21}}, {{15, 9}, {15, 20}, {5, 4}}},
        {sbCircle, {{15, 15}, {2, 15}, {15, 28}}, {{1, 1}, {28, 28}, {28, 1}}},
        {sbUpTrapezoid, {{15, 2}, {2, 28}, {15, 15}}, {{2, 2}, {28, 2}}},
        {sbDnTrapezoid, {{15, 28}, {2, 2}}, {{2, 28}, {28, 28}}},
        {sbLTrapezoid, {{2, 15}, {28, 2}}, {{2, 2}, {2, 28}}},
        {sbRTrapezoid, {{28, 15}, {2, 2}}, {{28, 2}, {28, 28}}},
        {sbOwnerDraw, {{15, 15}, {0, 0}, {29, 29}}, {{30, 30}}},
        {sbUpLTriangle, {{5, 5}, {12, 12}}, {{2, 20}, {20, 2}}},
        {sbUpRTriangle, {{25, 5}, {18, 12}}, {{28, 20}, {10, 2}}},
        {sbDnRTriangle, {{25, 25}, {18, 18}}, {{28, 10}, {10, 28}}},
        {sbDnLTriangle, {{5, 25}, {12, 18}}, {{2, 10}, {20, 28}}},
    };
    static_assert(std::size(rows) == 21);
    for (const Membership &row : rows) {
        const QRegion r = region(row.shape, 30, 30);
        for (QPoint p : row.in)
            EXPECT_TRUE(r.contains(p)) << row.shape << " in " << p.x() << "," << p.y();
        for (QPoint p : row.out)
            EXPECT_FALSE(r.contains(p)) << row.shape << " out " << p.x() << "," << p.y();
    }
}

TEST(Shapes, TinyButtonsKeepTheirRegionsInside)
{
    for (int s = 0; s <= sbDnLTriangle; ++s) {
        const QRegion windowed = region(sbType(s), 3, 3);
        EXPECT_FALSE(windowed.isEmpty()) << s;
        EXPECT_TRUE(QRegion(0, 0, 3, 3).contains(windowed.boundingRect())) << s;
        // One pixel less each way; the plus and minus have no thirds left.
        const QRegion windowless = region(sbType(s), 3, 3, Windowless);
        EXPECT_EQ(windowless.isEmpty(), s == sbPlus || s == sbMinus) << s;
        EXPECT_TRUE(windowless.subtracted(QRegion(0, 0, 2, 2)).isEmpty()) << s;
    }
    // The minus on a 3 x 3 button is a cross: bar and both blocks meet.
    const QRegion minus = region(sbMinus, 3, 3);
    for (QPoint p : {QPoint(0, 1), QPoint(1, 1), QPoint(2, 1), QPoint(1, 0), QPoint(1, 2)})
        EXPECT_TRUE(minus.contains(p)) << p.x() << "," << p.y();
}

TEST(Shapes, MinusHasNoSlitOnLowButtons)
{
    // At 30 x 9 the bottom block starts on the bar's last row: the row stays.
    for (int h = 4; h <= 12; ++h) {
        const QRegion minus = region(sbMinus, 30, h);
        const int y3 = (h + 2) / 3;
        for (int y = y3; y < 2 * y3; ++y)
            EXPECT_TRUE(minus.contains(QPoint(15, y))) << "height " << h << " row " << y;
    }
}

TEST(Shapes, PlusOverhangsWidthsNotDivisibleByThree)
{
    EXPECT_EQ(region(sbPlus, 31, 31).boundingRect(), QRect(0, 0, 33, 33));
}

TEST(Shapes, OwnerDrawRegion)
{
    QObject sender;
    int calls = 0;
    const TsbGetRegEvent none = [&](QObject *, QRegion &r, int w, int h) {
        ++calls;
        EXPECT_TRUE(r.isEmpty());
        EXPECT_EQ(w, 40);
        EXPECT_EQ(h, 20);
    };
    const TsbGetRegEvent disc = [](QObject *, QRegion &r, int, int) {
        r = QRegion(5, 5, 10, 10, QRegion::Ellipse);
    };
    EXPECT_EQ(ShapeQRegion(sbOwnerDraw, 40, 20, Windowed, none, &sender), QRegion(0, 0, 40, 20));
    EXPECT_EQ(ShapeQRegion(sbOwnerDraw, 40, 20, Windowed, {}, &sender), QRegion(0, 0, 40, 20));
    EXPECT_EQ(ShapeQRegion(sbOwnerDraw, 40, 20, Windowed, disc, &sender),
              QRegion(5, 5, 10, 10, QRegion::Ellipse));
    // The windowless button hands over its full size but falls back to its
    // own one-pixel-smaller rectangle.
    EXPECT_EQ(ShapeQRegion(sbOwnerDraw, 40, 20, Windowless, none, &sender), QRegion(0, 0, 39, 19));
    EXPECT_EQ(calls, 2);
    // Only the owner-drawn shape asks.
    ShapeQRegion(sbCircle, 40, 20, Windowed, none, &sender);
    EXPECT_EQ(calls, 2);
}

TEST(Shapes, WindowlessRegionsLeaveOutTheLastColumn)
{
    const QRegion rect = region(sbRectangle, 25, 25, Windowless);
    EXPECT_TRUE(rect.contains(QPoint(23, 5)));
    EXPECT_FALSE(rect.contains(QPoint(24, 5)));
    // Thirds of 29 rounded down: 9. The bottom block starts at 18 + 2.
    const ShapeRegionSpec minus = ShapeRegion(sbMinus, 30, 30, Windowless);
    ASSERT_EQ(minus.rects.size(), 3u);
    EXPECT_EQ(minus.rects[1], (TRect{9, 20, 18, 27}));
}

// Distance from (x, y) to the nearest pixel on the region's boundary.
double distanceToBoundary(const std::vector<QPoint> &boundary, double x, double y)
{
    double best = 1e9;
    for (QPoint b : boundary)
        best = std::min(best, std::hypot(b.x() + 0.5 - x, b.y() + 0.5 - y));
    return best;
}

std::vector<QPoint> boundaryOf(const QRegion &r, int w, int h)
{
    std::vector<QPoint> out;
    for (int y = -1; y <= h + 1; ++y)
        for (int x = -1; x <= w + 1; ++x) {
            const bool in = r.contains(QPoint(x, y));
            if (in != r.contains(QPoint(x + 1, y)) || in != r.contains(QPoint(x, y + 1)))
                out.push_back({x, y});
        }
    return out;
}

// Points along the stroke, a pixel apart.
std::vector<QPointF> samples(const ShapeStroke &stroke)
{
    std::vector<QPointF> out;
    if (stroke.arc) {
        const QPointF tl = stroke.points[0], br = stroke.points[1];
        const QPointF c = (tl + br) / 2;
        const double rx = (br.x() - tl.x()) / 2, ry = (br.y() - tl.y()) / 2;
        const ArcAngles a = ArcStrokeAngles(stroke);
        for (double t = 0; t <= a.span; t += 2) {
            const double rad = (a.start + t) * std::numbers::pi / 180;
            out.push_back({c.x() + rx * std::cos(rad), c.y() - ry * std::sin(rad)});
        }
        return out;
    }
    for (std::size_t i = 1; i < stroke.points.size(); ++i) {
        const QPointF a = stroke.points[i - 1], b = stroke.points[i];
        const int n = std::max(1, int(std::hypot(b.x() - a.x(), b.y() - a.y())));
        for (int k = 0; k <= n; ++k)
            out.push_back(a + (b - a) * (double(k) / n));
    }
    return out;
}

TEST(Shapes, EveryStrokeRunsAlongItsRegionsEdge)
{
    // The bevel uses other thirds than the region, so it may sit a few
    // pixels off; a misplaced corner lands much further away.
    for (ShapeVariant v : {Windowed, Windowless})
        for (int w : {10, 13, 31, 47, 80})
            for (int h : {10, 14, 30, 80})
                for (int s = 0; s <= sbDnLTriangle; ++s) {
                    // Slivers thinner than the bevel lose their tips.
                    if (std::max(w, h) > 3 * std::min(w, h))
                        continue;
                    const QRegion r = region(sbType(s), w, h, v);
                    const std::vector<QPoint> edge = boundaryOf(r, w, h);
                    for (const ShapeStroke &stroke : EdgeStrokes(sbType(s), w, h, v)) {
                        for (QPointF p : samples(stroke)) {
                            // Trapezoid 2 ends one past the right edge; that
                            // last point is never drawn.
                            EXPECT_TRUE(p.x() >= 0 && p.x() <= w && p.y() >= 0 && p.y() <= h - 1)
                                << s << " at " << w << "x" << h;
                            EXPECT_LE(distanceToBoundary(edge, p.x(), p.y()), 5.0)
                                << "shape " << s << " at " << w << "x" << h << " point " << p.x()
                                << "," << p.y();
                        }
                    }
                }
}

TEST(Shapes, ArcAnglesAreParametric)
{
    // A 2:1 box: the radial through (15, 0) rises 45 degrees, which is the
    // ellipse's parameter atan2(1, 0.5) = 63.4 degrees.
    const ShapeStroke arc{ShapeRole::Shadow, true, {{0, 0}, {20, 10}, {15, 0}, {5, 10}}};
    const ArcAngles a = ArcStrokeAngles(arc);
    EXPECT_NEAR(a.start, std::atan2(1.0, 0.5) * 180 / std::numbers::pi, 1e-9);
    EXPECT_NEAR(a.span, 180.0, 1e-9);
    // Coinciding radials draw the whole ellipse.
    const ShapeStroke full{ShapeRole::Shadow, true, {{0, 0}, {20, 10}, {15, 0}, {15, 0}}};
    EXPECT_NEAR(ArcStrokeAngles(full).span, 360.0, 1e-9);
}

TEST(Shapes, RolesTakeTheirColours)
{
    // Rectangle 20 x 20: outer left shadow, inner left light, inner right
    // shadow, outer right dark; pressed swaps light and dark only.
    constexpr TColor Shadow = 0x404080, Light = 0xC0FFFF;
    for (bool down : {false, true}) {
        QImage img(20, 20, QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            TCanvas canvas(&img);
            DrawShapeStrokes(canvas, EdgeStrokes(sbRectangle, 20, 20, Windowed), down, Shadow,
                             Light);
        }
        const auto at = [&](int x, int y) { return vcl::FromQColor(img.pixelColor(x, y)); };
        EXPECT_EQ(at(0, 10), Shadow);
        EXPECT_EQ(at(1, 10), down ? vcl::clBlack : Light);
        EXPECT_EQ(at(18, 10), Shadow);
        EXPECT_EQ(at(19, 10), down ? Light : vcl::clBlack);
    }
}

} // namespace
