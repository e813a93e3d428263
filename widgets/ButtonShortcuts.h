// The keys a button takes from its window: the accelerator of its caption
// ("&x" gives Alt+X, and X alone while the focus is on a control of the
// button's own, active window that takes no characters) and, for dialog
// buttons, Return and Escape; and what a dialog button's click hands to its
// dialog.
//
// Thread contract: main thread only, with its widget.
#pragma once

#include <QKeySequence>
#include <QMetaObject>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QEvent;
class QWidget;

namespace widgets {

// A dialog button (one that sets its dialog keys) clicks on Return itself
// while focused, so it claims Return and Enter before the window's
// shortcuts: another kind of button holding them as the default button
// gets them only when the focus is elsewhere.
class ButtonShortcuts
{
public:
    explicit ButtonShortcuts(QWidget *owner);
    ~ButtonShortcuts();
    ButtonShortcuts(const ButtonShortcuts &) = delete;
    ButtonShortcuts &operator=(const ButtonShortcuts &) = delete;

    // The accelerator follows the caption; "&&" is a plain "&". A letter
    // answers in either case (Shift or not). With Alt it acts wherever the
    // focus is; without, only while the owner's window is the active one and
    // its focus is on a control that takes no characters (typing into a text
    // field, a list or a combo box of any window stays typing). A key that
    // several controls hold answers in the first of them in the window's tab
    // order that is shown and enabled, every time; Alt and the letter of a
    // menu of the window's shown menu bar open that menu, every time, unless
    // the menu cannot open (hidden or disabled): then the control answers.
    // In a tool window, the tool window's controls answer before the menu
    // bar of the window that owns it.
    void SetCaption(const QString &caption);
    // Return and Enter while `returnKey`, Escape while `escapeKey`.
    void SetDialogKeys(bool returnKey, bool escapeKey);
    // Whether the focused owner takes this Return or Enter itself.
    bool ClaimsReturn(const QEvent *e) const;

    enum Hit { None, Accelerator, Return, Escape };
    // Which of ours a shortcut event is.
    Hit Match(const QEvent *e) const;
    // Whether a dialog key is the button's own: Return while it is the
    // active button, Escape while it is the cancel button.
    static bool OwnDialogKey(Hit hit, bool active, bool cancel)
    {
        return (hit == Return && active) || (hit == Escape && cancel);
    }

private:
    friend class ButtonKeyWatch;
    friend class MenuBarFirst;
    struct Grabbed
    {
        int id;
        QKeySequence keys;
    };
    // Follows the application's focus, as it is now.
    void FollowFocus();
    void SetPlainAccelerator(bool on);
    void Grab(std::vector<Grabbed> &grabbed, int modifiers);
    void Release(std::vector<Grabbed> &grabbed);
    // The id of the accelerator that is `keys`, or 0.
    int AcceleratorId(const QKeySequence &keys) const;
    // Hands an accelerator Qt found ambiguous to the first control in tab
    // order that holds it and can answer; false when that is the owner.
    bool HandOver(const QEvent *e) const;
    // The first control of `window` in tab order that holds `keys` and can
    // answer (shown and enabled); null for none.
    static const ButtonShortcuts *FirstHolder(QWidget *window, const QKeySequence &keys);
    // Acts on `keys` as their one holder.
    void Answer(const QKeySequence &keys) const;
    // Lets Alt and a letter go, as Qt is about to look `keys` up, while a
    // menu bar of the owner's window holds them for a menu.
    void YieldToMenuBar(const QKeySequence &keys) const;

    QWidget *m_owner;
    std::vector<Grabbed> m_accel; // with Alt
    int m_accelKey = 0;           // the accelerator's key, without Alt
    std::vector<Grabbed> m_plain; // without
    bool m_plainOn = false;
    bool m_dialogButton = false;
    int m_return = 0;
    int m_enter = 0;
    int m_escape = 0;
    std::unique_ptr<QObject> m_watch;
    QMetaObject::Connection m_focusConnection;
};

// Whether the focused `w` takes typed characters: edits, spin boxes, combo
// boxes (a closed one jumps to the item typed), lists and other item views,
// a menu bar (its menus' letters), and whatever accepts input-method text.
bool TakesCharacters(const QWidget *w);

// A dialog button's eye on the focus: `changed` learns every control of the
// button's window that takes the focus. It stops watching when destroyed, so
// a member of the button stops before QWidget's own destructor moves the focus.
class FormFocusWatch
{
public:
    FormFocusWatch(QWidget *button, std::function<void(QWidget *)> changed);
    ~FormFocusWatch();
    FormFocusWatch(const FormFocusWatch &) = delete;
    FormFocusWatch &operator=(const FormFocusWatch &) = delete;

private:
    QMetaObject::Connection m_connection;
};

// A dialog button's click: its window, when a dialog, takes `modalResult`
// as its result (0 too); then `onClick` runs; only after it does a non-zero
// result end a modal dialog, so the handler may still change the result.
void ClickInDialog(QWidget *button, int modalResult, const std::function<void()> &onClick);

// Whether a dialog button is the active one of its window once the focus
// has gone to `focused`: the focused button when that is a button of the
// same kind, else the default button.
template <typename Button> bool ActiveAfterFocus(const Button *self, QWidget *focused, bool isDefault)
{
    if (auto *button = qobject_cast<Button *>(focused))
        return button == self;
    return isDefault;
}

} // namespace widgets
