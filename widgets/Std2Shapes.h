// The 30 button shapes of the shape buttons: the clickable region of each
// shape and the strokes of its two-pixel edge, as plain data, with adapters
// to QRegion, painter paths and the canvas. Two variants: the windowed Std2
// shape button (regions over the full size, thirds rounded up) and the
// windowless zAnimate shape button (regions one pixel smaller, thirds
// rounded down).
//
// Thread contract: pure functions over values, any thread; the canvas
// adapter as the canvas allows.
#pragma once

#include "widgets/Canvas.h"

#include <QPoint>
#include <QSize>

#include <cstdint>
#include <functional>
#include <vector>

class QObject;
class QPainterPath;
class QRegion;

enum sbType : std::uint8_t {
    sbRectangle = 0,
    sbUpTriangle,
    sbDnTriangle,
    sbLTriangle,
    sbRTriangle,
    sbTLTriangle,
    sbTRTriangle,
    sbBLTriangle,
    sbBRTriangle,
    sbPlus,
    sbMinus,
    sbCircle,
    sbUpTrapezoid,
    sbDnTrapezoid,
    sbLTrapezoid,
    sbRTrapezoid,
    sbOwnerDraw,
    sbUpLTriangle,
    sbUpRTriangle,
    sbDnRTriangle,
    sbDnLTriangle,
    // Compass directions in degrees, 0 up and clockwise: aliases only.
    sb000,
    sb045,
    sb090,
    sb135,
    sb180,
    sb225,
    sb270,
    sb315,
    sb360,
};
inline constexpr int sbTypeCount = 30;

// Region source of an owner-drawn shape: fills `region` (given cleared) for
// a control of width x height; an empty result means the rectangle.
using TsbGetRegEvent =
    std::function<void(QObject *sender, QRegion &region, int width, int height)>;
// Painter of an owner-drawn windowed shape button; draws everything.
using TsbShapeDrawEvent =
    std::function<void(QObject *sender, widgets::TCanvas &canvas, bool down, int width,
                       int height, vcl::TColor shadow, vcl::TColor highlight)>;
// As TsbShapeDrawEvent, with the button's region too (windowless button).
using TsbDrawEvent =
    std::function<void(QObject *sender, widgets::TCanvas &canvas, bool down, int width,
                       int height, const QRegion &region, vcl::TColor shadow,
                       vcl::TColor highlight)>;

namespace widgets {

// Which shape button's arithmetic applies.
enum class ShapeVariant : std::uint8_t { Windowed, Windowless };

// The shape a compass alias stands for; other shapes unchanged.
sbType ShapeAlias(sbType shape);

struct ShapeRegionSpec
{
    enum Kind : std::uint8_t { Rectangle, Polygon, Rectangles, Ellipse, OwnerDraw };
    Kind kind = Rectangle;
    // Polygon corners, filled by the odd-even rule.
    std::vector<QPoint> points;
    // Rectangle / Ellipse box: one entry; Rectangles: their union; OwnerDraw:
    // the rectangle used when the owner gives none.
    std::vector<TRect> rects;

    friend bool operator==(const ShapeRegionSpec &, const ShapeRegionSpec &) = default;
};

// The region of a control `width` x `height` in the given shape.
ShapeRegionSpec ShapeRegion(sbType shape, int width, int height, ShapeVariant variant);

// S, L and D of the edge: shadow always; highlight up and black down; black
// up and highlight down.
enum class ShapeRole : std::uint8_t { Shadow, Light, Dark };

// A polyline (its last point not drawn) or, when `arc`, the elliptic arc of
// the box (points[0], points[1]) counter-clockwise from the radial through
// points[2] to the radial through points[3].
struct ShapeStroke
{
    ShapeRole role = ShapeRole::Shadow;
    bool arc = false;
    std::vector<QPoint> points;

    friend bool operator==(const ShapeStroke &, const ShapeStroke &) = default;
};
using ShapeStrokes = std::vector<ShapeStroke>;

// The edge routines, in drawing order, for a control `width` x `height`.
ShapeStrokes RectangleStrokes(int width, int height);
ShapeStrokes TriangleStrokes(int code, int width, int height, ShapeVariant variant); // 1..12
ShapeStrokes TrapezStrokes(int code, int width, int height, ShapeVariant variant);   // 1..4
ShapeStrokes CircleStrokes(int width, int height);
ShapeStrokes PlusStrokes(int width, int height, ShapeVariant variant);
ShapeStrokes MinusStrokes(int width, int height, ShapeVariant variant);
// The edge of a shape; the owner-drawn shape gets the rectangle's.
ShapeStrokes EdgeStrokes(sbType shape, int width, int height, ShapeVariant variant);

// Start angle and counter-clockwise span in degrees, as QPainter::drawArc
// takes them (parametric angles on the ellipse); a span of 360 when both
// radials coincide, which draws the whole ellipse.
struct ArcAngles
{
    double start = 0;
    double span = 0;
};
ArcAngles ArcStrokeAngles(const ShapeStroke &arc);

QRegion ToQRegion(const ShapeRegionSpec &outline);
// The pixels that the outer ring of a circle's edge covers or encloses, as
// DrawShapeStrokes draws it on a control width x height; empty when the
// ring encloses no middle (a control a few pixels small).
QRegion CircleRingRegion(int width, int height);
// The region of a button: for sbOwnerDraw the handler's region, or the
// fallback rectangle when there is no handler or it leaves the region empty.
// The handler gets the control's full size in both variants. The windowed
// circle takes its ring's region, which lines up with the edge drawn.
QRegion ShapeQRegion(sbType shape, int width, int height, ShapeVariant variant,
                     const TsbGetRegEvent &onGetRegion, QObject *sender);
// The stroke as a painter path, for outlines and hit tests of the edge.
QPainterPath ToPainterPath(const ShapeStroke &stroke);

// Draws the strokes in their roles' colours with a one-pixel pen.
void DrawShapeStrokes(TCanvas &canvas, const ShapeStrokes &strokes, bool down, TColor shadow,
                      TColor highlight);

// The edge routines of a shape button, one per family of shapes; the button
// paints face, caption layer and the routine's strokes in DrawEdge.
class ShapeEdgeRoutines
{
protected:
    virtual ~ShapeEdgeRoutines() = default;
    // The routine of `shape`; the owner-drawn shape gets the rectangle.
    void DrawShape(sbType shape);
    void DrawRectAngle();
    void DrawTriangle(unsigned char code);
    void DrawTrapez(unsigned char code);
    void DrawCircle();
    void DrawPlus();
    void DrawMinus();

    virtual void DrawEdge(const ShapeStrokes &strokes) = 0;
    // The control's width and height and whose arithmetic applies.
    virtual QSize EdgeSize() const = 0;
    virtual ShapeVariant EdgeVariant() const = 0;
};

} // namespace widgets
