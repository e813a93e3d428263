#include "widgets/ButtonShortcuts.h"

#include "widgets/ButtonEvents.h"
#include "widgets/Std2BitmapButtons.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
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

namespace {

// Accepts the shortcut override of a Return or Enter its button claims, so
// the key press goes to the button and no window shortcut fires.
class ReturnClaim : public QObject
{
public:
    explicit ReturnClaim(const ButtonShortcuts &keys) : m_keys(keys) {}

    bool eventFilter(QObject *, QEvent *e) override
    {
        if (!m_keys.ClaimsReturn(e))
            return false;
        e->accept();
        return true;
    }

private:
    const ButtonShortcuts &m_keys;
};

} // namespace

ButtonShortcuts::ButtonShortcuts(QWidget *owner)
    : m_owner(owner), m_returnClaim(std::make_unique<ReturnClaim>(*this))
{
    m_owner->installEventFilter(m_returnClaim.get());
}

ButtonShortcuts::~ButtonShortcuts() = default;

void ButtonShortcuts::SetCaption(const QString &caption)
{
    if (m_accel != 0)
        m_owner->releaseShortcut(m_accel);
    m_accel = 0;
    m_accelKey = 0;
    const QKeySequence accel = QKeySequence::mnemonic(caption);
    if (!accel.isEmpty()) {
        m_accel = m_owner->grabShortcut(accel);
        m_accelKey = int(accel[0].key());
    }
    UpdatePlain();
}

void ButtonShortcuts::SetPlainAccelerator(bool on)
{
    if (on == m_plainOn)
        return;
    m_plainOn = on;
    UpdatePlain();
}

void ButtonShortcuts::UpdatePlain()
{
    if (m_plain != 0)
        m_owner->releaseShortcut(m_plain);
    m_plain = 0;
    if (m_plainOn && m_accelKey != 0)
        m_plain = m_owner->grabShortcut(QKeySequence(m_accelKey));
}

bool ButtonShortcuts::ClaimsReturn(const QEvent *e) const
{
    if (!m_dialogButton || e->type() != QEvent::ShortcutOverride)
        return false;
    const auto *k = static_cast<const QKeyEvent *>(e);
    if (k->key() != Qt::Key_Return && k->key() != Qt::Key_Enter)
        return false;
    if ((k->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    return m_owner->hasFocus() && m_owner->isVisible() && m_owner->isEnabled();
}

void ButtonShortcuts::SetDialogKeys(bool returnKey, bool escapeKey)
{
    m_dialogButton = true;
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
    if (id == m_accel || id == m_plain)
        return Accelerator;
    if (id == m_return || id == m_enter)
        return Return;
    if (id == m_escape)
        return Escape;
    return None;
}

bool IsButton(const QWidget *w)
{
    return qobject_cast<const QAbstractButton *>(w) != nullptr ||
           qobject_cast<const PushButtonBase *>(w) != nullptr ||
           qobject_cast<const TzcFancyBase *>(w) != nullptr;
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
