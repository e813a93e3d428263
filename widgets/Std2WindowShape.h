// The shape of a window as the window system shows it. A widget inside a
// window is shaped by Qt alone; a window on an X server is shaped by the
// server, which takes a shape's rectangles in requests of a bounded size:
// Qt sends a window's mask in one request, and a shape of more rectangles
// than one request holds comes out empty there. Such a shape is sent here in
// parts instead, and Qt is left without a mask for that window.
//
// Thread contract: main thread only, like the widgets they shape; the two
// plain functions at the end for any thread.
#pragma once

#include <QRect>
#include <QRegion>

#include <cstdint>
#include <vector>

class QWidget;

namespace widgets {

// Shapes `widget` with `shape` (none when empty), as QWidget::setMask does,
// for every shape a region holds and on every platform: a window on an X
// server whose shape needs more than one request keeps it through hiding,
// showing and a new native window, until the next call. Where the widget is
// a window on an X server, however it became one, a shape of more than
// MaxServerWindowShapeRects rectangles is not sent: the window shows whole,
// and WindowMask still gives the shape.
void SetWindowMask(QWidget &widget, const QRegion &shape);
// The shape last given to SetWindowMask (or QWidget::setMask).
QRegion WindowMask(const QWidget &widget);

// The most rectangles a window's shape has where an X server shows the
// window. A window manager frames such a window, and the server fills what
// the shape uncovers at a cost that grows with the square of the shape's
// rectangles, answering no client meanwhile: 8192 on the screen took up to
// a third of a second on two busy processors, 12288 up to 0.7 s, 32000 up
// to 2.7 s on a quiet machine, and 2^18 ended the server. A native window
// inside another gets no frame and takes any shape quickly.
constexpr int MaxServerWindowShapeRects = 8192;
// Whether `widget` may take `shape` as its window shape: false only for a
// window (not a control inside one) on an X server and a shape of more than
// MaxServerWindowShapeRects rectangles.
bool ServerTakesShape(const QWidget &widget, const QRegion &shape);
// Whether a window may take `shape`: false only on an X server and for a
// shape of more than MaxServerWindowShapeRects rectangles.
bool ServerTakesWindowShape(const QRegion &shape);

// The rectangles of `shape` in a window's device pixels (each scaled by
// `scale` as Qt scales a mask), cut to the part an X window can show: its
// coordinates have 16 bits and no window is wider or higher than 32767.
std::vector<QRect> NativeShapeRects(const QRegion &shape, qreal scale);
// How many rectangles one SHAPE rectangles request holds on a server whose
// largest request is `maxRequestUnits` units of four bytes (65535 without
// BIG-REQUESTS: 32765 rectangles after the request's 16 bytes).
int ShapeRectsPerRequest(std::uint32_t maxRequestUnits);

} // namespace widgets
