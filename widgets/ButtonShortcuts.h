// The keys a button takes from its window: the accelerator of its caption
// ("&x" gives Alt+X) and, for dialog buttons, Return and Escape.
//
// Thread contract: main thread only, with its widget.
#pragma once

#include <QString>

class QEvent;
class QWidget;

namespace widgets {

class ButtonShortcuts
{
public:
    explicit ButtonShortcuts(QWidget *owner) : m_owner(owner) {}
    ButtonShortcuts(const ButtonShortcuts &) = delete;
    ButtonShortcuts &operator=(const ButtonShortcuts &) = delete;

    // The accelerator follows the caption; "&&" is a plain "&".
    void SetCaption(const QString &caption);
    // Return and Enter while `returnKey`, Escape while `escapeKey`.
    void SetDialogKeys(bool returnKey, bool escapeKey);

    enum Hit { None, Accelerator, Return, Escape };
    // Which of ours a shortcut event is.
    Hit Match(const QEvent *e) const;

private:
    QWidget *m_owner;
    int m_accel = 0;
    int m_return = 0;
    int m_enter = 0;
    int m_escape = 0;
};

} // namespace widgets
