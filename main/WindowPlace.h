// Where a window that comes back to a stored place goes on the screen.
// Plain geometry; no window is touched.
#pragma once

#include <QPoint>
#include <QRect>

// The corner for a window put back at `window`: its own while that corner,
// where its title bar starts, lies on `available`; else the least move that
// puts the window inside `available`, a window larger than that keeping its
// left or top edge on it.
QPoint PlaceOnScreen(const QRect &window, const QRect &available);
