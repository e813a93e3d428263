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
#include <string>
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

// The edge strokes written out once more from the drawing tables, to be
// compared point for point: the windowed button's arithmetic (halves and
// thirds rounded up where the tables say so) and the windowless button's
// differences.
ShapeStrokes tableStrokes(sbType shape, int width, int height, ShapeVariant v)
{
    using Pts = std::vector<QPoint>;
    const auto s = [](Pts p) { return ShapeStroke{ShapeRole::Shadow, false, std::move(p)}; };
    const auto l = [](Pts p) { return ShapeStroke{ShapeRole::Light, false, std::move(p)}; };
    const auto d = [](Pts p) { return ShapeStroke{ShapeRole::Dark, false, std::move(p)}; };
    const bool up = v == Windowed; // rounds halves and thirds up
    const int Wm = width - 1, Hm = height - 1;
    const int Hx = Wm / 2 + (up && Wm % 2 ? 1 : 0), Hy = Hm / 2 + (up && Hm % 2 ? 1 : 0);
    const int Tx = Wm / 3, Ty = Hm / 3;
    const int Fx = Wm / 3, Fy = Hm / 3;
    const int Cx = Fx + (up && Wm % 3 ? 1 : 0), Cy = Fy + (up && Hm % 3 ? 1 : 0);
    switch (shape) {
    case sbUpTriangle:
        return {s({{Hx, 0}, {0, Hm}}), s({{Hx, 2}, {Wm - 2, Hm - 1}, {1, Hm - 1}}),
                l({{Hx, 2}, {2, Hm - 1}}), d({{Hx, 1}, {Wm, Hm}, {0, Hm}})};
    case sbDnTriangle:
        return {s({{Hx, Hm}, {0, 0}, {Wm, 0}}), s({{Wm - 2, 1}, {Hx - 1, Hm - 1}}),
                l({{Hx, Hm - 2}, {2, 1}, {Wm - 2, 1}}), d({{Wm, 0}, {Hx, Hm}})};
    case sbLTriangle:
        return {s({{0, Hy}, {Wm, 0}}), s({{Wm - 1, 1}, {Wm - 1, Hm - 2}, {1, Hy - 1}}),
                l({{2, Hy}, {Wm - 1, 2}}), d({{Wm, 0}, {Wm, Hm}, {0, Hy}})};
    case sbRTriangle:
        return {s({{0, Hm}, {0, 0}, {Wm, Hy}}), s({{1, Hm - 1}, {Wm - 1, Hy}}),
                l({{1, Hm - 1}, {1, 2}, {Wm - 2, Hy}}), d({{0, Hm}, {Wm, Hy}})};
    case sbTLTriangle:
        return {s({{0, Hm}, {0, 0}, {Wm, 0}}), s({{Wm - 3, 2}, {2, Hm - 3}}),
                l({{1, Hm - 2}, {1, 1}, {Wm - 2, 1}}), d({{Wm, 0}, {0, Hm}})};
    case sbTRTriangle:
        return {s({{Wm, Hm}, {0, 0}, {Wm, 0}}), s({{Wm - 1, 0}, {Wm - 1, Hm}}),
                l({{Wm - 2, Hm - 3}, {2, 1}, {Wm - 1, 1}}), d({{Wm, 0}, {Wm, Hm}})};
    case sbBLTriangle:
        if (!up)
            return {s({{0, Hm}, {0, 0}}), s({{2, 3}, {Wm - 2, Hm - 1}, {1, Hm - 1}}),
                    l({{1, 2}, {1, Hm}}), d({{2, 2}, {Wm, Hm}, {0, Hm}})};
        return {s({{0, Hm}, {0, 0}}), s({{2, 4}, {Wm - 3, Hm - 1}, {1, Hm - 1}}),
                l({{1, 2}, {1, Hm}}), d({{2, 3}, {Wm - 1, Hm}, {0, Hm}})};
    case sbBRTriangle:
        return {up ? s({{Wm, 1}, {1, Hm}}) : s({{Wm, 0}, {0, Hm}}),
                s({{Wm - 1, 2}, {Wm - 1, Hm - 1}, {1, Hm - 1}}),
                up ? l({{2, Hm}, {Wm, 2}}) : l({{1, Hm}, {Wm - 1, 2}}),
                d({{1, Hm}, {Wm, Hm}, {Wm, 1}})};
    case sbUpLTriangle:
        return {s({{0, 0}, {Tx, Hm}}),
                s({{0, 0}, {Wm, Ty}}),
                s({{Tx - 1, Hm - 1}, {Wm - 1, Ty - 1}}),
                l({{2, 2}, {Tx + 1, Hm - 1}}),
                l({{2, 2}, {Wm - 1, Ty + 1}}),
                d({{Wm, Ty}, {Tx, Hm}})};
    case sbUpRTriangle:
        return {s({{Wm - 1, 0}, {Wm - Tx - 1, Hm}}),
                s({{Wm - Tx, Hm}, {0, Ty}}),
                s({{0, Ty}, {Wm, 0}}),
                l({{Wm - 2, 2}, {2, Ty + 1}}),
                l({{2, Ty + 1}, {Wm - Tx - 1, Hm - 2}}),
                d({{Wm, 0}, {Wm - Tx, Hm}})};
    case sbDnRTriangle:
        return {up ? s({{Wm - Tx, 1}, {0, Hm - Ty + 1}}) : s({{Wm - Tx, 0}, {0, Hm - Ty}}),
                s({{Wm - Tx - 1, 1}, {Wm - 2, Hm - 2}}),
                s({{2, Hm - Ty - 1}, {Wm - 1, Hm - 2}}),
                up ? l({{Wm - Tx - 1, 4}, {1, Hm - Ty + 2}}) : l({{Wm - Tx, 2}, {2, Hm - Ty}}),
                d({{Wm - Tx, 0}, {Wm, Hm}}),
                d({{0, Hm - Ty}, {Wm, Hm}})};
    case sbDnLTriangle:
        return {s({{0, Hm}, {Tx, 0}}),
                up ? s({{Tx - 1, 0}, {Wm - 1, Hm - Ty}}) : s({{Tx, 0}, {Wm, Hm - Ty}}),
                s({{2, Hm - 2}, {Wm - 1, Hm - Ty - 1}}),
                l({{2, Hm - 2}, {Tx + 1, 2}}),
                up ? l({{Tx, 2}, {Wm - 2, Hm - Ty}}) : l({{Tx + 1, 2}, {Wm - 1, Hm - Ty}}),
                d({{0, Hm}, {Wm, Hm - Ty}})};
    case sbUpTrapezoid:
        return {l({{2, Hm - 1}, {Cx + 1, 1}, {2 * Fx, 1}}), d({{0, Hm}, {Wm, Hm}, {2 * Fx, 1}}),
                s({{0, Hm}, {Cx, 0}, {2 * Fx, 0}}),
                s({{2, Hm - 1}, {Wm - 2, Hm - 1}, {2 * Fx - 1, 2}})};
    case sbDnTrapezoid:
        return {l({{Cx + 1, Hm - 1}, {2, 1}, {Wm - 1, 1}}), d({{Cx, Hm}, {2 * Fx, Hm}, {Wm, 1}}),
                s({{Cx, Hm}, {0, 0}, {Wm + 1, 0}}),
                s({{Cx + 1, Hm - 1}, {2 * Fx - 1, Hm - 1}, {Wm - 1, 1}})};
    case sbRTrapezoid:
        return {l({{Wm - 1, Cy + 1}, {1, 1}, {1, Hm - 1}}), d({{Wm, Cy}, {Wm, 2 * Fy}, {1, Hm}}),
                s({{0, Hm}, {0, 0}, {Wm, Cy}}),
                s({{Wm - 1, Cy}, {Wm - 1, 2 * Fy - 1}, {1, Hm - 1}})};
    case sbLTrapezoid:
        return {l({{1, 2 * Fy}, {1, Cy + 1}, {Wm - 1, 1}}), d({{0, 2 * Fy}, {Wm, Hm}, {Wm, 0}}),
                s({{0, 2 * Fy}, {0, Cy}, {Wm, 0}}),
                s({{1, 2 * Fy - 1}, {Wm - 1, Hm - 2}, {Wm - 1, 2}})};
    case sbPlus:
        return {
            s({{Cx, 3 * Fy}, {Cx, 2 * Fy}}),
            s({{0, 2 * Fy}, {0, Cy}, {Cx, Cy}, {Cx, 0}, {2 * Fx, 0}}),
            s({{2 * Fx, Cy}, {3 * Fx, Cy}}),
            s({{1, 2 * Fy - 1}, {Cx + 1, 2 * Fy - 1}}),
            s({{2 * Fx - 1, 1}, {2 * Fx - 1, Cy + 1}}),
            s({{3 * Fx - 1, Cy + 1},
               {3 * Fx - 1, 2 * Fy - 1},
               {2 * Fx - 1, 2 * Fy - 1},
               {2 * Fx - 1, 3 * Fy - 1},
               {Cx + 1, 3 * Fy - 1}}),
            l({{3 * Fx - 1, Cy + 1}, {2 * Fx - 1, Cy + 1}}),
            l({{2 * Fx - 1, 1}, {Cx + 1, 1}, {Cx + 1, Cy + 1}, {1, Cy + 1}, {1, 2 * Fy - 1}}),
            l({{Cx + 1, 2 * Fy - 1}, {Cx + 1, 3 * Fy - 1}}),
            d({{2 * Fx, 0}, {2 * Fx, Cy}}),
            d({{3 * Fx, Cy}, {3 * Fx, 2 * Fy}, {2 * Fx, 2 * Fy}, {2 * Fx, 3 * Fy}, {Cx, 3 * Fy}}),
            d({{0, 2 * Fy}, {Cx, 2 * Fy}})};
    case sbMinus: {
        // The windowless button measures its blocks and bar from its own
        // thirds: R, T, B and M in other terms.
        const int Q = Cy / 4;
        const int R = up ? Wm - Cx - 1 : 2 * Fx;
        const int T = up ? Cy - Q - 1 : Fy - Q;
        const int B = up ? Hm - Cy + Q + 1 : 2 * Fy + Q;
        const int M = up ? Hm - Cy - 1 : 2 * Fy;
        return {s({{Cx, T}, {Cx, 0}, {R, 0}}),
                s({{Cx + 1, T - 1}, {R - 1, T - 1}, {R - 1, 0}}),
                s({{Cx, Hm}, {Cx, B}, {R, B}}),
                s({{Cx + 1, Hm - 1}, {R - 1, Hm - 1}, {R - 1, B}}),
                s({{0, M}, {0, Cy}, {Wm, Cy}}),
                s({{1, M - 1}, {Wm - 1, M - 1}, {Wm - 1, Cy}}),
                l({{Cx + 1, T - 1}, {Cx + 1, 1}, {R - 1, 1}}),
                l({{Cx + 1, Hm - 1}, {Cx + 1, B + 1}, {R - 1, B + 1}}),
                l({{1, M - 1}, {1, Cy + 1}, {Wm - 1, Cy + 1}}),
                d({{R, 0}, {R, T}, {Cx, T}}),
                d({{R, B}, {R, Hm}, {Cx, Hm}}),
                d({{Wm, Cy}, {Wm, M}, {0, M}})};
    }
    case sbCircle: {
        const int Hw = Wm / 2, A = Hw + Hw / 2, B = Hw / 2;
        const auto arc = [](ShapeRole role, Pts p) {
            return ShapeStroke{role, true, std::move(p)};
        };
        return {arc(ShapeRole::Shadow, {{0, 0}, {Wm, Hm}, {A, 0}, {B, Hm}}),
                arc(ShapeRole::Shadow, {{1, 1}, {Wm - 1, Hm - 1}, {B - 2, Hm - 2}, {A - 2, 2}}),
                arc(ShapeRole::Light, {{1, 1}, {Wm - 1, Hm - 1}, {A - 2, 2}, {B - 2, Hm - 2}}),
                arc(ShapeRole::Dark, {{0, 0}, {Wm, Hm}, {B, Hm}, {A, 0}})};
    }
    case sbRectangle:
    case sbOwnerDraw:
    default:
        return {s({{0, Hm}, {0, 0}, {Wm, 0}}), s({{Wm - 1, 1}, {Wm - 1, Hm - 1}, {1, Hm - 1}}),
                l({{1, Hm - 1}, {1, 1}, {Wm - 1, 1}}), d({{Wm, 0}, {Wm, Hm}, {0, Hm}})};
    }
}

