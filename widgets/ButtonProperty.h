// The setter step the buttons share: store a shown value and schedule a
// repaint, only when the value changes.
//
// Thread contract: main thread only, with its widget.
#pragma once

#include <QWidget>

namespace widgets {

// True when `field` took the new value (and `widget` will repaint).
template <class T>
bool SetShown(QWidget *widget, T &field, const T &value)
{
    if (field == value)
        return false;
    field = value;
    widget->update();
    return true;
}

} // namespace widgets
