#include "widgets/ButtonShortcuts.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QHash>
#include <QKeyEvent>
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QShortcutEvent>
#include <QTextEdit>
#include <QWidget>

#include <algorithm>

namespace widgets {

namespace {

// The keys of every control that has them, by control: a key several
// controls share is handed to the first of them in tab order.
QHash<const QWidget *, const ButtonShortcuts *> &Holders()
{
    static QHash<const QWidget *, const ButtonShortcuts *> holders;
    return holders;
}

// Whether letters typed alone may act: the focus is on a control of
// `owner`'s window, that window is the active one (Qt keeps a window's
// shortcuts live while a tool window it owns is active), and the control
// takes no characters.
bool PlainLettersAct(const QWidget *owner)
{
    const QWidget *focus = QApplication::focusWidget();
    const QWidget *window = owner->window();
    return focus && focus->window() == window && QApplication::activeWindow() == window &&
           !TakesCharacters(focus);
}

// Whether `bar`, where Qt's shortcuts reach it (shown and enabled), holds
// `keys` for a menu it shows and can open, as Alt and its letter. Qt keeps
// the letter of a hidden or disabled menu too, which then opens nothing.
bool BarHolds(const QMenuBar *bar, const QKeySequence &keys)
{
    const QList<QAction *> menus = bar->actions();
    return bar->isVisible() && bar->isEnabled() &&
           std::any_of(menus.begin(), menus.end(), [&](const QAction *menu) {
               return menu->isVisible() && menu->isEnabled() &&
                      (!menu->menu() || menu->menu()->isEnabled()) &&
                      QKeySequence::mnemonic(menu->text()) == keys;
           });
}

// Whether a menu bar of `window` holds `keys` as BarHolds tells.
bool MenuBarHolds(const QWidget *window, const QKeySequence &keys)
{
    const QList<QMenuBar *> bars = window->findChildren<QMenuBar *>();
    return std::any_of(bars.begin(), bars.end(), [&](const QMenuBar *bar) {
        return bar->window() == window && BarHolds(bar, keys);
    });
}

} // namespace

// A form's menu bar answers Alt and the letter of a menu before any control;
// Qt would take turns between the menu bar and a button holding the same
// keys. Qt asks the focus about each key before it looks its shortcuts up,
// so the buttons holding it stand aside here, for that key alone. A menu bar
// belongs to its own window, and a letter it holds for a menu that cannot
// open is no menu's: Qt's turn for the menu bar goes to the button then.
class MenuBarFirst : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (e->type() == QEvent::Shortcut)
            return ToButton(qobject_cast<QMenuBar *>(watched), static_cast<QShortcutEvent *>(e));
        if (e->type() != QEvent::ShortcutOverride)
            return false;
        const auto *k = static_cast<const QKeyEvent *>(e);
        if (k->modifiers() & Qt::AltModifier) {
            const QKeySequence keys(k->keyCombination());
            for (const ButtonShortcuts *holder : std::as_const(Holders()))
                holder->YieldToMenuBar(keys);
        }
        return false;
    }

private:
    // Hands Qt's turn for `bar` among the holders of a key to the first
    // control holding it in the window with the keyboard, when that is a
    // tool window of the bar's, or in the bar's window when the bar has no
    // menu of it to open; false when the bar keeps it.
    static bool ToButton(const QMenuBar *bar, const QShortcutEvent *e)
    {
        if (!bar || !e->isAmbiguous())
            return false;
        std::vector<QWidget *> windows;
        if (QWidget *active = QApplication::activeWindow(); active && active != bar->window())
            windows.push_back(active);
        if (!BarHolds(bar, e->key()))
            windows.push_back(bar->window());
        for (QWidget *window : windows)
            if (const ButtonShortcuts *holder = ButtonShortcuts::FirstHolder(window, e->key())) {
                holder->Answer(e->key());
                return true;
            }
        return false;
    }
};

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
// the key press goes to the button and no window shortcut fires; hands an
// accelerator several controls share to the first of them; and brings the
// plain accelerator in line with the focus once the button is readied for
// showing or moves to another window.
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
        case QEvent::Shortcut:
            return m_keys.HandOver(e);
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
    Holders().insert(m_owner, this);
    static QPointer<MenuBarFirst> menuBarFirst;
    if (!menuBarFirst) {
        menuBarFirst = new MenuBarFirst(qApp);
        qApp->installEventFilter(menuBarFirst);
    }
    // Every move of the focus, to a control of this window or of another,
    // decides whether the letters typed go to the control or may click.
    m_focusConnection =
        QObject::connect(qApp, &QApplication::focusChanged, m_owner, [this] { FollowFocus(); });
}

