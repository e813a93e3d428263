// What makes a button repaint: a setter that stores a shown value, only
// when the value changes, and the changes of state its face shows.
//
// Thread contract: main thread only, with its widget.
#pragma once

#include <QEvent>
#include <QWidget>

namespace widgets {

// True when `field` took the new value (and `widget` will repaint).
template <class T> bool SetShown(QWidget *widget, T &field, const T &value)
{
    if (field == value)
        return false;
    field = value;
    widget->update();
    return true;
}

// The enabled state, the font or the palette changed: the face shows them.
inline bool ChangesFace(const QEvent *e)
{
    switch (e->type()) {
    case QEvent::EnabledChange:
    case QEvent::FontChange:
    case QEvent::PaletteChange:
        return true;
    default:
        return false;
    }
}

} // namespace widgets
