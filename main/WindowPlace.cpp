#include "main/WindowPlace.h"

#include <algorithm>

namespace {

int Clamp(int at, int length, int from, int room)
{
    // The far edge first, so that a window larger than the room keeps its near edge on it.
    return std::max(from, std::min(at, from + room - length));
}

bool TitleBarGrabbable(const QRect &frame, int titleBar, const QRect &available)
{
    if (!available.contains(frame.topLeft()))
        return false;
    // The part of the title bar on the screen starts at the corner.
    const int wide = std::min(available.x() + available.width() - frame.x(), frame.width());
    const int high = available.y() + available.height() - frame.y();
    return high >= titleBar && wide >= std::min(frame.width(), TitleBarGrip);
}

} // namespace

QPoint PlaceOnScreen(const QRect &frame, int titleBar, const QRect &available)
{
    if (!available.isValid() || TitleBarGrabbable(frame, titleBar, available))
        return frame.topLeft();
    return {Clamp(frame.x(), frame.width(), available.x(), available.width()),
            Clamp(frame.y(), frame.height(), available.y(), available.height())};
}
