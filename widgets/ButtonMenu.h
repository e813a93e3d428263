// The popup menu of a push button: it opens where a right click is let go,
// or in the button's middle from the keyboard's menu key.
//
// Thread contract: main thread only, with its widget.
#pragma once

#include <functional>

class QContextMenuEvent;
class QMenu;
class QWidget;

namespace widgets {

// Opens `menu` (if any) at the pointer; `closed`, when given, runs once the
// menu has gone, for as long as `button` lives.
void OpenButtonMenu(QWidget *button, QMenu *menu, const std::function<void()> &closed = {});

// A button's context menu event: the mouse's was the right button's release
// and is swallowed, the keyboard's opens `menu`; without a menu the parent's
// menu, if any, is asked.
void ButtonContextMenu(QWidget *button, QMenu *menu, QContextMenuEvent *e);

} // namespace widgets
