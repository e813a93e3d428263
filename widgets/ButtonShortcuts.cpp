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

#include <algorithm>

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

// Accepts the shortcut override of a Return or Enter its button claims, so
// the key press goes to the button and no window shortcut fires; and brings
// the plain accelerator in line with the focus once the button is readied
// for showing or moves to another window.
class ButtonKeyWatch : public QObject
{
public:
    explicit ButtonKeyWatch(ButtonShortcuts &keys) : m_keys(keys) {}

    bool eventFilter(QObject *, QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::Polish:
        case QEvent::ParentChange:
        case QEvent::Show:
            m_keys.FollowFocus();
            return false;
        default:
            break;
        }
        if (!m_keys.ClaimsReturn(e))
            return false;
        e->accept();
        return true;
    }

private:
    ButtonShortcuts &m_keys;
};

ButtonShortcuts::ButtonShortcuts(QWidget *owner)
    : m_owner(owner), m_watch(std::make_unique<ButtonKeyWatch>(*this))
{
    m_owner->installEventFilter(m_watch.get());
    // Every control of the window that takes the focus decides whether the
    // letters typed go to it or may click.
    m_focusConnection = QObject::connect(qApp, &QApplication::focusChanged, m_owner,
                                         [this](QWidget *, QWidget *now) {
                                             if (now && now->window() == m_owner->window())
                                                 SetPlainAccelerator(IsButton(now));
                                         });
}

// Disconnected here, before QWidget's own destructor moves the focus.
ButtonShortcuts::~ButtonShortcuts()
{
    QObject::disconnect(m_focusConnection);
}

void ButtonShortcuts::Grab(std::vector<int> &ids, int modifiers)
{
    ids.push_back(m_owner->grabShortcut(QKeySequence(m_accelKey | modifiers)));
    // A letter answers typed in either case: the key of a letter with two
    // cases is its capital, which Shift types; that of "ä" is "Ä".
    const auto key = char32_t(m_accelKey);
    if (key <= QChar::LastValidCodePoint && QChar::isLetter(key) && QChar::toLower(key) != key)
        ids.push_back(m_owner->grabShortcut(QKeySequence(m_accelKey | modifiers | Qt::SHIFT)));
}

void ButtonShortcuts::Release(std::vector<int> &ids)
{
    for (const int id : ids)
        m_owner->releaseShortcut(id);
    ids.clear();
}

void ButtonShortcuts::SetCaption(const QString &caption)
{
    Release(m_accel);
    Release(m_plain);
    m_accelKey = 0;
    const QKeySequence accel = QKeySequence::mnemonic(caption);
    if (!accel.isEmpty()) {
        m_accelKey = int(accel[0].key());
        Grab(m_accel, Qt::ALT);
        if (m_plainOn)
            Grab(m_plain, 0);
    }
}

void ButtonShortcuts::FollowFocus()
{
    SetPlainAccelerator(IsButton(m_owner->window()->focusWidget()));
}

void ButtonShortcuts::SetPlainAccelerator(bool on)
{
    if (on == m_plainOn)
        return;
    m_plainOn = on;
    Release(m_plain);
    if (m_plainOn && m_accelKey != 0)
        Grab(m_plain, 0);
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
    if (std::find(m_accel.begin(), m_accel.end(), id) != m_accel.end() ||
        std::find(m_plain.begin(), m_plain.end(), id) != m_plain.end())
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
