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

// Opens `menu` (if any) at the pointer. A flat button is drawn unhovered
// while it is open: `unhover` runs first and `recheck` once the menu has
// gone (for as long as `button` lives), to find the pointer again.
void OpenButtonMenu(QWidget *button, QMenu *menu, bool flat = false,
                    const std::function<void()> &unhover = {},
                    const std::function<void()> &recheck = {});

// A button's context menu event: the mouse's was the right button's release
// and is swallowed, the keyboard's opens `menu`; without a menu the parent's
// menu, if any, is asked.
void ButtonContextMenu(QWidget *button, QMenu *menu, QContextMenuEvent *e);

} // namespace widgets