// Disconnected here, before QWidget's own destructor moves the focus.
ButtonShortcuts::~ButtonShortcuts()
{
    QObject::disconnect(m_focusConnection);
    Holders().remove(m_owner);
}

void ButtonShortcuts::Grab(std::vector<Grabbed> &grabbed, int modifiers)
{
    const auto grab = [&](int keys) {
        const QKeySequence sequence(keys);
        grabbed.push_back({m_owner->grabShortcut(sequence), sequence});
    };
    grab(m_accelKey | modifiers);
    // A letter answers typed in either case: the key of a letter with two
    // cases is its capital, which Shift types; that of "ä" is "Ä".
    const auto key = char32_t(m_accelKey);
    if (key <= QChar::LastValidCodePoint && QChar::isLetter(key) && QChar::toLower(key) != key)
        grab(m_accelKey | modifiers | Qt::SHIFT);
}

void ButtonShortcuts::Release(std::vector<Grabbed> &grabbed)
{
    for (const Grabbed &g : grabbed)
        m_owner->releaseShortcut(g.id);
    grabbed.clear();
}

int ButtonShortcuts::AcceleratorId(const QKeySequence &keys) const
{
    for (const auto *grabbed : {&m_accel, &m_plain})
        for (const Grabbed &g : *grabbed)
            if (g.keys == keys)
                return g.id;
    return 0;
}

bool ButtonShortcuts::HandOver(const QEvent *e) const
{
    const auto *shortcut = static_cast<const QShortcutEvent *>(e);
    if (!shortcut->isAmbiguous() || AcceleratorId(shortcut->key()) != shortcut->shortcutId())
        return false;
    // Qt rotates among the holders of one key; the dialog character goes to
    // the controls in order and the first that can answer takes it. The
    // active window is asked first: a tool window's own controls come before
    // those of the window that owns it.
    const QKeySequence keys = shortcut->key();
    std::vector<QWidget *> windows{m_owner->window()};
    if (QWidget *active = QApplication::activeWindow(); active && active != windows.front())
        windows.insert(windows.begin(), active);
    for (QWidget *window : windows) {
        if (const ButtonShortcuts *holder = FirstHolder(window, keys)) {
            if (holder == this)
                return false;
            holder->Answer(keys);
            return true;
        }
    }
    return false;
}

const ButtonShortcuts *ButtonShortcuts::FirstHolder(QWidget *window, const QKeySequence &keys)
{
    QWidget *w = window;
    do {
        const ButtonShortcuts *holder = Holders().value(w);
        if (holder && holder->AcceleratorId(keys) != 0 && w->window() == window &&
            w->isVisible() && w->isEnabled())
            return holder;
        w = w->nextInFocusChain();
    } while (w != window);
    return nullptr;
}

void ButtonShortcuts::Answer(const QKeySequence &keys) const
{
    QShortcutEvent handed(keys, AcceleratorId(keys), false);
    QCoreApplication::sendEvent(m_owner, &handed);
}

void ButtonShortcuts::YieldToMenuBar(const QKeySequence &keys) const
{
    for (const Grabbed &g : m_accel)
        if (g.keys == keys)
            m_owner->setShortcutEnabled(g.id, !MenuBarHolds(m_owner->window(), keys));
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
    SetPlainAccelerator(PlainLettersAct(m_owner));
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
    const auto isId = [id](const Grabbed &g) { return g.id == id; };
    if (std::any_of(m_accel.begin(), m_accel.end(), isId) ||
        std::any_of(m_plain.begin(), m_plain.end(), isId))
        return Accelerator;
    if (id == m_return || id == m_enter)
        return Return;
    if (id == m_escape)
        return Escape;
    return None;
}

bool TakesCharacters(const QWidget *w)
{
    // A read-only edit counts too: letters typed there are not meant to click.
    // A menu bar has the focus only while Alt has handed it the keyboard, and
    // then the letters typed pick its menus.
    return w->testAttribute(Qt::WA_InputMethodEnabled) || qobject_cast<const QLineEdit *>(w) ||
           qobject_cast<const QTextEdit *>(w) || qobject_cast<const QPlainTextEdit *>(w) ||
           qobject_cast<const QAbstractSpinBox *>(w) || qobject_cast<const QComboBox *>(w) ||
           qobject_cast<const QAbstractItemView *>(w) ||
           qobject_cast<const QKeySequenceEdit *>(w) || qobject_cast<const QMenuBar *>(w);
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