std::string describe(const ShapeStrokes &strokes)
{
    std::string out;
    for (const ShapeStroke &stroke : strokes) {
        out += "SLD"[int(stroke.role)];
        out += stroke.arc ? "~" : ":";
        for (QPoint p : stroke.points)
            out += " (" + std::to_string(p.x()) + "," + std::to_string(p.y()) + ")";
        out += "\n";
    }
    return out;
}

TEST(Shapes, EdgeStrokesAreThoseOfTheTables)
{
    // Sizes whose last pixel is even and odd, divisible by 3 or not, so that
    // every rounding up shows.
    const QSize sizes[] = {{31, 31}, {32, 24}, {24, 32}, {33, 35}, {50, 47}, {80, 62}};
    for (ShapeVariant v : {Windowed, Windowless})
        for (QSize size : sizes)
            for (int s = 0; s <= sbDnLTriangle; ++s) {
                const ShapeStrokes got = EdgeStrokes(sbType(s), size.width(), size.height(), v);
                const ShapeStrokes want = tableStrokes(sbType(s), size.width(), size.height(), v);
                EXPECT_EQ(got, want)
                    << "shape " << s << (v == Windowed ? " windowed " : " windowless ")
                    << size.width() << "x" << size.height() << "\ngot\n"
                    << describe(got) << "want\n"
                    << describe(want);
            }
}

