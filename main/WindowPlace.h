// Where a window that comes back to a stored place goes on the screen.
// Plain geometry; no window is touched.
#pragma once

#include <QPoint>
#include <QRect>

// How much of a title bar's width must lie on the screen for the user to
// take hold of it beside its buttons.
inline constexpr int TitleBarGrip = 160;

// The corner for a window whose frame (title bar and borders counted) is put
// back at `frame`, its title bar the top `titleBar` pixels of it: its own
// while that corner lies on `available` and the user can grab the title bar
// there (all of its height and TitleBarGrip of its width, or all of a
// narrower one, on `available`); else the least move that puts the whole
// frame inside `available`, a frame larger than that keeping its left or
// top edge on it.
QPoint PlaceOnScreen(const QRect &frame, int titleBar, const QRect &available);
