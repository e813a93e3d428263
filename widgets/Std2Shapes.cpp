#include "widgets/Std2Shapes.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QRegion>

#include <cmath>
#include <numbers>

namespace widgets {

namespace {

using P = QPoint;

int thirdUp(int v)
{
    return v / 3 + (3 * (v / 3) < v ? 1 : 0);
}

int halfUp(int v)
{
    return v / 2 + (2 * (v / 2) < v ? 1 : 0);
}

ShapeStroke S(std::vector<QPoint> points)
{
    return {ShapeRole::Shadow, false, std::move(points)};
}
ShapeStroke L(std::vector<QPoint> points)
{
    return {ShapeRole::Light, false, std::move(points)};
}
ShapeStroke D(std::vector<QPoint> points)
{
    return {ShapeRole::Dark, false, std::move(points)};
}

ShapeRegionSpec polygon(std::vector<QPoint> points)
{
    ShapeRegionSpec outline;
    outline.kind = ShapeRegionSpec::Polygon;
    outline.points = std::move(points);
    return outline;
}

} // namespace

sbType ShapeAlias(sbType shape)
{
    switch (shape) {
    case sb000:
    case sb360:
        return sbUpTriangle;
    case sb045:
        return sbUpRTriangle;
    case sb090:
        return sbRTriangle;
    case sb135:
        return sbDnRTriangle;
    case sb180:
        return sbDnTriangle;
    case sb225:
        return sbDnLTriangle;
    case sb270:
        return sbLTriangle;
    case sb315:
        return sbUpLTriangle;
    default:
        return shape;
    }
}

ShapeRegionSpec ShapeRegion(sbType shape, int width, int height, ShapeVariant variant)
{
    const bool windowed = variant == ShapeVariant::Windowed;
    // The windowless button's region leaves out its last column and row.
    const int W = windowed ? width : width - 1;
    const int H = windowed ? height : height - 1;
    const int X3 = windowed ? thirdUp(W) : W / 3;
    const int Y3 = windowed ? thirdUp(H) : H / 3;
    const TRect box{0, 0, W, H};
    switch (ShapeAlias(shape)) {
    case sbUpTriangle:
        return polygon({P(W / 2, 0), P(0, H), P(W, H)});
    case sbDnTriangle:
        return polygon({P(0, 0), P(W / 2, H), P(W, 0)});
    case sbLTriangle:
        return polygon({P(0, H / 2), P(W, 0), P(W, H)});
    case sbRTriangle:
        return polygon({P(0, 0), P(W, H / 2), P(0, H)});
    case sbTLTriangle:
        return polygon({P(0, H), P(0, 0), P(W, 0)});
    case sbTRTriangle:
        return polygon({P(0, 0), P(W, 0), P(W, H)});
    case sbBLTriangle:
        return polygon({P(0, 0), P(0, H), P(W, H)});
    case sbBRTriangle:
        return polygon({P(W, 0), P(W, H), P(0, H)});
    case sbPlus:
        return polygon({P(X3, 0), P(2 * X3, 0), P(2 * X3, Y3), P(3 * X3, Y3), P(3 * X3, 2 * Y3),
                        P(2 * X3, 2 * Y3), P(2 * X3, 3 * Y3), P(X3, 3 * Y3), P(X3, 2 * Y3),
                        P(0, 2 * Y3), P(0, Y3), P(X3, Y3)});
    case sbMinus: {
        // The union of the three rectangles: where the bottom block meets the
        // bar on a low button they overlap, and that row stays inside.
        const int bottomTop = 2 * Y3 + Y3 / 4 - (windowed ? 1 : 0);
        ShapeRegionSpec outline;
        outline.kind = ShapeRegionSpec::Rectangles;
        outline.rects = {{X3, 0, 2 * X3, Y3 - Y3 / 4},
                      {X3, bottomTop, 2 * X3, 3 * Y3},
                      {0, Y3, W, 2 * Y3}};
        return outline;
    }
    case sbCircle:
        return {ShapeRegionSpec::Ellipse, {}, {box}};
    case sbUpTrapezoid:
        return polygon({P(X3, 0), P(2 * X3, 0), P(W, H), P(0, H)});
    case sbDnTrapezoid:
        return polygon({P(0, 0), P(W, 0), P(2 * X3, H), P(X3, H)});
    case sbLTrapezoid:
        return polygon({P(W, 0), P(W, H), P(0, 2 * Y3), P(0, Y3)});
    case sbRTrapezoid:
        return polygon({P(0, 0), P(0, H), P(W, 2 * Y3), P(W, Y3)});
    case sbOwnerDraw:
        return {ShapeRegionSpec::OwnerDraw, {}, {box}};
    // The arrow heads take thirds rounded down in both variants.
    case sbUpLTriangle:
        return polygon({P(0, 0), P(W / 3, H), P(W, H / 3)});
    case sbUpRTriangle:
        return polygon({P(W, 0), P(W - W / 3, H), P(0, H / 3)});
    case sbDnRTriangle:
        return polygon({P(W, H), P(0, H - H / 3), P(W - W / 3, 0)});
    case sbDnLTriangle:
        return polygon({P(0, H), P(W / 3, 0), P(W, H - H / 3)});
    case sbRectangle:
    default:
        return {ShapeRegionSpec::Rectangle, {}, {box}};
    }
}

ShapeStrokes RectangleStrokes(int width, int height)
{
    const int Wm = width - 1;
    const int Hm = height - 1;
    return {S({P(0, Hm), P(0, 0), P(Wm, 0)}),
            S({P(Wm - 1, 1), P(Wm - 1, Hm - 1), P(1, Hm - 1)}),
            L({P(1, Hm - 1), P(1, 1), P(Wm - 1, 1)}),
            D({P(Wm, 0), P(Wm, Hm), P(0, Hm)})};
}

ShapeStrokes TriangleStrokes(int code, int width, int height, ShapeVariant variant)
{
    const bool windowed = variant == ShapeVariant::Windowed;
    const int Wm = width - 1;
    const int Hm = height - 1;
    const int Hx = windowed ? halfUp(Wm) : Wm / 2;
    const int Hy = windowed ? halfUp(Hm) : Hm / 2;
    const int Tx = Wm / 3;
    const int Ty = Hm / 3;
    switch (code) {
    case 1:
        return {S({P(Hx, 0), P(0, Hm)}), S({P(Hx, 2), P(Wm - 2, Hm - 1), P(1, Hm - 1)}),
                L({P(Hx, 2), P(2, Hm - 1)}), D({P(Hx, 1), P(Wm, Hm), P(0, Hm)})};
    case 2:
        return {S({P(Hx, Hm), P(0, 0), P(Wm, 0)}), S({P(Wm - 2, 1), P(Hx - 1, Hm - 1)}),
                L({P(Hx, Hm - 2), P(2, 1), P(Wm - 2, 1)}), D({P(Wm, 0), P(Hx, Hm)})};
    case 3:
        return {S({P(0, Hy), P(Wm, 0)}), S({P(Wm - 1, 1), P(Wm - 1, Hm - 2), P(1, Hy - 1)}),
                L({P(2, Hy), P(Wm - 1, 2)}), D({P(Wm, 0), P(Wm, Hm), P(0, Hy)})};
    case 4:
        return {S({P(0, Hm), P(0, 0), P(Wm, Hy)}), S({P(1, Hm - 1), P(Wm - 1, Hy)}),
                L({P(1, Hm - 1), P(1, 2), P(Wm - 2, Hy)}), D({P(0, Hm), P(Wm, Hy)})};
    case 5:
        return {S({P(0, Hm), P(0, 0), P(Wm, 0)}), S({P(Wm - 3, 2), P(2, Hm - 3)}),
                L({P(1, Hm - 2), P(1, 1), P(Wm - 2, 1)}), D({P(Wm, 0), P(0, Hm)})};
    case 6:
        return {S({P(Wm, Hm), P(0, 0), P(Wm, 0)}), S({P(Wm - 1, 0), P(Wm - 1, Hm)}),
                L({P(Wm - 2, Hm - 3), P(2, 1), P(Wm - 1, 1)}), D({P(Wm, 0), P(Wm, Hm)})};
    case 7:
        if (!windowed)
            return {S({P(0, Hm), P(0, 0)}), S({P(2, 3), P(Wm - 2, Hm - 1), P(1, Hm - 1)}),
                    L({P(1, 2), P(1, Hm)}), D({P(2, 2), P(Wm, Hm), P(0, Hm)})};
        return {S({P(0, Hm), P(0, 0)}), S({P(2, 4), P(Wm - 3, Hm - 1), P(1, Hm - 1)}),
                L({P(1, 2), P(1, Hm)}), D({P(2, 3), P(Wm - 1, Hm), P(0, Hm)})};
    case 8:
        if (!windowed)
            return {S({P(Wm, 0), P(0, Hm)}), S({P(Wm - 1, 2), P(Wm - 1, Hm - 1), P(1, Hm - 1)}),
                    L({P(1, Hm), P(Wm - 1, 2)}), D({P(1, Hm), P(Wm, Hm), P(Wm, 1)})};
        return {S({P(Wm, 1), P(1, Hm)}), S({P(Wm - 1, 2), P(Wm - 1, Hm - 1), P(1, Hm - 1)}),
                L({P(2, Hm), P(Wm, 2)}), D({P(1, Hm), P(Wm, Hm), P(Wm, 1)})};
    case 9:
        return {S({P(0, 0), P(Tx, Hm)}),
                S({P(0, 0), P(Wm, Ty)}),
                S({P(Tx - 1, Hm - 1), P(Wm - 1, Ty - 1)}),
                L({P(2, 2), P(Tx + 1, Hm - 1)}),
                L({P(2, 2), P(Wm - 1, Ty + 1)}),
                D({P(Wm, Ty), P(Tx, Hm)})};
    case 10:
        return {S({P(Wm - 1, 0), P(Wm - Tx - 1, Hm)}),
                S({P(Wm - Tx, Hm), P(0, Ty)}),
                S({P(0, Ty), P(Wm, 0)}),
                L({P(Wm - 2, 2), P(2, Ty + 1)}),
                L({P(2, Ty + 1), P(Wm - Tx - 1, Hm - 2)}),
                D({P(Wm, 0), P(Wm - Tx, Hm)})};
    case 11:
        return {windowed ? S({P(Wm - Tx, 1), P(0, Hm - Ty + 1)})
                         : S({P(Wm - Tx, 0), P(0, Hm - Ty)}),
                S({P(Wm - Tx - 1, 1), P(Wm - 2, Hm - 2)}),
                S({P(2, Hm - Ty - 1), P(Wm - 1, Hm - 2)}),
                windowed ? L({P(Wm - Tx - 1, 4), P(1, Hm - Ty + 2)})
                         : L({P(Wm - Tx, 2), P(2, Hm - Ty)}),
                D({P(Wm - Tx, 0), P(Wm, Hm)}),
                D({P(0, Hm - Ty), P(Wm, Hm)})};
    case 12:
        return {S({P(0, Hm), P(Tx, 0)}),
                windowed ? S({P(Tx - 1, 0), P(Wm - 1, Hm - Ty)}) : S({P(Tx, 0), P(Wm, Hm - Ty)}),
                S({P(2, Hm - 2), P(Wm - 1, Hm - Ty - 1)}),
                L({P(2, Hm - 2), P(Tx + 1, 2)}),
                windowed ? L({P(Tx, 2), P(Wm - 2, Hm - Ty)}) : L({P(Tx + 1, 2), P(Wm - 1, Hm - Ty)}),
                D({P(0, Hm), P(Wm, Hm - Ty)})};
    default:
        return RectangleStrokes(width, height);
    }
}

namespace {

struct Thirds
{
    int Wm, Hm, Cx, Cy, Fx, Fy;
};

Thirds thirds(int width, int height, ShapeVariant variant)
{
    const int Wm = width - 1;
    const int Hm = height - 1;
    const bool windowed = variant == ShapeVariant::Windowed;
    return {Wm, Hm, windowed ? thirdUp(Wm) : Wm / 3, windowed ? thirdUp(Hm) : Hm / 3, Wm / 3,
            Hm / 3};
}

} // namespace

ShapeStrokes TrapezStrokes(int code, int width, int height, ShapeVariant variant)
{
    const auto [Wm, Hm, Cx, Cy, Fx, Fy] = thirds(width, height, variant);
    switch (code) {
    case 1:
        return {L({P(2, Hm - 1), P(Cx + 1, 1), P(2 * Fx, 1)}),
                D({P(0, Hm), P(Wm, Hm), P(2 * Fx, 1)}),
                S({P(0, Hm), P(Cx, 0), P(2 * Fx, 0)}),
                S({P(2, Hm - 1), P(Wm - 2, Hm - 1), P(2 * Fx - 1, 2)})};
    case 2:
        return {L({P(Cx + 1, Hm - 1), P(2, 1), P(Wm - 1, 1)}),
                D({P(Cx, Hm), P(2 * Fx, Hm), P(Wm, 1)}),
                S({P(Cx, Hm), P(0, 0), P(Wm + 1, 0)}),
                S({P(Cx + 1, Hm - 1), P(2 * Fx - 1, Hm - 1), P(Wm - 1, 1)})};
    case 3:
        return {L({P(Wm - 1, Cy + 1), P(1, 1), P(1, Hm - 1)}),
                D({P(Wm, Cy), P(Wm, 2 * Fy), P(1, Hm)}),
                S({P(0, Hm), P(0, 0), P(Wm, Cy)}),
                S({P(Wm - 1, Cy), P(Wm - 1, 2 * Fy - 1), P(1, Hm - 1)})};
    case 4:
        return {L({P(1, 2 * Fy), P(1, Cy + 1), P(Wm - 1, 1)}),
                D({P(0, 2 * Fy), P(Wm, Hm), P(Wm, 0)}),
                S({P(0, 2 * Fy), P(0, Cy), P(Wm, 0)}),
                S({P(1, 2 * Fy - 1), P(Wm - 1, Hm - 2), P(Wm - 1, 2)})};
    default:
        return RectangleStrokes(width, height);
    }
}

ShapeStrokes PlusStrokes(int width, int height, ShapeVariant variant)
{
    const auto [Wm, Hm, Cx, Cy, Fx, Fy] = thirds(width, height, variant);
    (void)Wm;
    (void)Hm;
    return {S({P(Cx, 3 * Fy), P(Cx, 2 * Fy)}),
            S({P(0, 2 * Fy), P(0, Cy), P(Cx, Cy), P(Cx, 0), P(2 * Fx, 0)}),
            S({P(2 * Fx, Cy), P(3 * Fx, Cy)}),
            S({P(1, 2 * Fy - 1), P(Cx + 1, 2 * Fy - 1)}),
            S({P(2 * Fx - 1, 1), P(2 * Fx - 1, Cy + 1)}),
            S({P(3 * Fx - 1, Cy + 1), P(3 * Fx - 1, 2 * Fy - 1), P(2 * Fx - 1, 2 * Fy - 1),
               P(2 * Fx - 1, 3 * Fy - 1), P(Cx + 1, 3 * Fy - 1)}),
            L({P(3 * Fx - 1, Cy + 1), P(2 * Fx - 1, Cy + 1)}),
            L({P(2 * Fx - 1, 1), P(Cx + 1, 1), P(Cx + 1, Cy + 1), P(1, Cy + 1), P(1, 2 * Fy - 1)}),
            L({P(Cx + 1, 2 * Fy - 1), P(Cx + 1, 3 * Fy - 1)}),
            D({P(2 * Fx, 0), P(2 * Fx, Cy)}),
            D({P(3 * Fx, Cy), P(3 * Fx, 2 * Fy), P(2 * Fx, 2 * Fy), P(2 * Fx, 3 * Fy),
               P(Cx, 3 * Fy)}),
            D({P(0, 2 * Fy), P(Cx, 2 * Fy)})};
}

ShapeStrokes MinusStrokes(int width, int height, ShapeVariant variant)
{
    const auto [Wm, Hm, Cx, Cy, Fx, Fy] = thirds(width, height, variant);
    int R, T, B, M;
    if (variant == ShapeVariant::Windowed) {
        const int Q = Cy / 4;
        R = Wm - Cx - 1;
        T = Cy - Q - 1;
        B = Hm - Cy + Q + 1;
        M = Hm - Cy - 1;
    } else {
        const int Q = Fy / 4;
        R = 2 * Fx;
        T = Fy - Q;
        B = 2 * Fy + Q;
        M = 2 * Fy;
    }
    return {S({P(Cx, T), P(Cx, 0), P(R, 0)}),
            S({P(Cx + 1, T - 1), P(R - 1, T - 1), P(R - 1, 0)}),
            S({P(Cx, Hm), P(Cx, B), P(R, B)}),
            S({P(Cx + 1, Hm - 1), P(R - 1, Hm - 1), P(R - 1, B)}),
            S({P(0, M), P(0, Cy), P(Wm, Cy)}),
            S({P(1, M - 1), P(Wm - 1, M - 1), P(Wm - 1, Cy)}),
            L({P(Cx + 1, T - 1), P(Cx + 1, 1), P(R - 1, 1)}),
            L({P(Cx + 1, Hm - 1), P(Cx + 1, B + 1), P(R - 1, B + 1)}),
            L({P(1, M - 1), P(1, Cy + 1), P(Wm - 1, Cy + 1)}),
            D({P(R, 0), P(R, T), P(Cx, T)}),
            D({P(R, B), P(R, Hm), P(Cx, Hm)}),
            D({P(Wm, Cy), P(Wm, M), P(0, M)})};
}

ShapeStrokes CircleStrokes(int width, int height)
{
    const int Wm = width - 1;
    const int Hm = height - 1;
    const int Hw = Wm / 2;
    const int A = Hw + Hw / 2;
    const int B = Hw / 2;
    const auto arc = [](ShapeRole role, QPoint tl, QPoint br, QPoint from, QPoint to) {
        return ShapeStroke{role, true, {tl, br, from, to}};
    };
    return {arc(ShapeRole::Shadow, P(0, 0), P(Wm, Hm), P(A, 0), P(B, Hm)),
            arc(ShapeRole::Shadow, P(1, 1), P(Wm - 1, Hm - 1), P(B - 2, Hm - 2), P(A - 2, 2)),
            arc(ShapeRole::Light, P(1, 1), P(Wm - 1, Hm - 1), P(A - 2, 2), P(B - 2, Hm - 2)),
            arc(ShapeRole::Dark, P(0, 0), P(Wm, Hm), P(B, Hm), P(A, 0))};
}

ShapeStrokes EdgeStrokes(sbType shape, int width, int height, ShapeVariant variant)
{
    const sbType real = ShapeAlias(shape);
    switch (real) {
    case sbUpTriangle:
    case sbDnTriangle:
    case sbLTriangle:
    case sbRTriangle:
    case sbTLTriangle:
    case sbTRTriangle:
    case sbBLTriangle:
    case sbBRTriangle:
        return TriangleStrokes(real - sbUpTriangle + 1, width, height, variant);
    case sbUpLTriangle:
    case sbUpRTriangle:
    case sbDnRTriangle:
    case sbDnLTriangle:
        return TriangleStrokes(real - sbUpLTriangle + 9, width, height, variant);
    case sbPlus:
        return PlusStrokes(width, height, variant);
    case sbMinus:
        return MinusStrokes(width, height, variant);
    case sbCircle:
        return CircleStrokes(width, height);
    case sbUpTrapezoid:
        return TrapezStrokes(1, width, height, variant);
    case sbDnTrapezoid:
        return TrapezStrokes(2, width, height, variant);
    case sbLTrapezoid:
        return TrapezStrokes(4, width, height, variant);
    case sbRTrapezoid:
        return TrapezStrokes(3, width, height, variant);
    default:
        return RectangleStrokes(width, height);
    }
}

namespace {

struct Ellipse
{
    double cx, cy, rx, ry;
};

Ellipse ellipseOf(const ShapeStroke &arc)
{
    const QPoint tl = arc.points[0];
    const QPoint br = arc.points[1];
    return {(tl.x() + br.x()) / 2.0, (tl.y() + br.y()) / 2.0, (br.x() - tl.x()) / 2.0,
            (br.y() - tl.y()) / 2.0};
}

// The parametric angle of the radial through p, in degrees 0..360.
double radialAngle(const Ellipse &e, QPoint p)
{
    const double dx = e.rx != 0 ? (p.x() - e.cx) / e.rx : p.x() - e.cx;
    const double dy = e.ry != 0 ? (e.cy - p.y()) / e.ry : e.cy - p.y();
    double deg = std::atan2(dy, dx) * 180.0 / std::numbers::pi;
    if (deg < 0)
        deg += 360.0;
    return deg;
}

} // namespace

ArcAngles ArcStrokeAngles(const ShapeStroke &arc)
{
    if (!arc.arc || arc.points.size() < 4)
        return {};
    const Ellipse e = ellipseOf(arc);
    const double start = radialAngle(e, arc.points[2]);
    double span = radialAngle(e, arc.points[3]) - start;
    if (span <= 0)
        span += 360.0;
    return {start, span};
}

QRegion ToQRegion(const ShapeRegionSpec &outline)
{
    switch (outline.kind) {
    case ShapeRegionSpec::Polygon:
        return QRegion(QPolygon(QList<QPoint>(outline.points.begin(), outline.points.end())),
                       Qt::OddEvenFill);
    case ShapeRegionSpec::Rectangles: {
        QRegion region;
        for (const TRect &r : outline.rects)
            if (!r.IsEmpty())
                region += r.ToQRect();
        return region;
    }
    case ShapeRegionSpec::Ellipse:
        return outline.rects.empty() || outline.rects.front().IsEmpty()
                   ? QRegion()
                   : QRegion(outline.rects.front().ToQRect(), QRegion::Ellipse);
    case ShapeRegionSpec::Rectangle:
    case ShapeRegionSpec::OwnerDraw:
    default:
        return outline.rects.empty() || outline.rects.front().IsEmpty()
                   ? QRegion()
                   : QRegion(outline.rects.front().ToQRect());
    }
}

QRegion CircleRingRegion(int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    QImage ring(width, height, QImage::Format_RGB32);
    ring.fill(Qt::white);
    {
        TCanvas canvas(&ring);
        const ShapeStrokes strokes = CircleStrokes(width, height);
        // The outer ring: the arcs over the whole box, as the edge draws them.
        DrawShapeStrokes(canvas, {strokes.front(), strokes.back()}, false, vcl::clBlack,
                         vcl::clBlack);
    }
    // What the outside reaches without crossing the ring, from the border in.
    const QRgb inked = qRgb(0, 0, 0);
    std::vector<char> outside(std::size_t(width) * std::size_t(height), 0);
    std::vector<QPoint> todo;
    const auto reach = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return;
        char &seen = outside[std::size_t(y) * std::size_t(width) + std::size_t(x)];
        if (seen || ring.pixel(x, y) == inked)
            return;
        seen = 1;
        todo.push_back({x, y});
    };
    for (int x = 0; x < width; ++x) {
        reach(x, 0);
        reach(x, height - 1);
    }
    for (int y = 0; y < height; ++y) {
        reach(0, y);
        reach(width - 1, y);
    }
    while (!todo.empty()) {
        const QPoint p = todo.back();
        todo.pop_back();
        reach(p.x() + 1, p.y());
        reach(p.x() - 1, p.y());
        reach(p.x(), p.y() + 1);
        reach(p.x(), p.y() - 1);
    }
    QRegion region;
    for (int y = 0; y < height; ++y) {
        int x = 0;
        while (x < width) {
            while (x < width && outside[std::size_t(y) * std::size_t(width) + std::size_t(x)])
                ++x;
            const int from = x;
            while (x < width && !outside[std::size_t(y) * std::size_t(width) + std::size_t(x)])
                ++x;
            if (x > from)
                region += QRect(from, y, x - from, 1);
        }
    }
    // A ring too small to close on anything encloses no middle: no region.
    return region.contains(QPoint(width / 2, height / 2)) ? region : QRegion();
}

