#include "widgets/ButtonShortcuts.h"

#include <QApplication>
#include <QDialog>
#include <QKeySequence>
#include <QPointer>
#include <QShortcutEvent>
#include <QWidget>

namespace widgets {

FormFocusWatch::FormFocusWatch(QWidget *button, std::function<void(QWidget *)> changed)
{
    m_connection =
        QObject::connect(qApp, &QApplication::focusChanged, button,
                         [button, changed = std::move(changed)](QWidget *, QWidget *now) {
                             if (now && now->window() == button->window())
                                 changed(now);
                         });
}

FormFocusWatch::~FormFocusWatch()
{
    QObject::disconnect(m_connection);
}

void ButtonShortcuts::SetCaption(const QString &caption)
{
    if (m_accel != 0)
        m_owner->releaseShortcut(m_accel);
    m_accel = 0;
    const QKeySequence accel = QKeySequence::mnemonic(caption);
    if (!accel.isEmpty())
        m_accel = m_owner->grabShortcut(accel);
}

void ButtonShortcuts::SetDialogKeys(bool returnKey, bool escapeKey)
{
    if (returnKey && m_return == 0) {
        m_return = m_owner->grabShortcut(QKeySequence(Qt::Key_Return));
        m_enter = m_owner->grabShortcut(QKeySequence(Qt::Key_Enter));
    } else if (!returnKey && m_return != 0) {
        m_owner->releaseShortcut(m_return);
        m_owner->releaseShortcut(m_enter);
        m_return = m_enter = 0;
    }
    if (escapeKey && m_escape == 0) {
        m_escape = m_owner->grabShortcut(QKeySequence(Qt::Key_Escape));
    } else if (!escapeKey && m_escape != 0) {
        m_owner->releaseShortcut(m_escape);
        m_escape = 0;
    }
}

ButtonShortcuts::Hit ButtonShortcuts::Match(const QEvent *e) const
{
    if (e->type() != QEvent::Shortcut)
        return None;
    const int id = static_cast<const QShortcutEvent *>(e)->shortcutId();
    if (id == 0)
        return None;
    if (id == m_accel)
        return Accelerator;
    if (id == m_return || id == m_enter)
        return Return;
    if (id == m_escape)
        return Escape;
    return None;
}

void ClickInDialog(QWidget *button, int modalResult, const std::function<void()> &onClick)
{
    QPointer<QDialog> dialog = qobject_cast<QDialog *>(button->window());
    if (dialog)
        dialog->setResult(modalResult);
    onClick();
    if (dialog && dialog->isModal() && dialog->isVisible() && dialog->result() != 0)
        dialog->done(dialog->result());
}

} // namespace widgets