// The windowed circle's window is cut along the outer ring it draws: the
// ring is never cut away, and no face lies between it and the window's edge.
TEST(Shapes, WindowedCircleIsCutAlongItsRing)
{
    constexpr TColor Shadow = 0x404080, Light = 0xC0FFFF, Face = vcl::clWhite;
    const QSize sizes[] = {{20, 14}, {30, 30}, {50, 50}, {40, 20}, {31, 47}, {89, 33}, {8, 8}};
    for (QSize size : sizes) {
        SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
        const int w = size.width(), h = size.height();
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(vcl::ToQColor(Face));
        {
            TCanvas canvas(&img);
            DrawShapeStrokes(canvas, EdgeStrokes(sbCircle, w, h, Windowed), false, Shadow, Light);
        }
        const QRegion r = ShapeQRegion(sbCircle, w, h, Windowed, {}, nullptr);
        ASSERT_TRUE(r.contains(QPoint(w / 2, h / 2)));
        int cut = 0, bare = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const bool painted = vcl::FromQColor(img.pixelColor(x, y)) != Face;
                const bool in = r.contains(QPoint(x, y));
                const bool onEdge =
                    in && (!r.contains(QPoint(x - 1, y)) || !r.contains(QPoint(x + 1, y)) ||
                           !r.contains(QPoint(x, y - 1)) || !r.contains(QPoint(x, y + 1)));
                cut += painted && !in;
                bare += onEdge && !painted;
            }
        EXPECT_EQ(cut, 0) << "edge pixels outside the window";
        EXPECT_EQ(bare, 0) << "face pixels on the window's edge";
        // The ring reaches across the control, less its last column and row.
        EXPECT_GE(r.boundingRect().width(), w - 1);
        EXPECT_GE(r.boundingRect().height(), h - 1);
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