QRegion ShapeQRegion(sbType shape, int width, int height, ShapeVariant variant,
                     const TsbGetRegEvent &onGetRegion, QObject *sender)
{
    const ShapeRegionSpec outline = ShapeRegion(shape, width, height, variant);
    if (outline.kind == ShapeRegionSpec::OwnerDraw && onGetRegion) {
        QRegion region;
        onGetRegion(sender, region, width, height);
        if (!region.isEmpty())
            return region;
    }
    // The window of a circle is cut along its drawn outer ring, so the ring
    // is its outermost pixels; the rasterised ellipse alone would cut the
    // ring's top and left and leave face outside it at the bottom and right.
    if (variant == ShapeVariant::Windowed && outline.kind == ShapeRegionSpec::Ellipse) {
        const QRegion ring = CircleRingRegion(width, height);
        if (!ring.isEmpty())
            return ring;
    }
    return ToQRegion(outline);
}

QPainterPath ToPainterPath(const ShapeStroke &stroke)
{
    QPainterPath path;
    if (stroke.arc) {
        if (stroke.points.size() < 4)
            return path;
        const QRectF box(QPointF(stroke.points[0]), QPointF(stroke.points[1]));
        const ArcAngles a = ArcStrokeAngles(stroke);
        path.arcMoveTo(box, a.start);
        path.arcTo(box, a.start, a.span);
        return path;
    }
    if (stroke.points.empty())
        return path;
    path.moveTo(stroke.points.front());
    for (std::size_t i = 1; i < stroke.points.size(); ++i)
        path.lineTo(stroke.points[i]);
    return path;
}

