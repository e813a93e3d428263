#include "widgets/ButtonMenu.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QWidget>

namespace widgets {

void OpenButtonMenu(QWidget *button, QMenu *menu, bool flat, const std::function<void()> &unhover,
                    const std::function<void()> &recheck)
{
    if (!menu)
        return;
    if (flat) {
        if (unhover)
            unhover();
        if (recheck)
            QObject::connect(menu, &QMenu::aboutToHide, button, recheck,
                             Qt::SingleShotConnection);
    }
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
