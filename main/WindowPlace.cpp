#include "main/WindowPlace.h"

#include <algorithm>

namespace {

int Clamp(int at, int length, int from, int room)
{
    // The far edge first, so that a window larger than the room keeps its near edge on it.
    return std::max(from, std::min(at, from + room - length));
}

} // namespace

QPoint PlaceOnScreen(const QRect &window, const QRect &available)
{
    if (!available.isValid() || available.contains(window.topLeft()))
        return window.topLeft();
    return {Clamp(window.x(), window.width(), available.x(), available.width()),
            Clamp(window.y(), window.height(), available.y(), available.height())};
}