void DrawShapeStrokes(TCanvas &canvas, const ShapeStrokes &strokes, bool down, TColor shadow,
                      TColor highlight)
{
    canvas.Pen.Width = 1;
    canvas.Pen.Style = psSolid;
    for (const ShapeStroke &stroke : strokes) {
        switch (stroke.role) {
        case ShapeRole::Shadow:
            canvas.Pen.Color = shadow;
            break;
        case ShapeRole::Light:
            canvas.Pen.Color = down ? vcl::clBlack : highlight;
            break;
        case ShapeRole::Dark:
            canvas.Pen.Color = down ? highlight : vcl::clBlack;
            break;
        }
        if (!stroke.arc) {
            canvas.Polyline(stroke.points);
            continue;
        }
        if (stroke.points.size() < 4)
            continue;
        QPainter &painter = canvas.Painter();
        painter.save();
        QPen pen(vcl::ToQColor(canvas.Pen.Color), 0);
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const QPoint tl = stroke.points[0];
        const QPoint br = stroke.points[1];
        const ArcAngles a = ArcStrokeAngles(stroke);
        painter.drawArc(QRect(tl, QSize(br.x() - tl.x(), br.y() - tl.y())),
                        int(std::lround(a.start * 16)), int(std::lround(a.span * 16)));
        painter.restore();
    }
}

