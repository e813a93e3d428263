#include "widgets/ButtonMenu.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QWidget>

namespace widgets {

void OpenButtonMenu(QWidget *button, QMenu *menu, const std::function<void()> &closed)
{
    if (!menu)
        return;
    if (closed)
        QObject::connect(menu, &QMenu::aboutToHide, button, closed, Qt::SingleShotConnection);
    menu->popup(QCursor::pos());
}

void ButtonContextMenu(QWidget *button, QMenu *menu, QContextMenuEvent *e)
{
    if (!menu) {
        e->ignore();
        return;
    }
    if (e->reason() != QContextMenuEvent::Mouse)
        menu->popup(button->mapToGlobal(QPoint(button->width() / 2, button->height() / 2)));
}

} // namespace widgets