void ShapeEdgeRoutines::DrawShape(sbType shape)
{
    const sbType real = ShapeAlias(shape);
    switch (real) {
    case sbPlus:
        DrawPlus();
        return;
    case sbMinus:
        DrawMinus();
        return;
    case sbCircle:
        DrawCircle();
        return;
    case sbUpTrapezoid:
        DrawTrapez(1);
        return;
    case sbDnTrapezoid:
        DrawTrapez(2);
        return;
    case sbLTrapezoid:
        DrawTrapez(4);
        return;
    case sbRTrapezoid:
        DrawTrapez(3);
        return;
    case sbRectangle:
    case sbOwnerDraw:
        DrawRectAngle();
        return;
    default:
        DrawTriangle(static_cast<unsigned char>(
            real >= sbUpLTriangle ? real - sbUpLTriangle + 9 : real - sbUpTriangle + 1));
        return;
    }
}

void ShapeEdgeRoutines::DrawRectAngle()
{
    const QSize size = EdgeSize();
    DrawEdge(RectangleStrokes(size.width(), size.height()));
}

void ShapeEdgeRoutines::DrawTriangle(unsigned char code)
{
    const QSize size = EdgeSize();
    DrawEdge(TriangleStrokes(code, size.width(), size.height(), EdgeVariant()));
}

void ShapeEdgeRoutines::DrawTrapez(unsigned char code)
{
    const QSize size = EdgeSize();
    DrawEdge(TrapezStrokes(code, size.width(), size.height(), EdgeVariant()));
}

void ShapeEdgeRoutines::DrawCircle()
{
    const QSize size = EdgeSize();
    DrawEdge(CircleStrokes(size.width(), size.height()));
}

void ShapeEdgeRoutines::DrawPlus()
{
    const QSize size = EdgeSize();
    DrawEdge(PlusStrokes(size.width(), size.height(), EdgeVariant()));
}

void ShapeEdgeRoutines::DrawMinus()
{
    const QSize size = EdgeSize();
    DrawEdge(MinusStrokes(size.width(), size.height(), EdgeVariant()));
}

} // namespace widgets
