#pragma once

#include "platform/vcl/Dialogs.h"

#include <QCoreApplication>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace vcl {

// The user, as tests play it: records every box shown and answers from a
// script, then with the box's first button of Ok, Yes, No, Cancel. Installs
// itself while it lives and puts the previous provider back when destroyed,
// so instances nest. Main thread only, like the boxes.
class ScriptedDialogs final : public DialogProvider
{
public:
    struct Shown
    {
        QWidget *parent = nullptr;
        MsgType type = MsgType::Information;
        QString caption;
        QString text;
        MsgButtons buttons;
        MsgButton answer = MsgButton::None;
        MsgButton defaultButton = MsgButton::None; // the one Enter would press; None: the box's own
    };

    ScriptedDialogs() : m_previous(setDialogProvider(this)) {}
    ~ScriptedDialogs() override { setDialogProvider(m_previous); }
    ScriptedDialogs(const ScriptedDialogs &) = delete;
    ScriptedDialogs &operator=(const ScriptedDialogs &) = delete;

    // Queues the answer to the next box not yet answered.
    void answer(MsgButton button) { m_script.push_back(button); }

    // Lets posted boxes come up: the hop to the main thread, then the timer
    // that shows them.
    static void deliverPosted()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    // Called with each box as it is shown, before it is answered.
    void setOnShow(std::function<void(const Shown &)> hook) { m_onShow = std::move(hook); }

    const std::vector<Shown> &shown() const { return m_shown; }
    int count() const { return int(m_shown.size()); }
    const Shown &last() const { return m_shown.back(); }
    QStringList texts() const
    {
        QStringList out;
        for (const Shown &box : m_shown)
            out.append(box.text);
        return out;
    }
    qsizetype unusedAnswers() const { return qsizetype(m_script.size()); }
    void clear()
    {
        m_shown.clear();
        m_script.clear();
    }

    static MsgButton defaultAnswer(MsgButtons buttons)
    {
        for (MsgButton b : {MsgButton::Ok, MsgButton::Yes, MsgButton::No, MsgButton::Cancel})
            if (buttons.testFlag(b))
                return b;
        return MsgButton::Ok;
    }

    MsgButton show(QWidget *parent, MsgType type, const QString &caption, const QString &text,
                   MsgButtons buttons, MsgButton defaultButton) override
    {
        Shown box{parent, type, caption, text, buttons, MsgButton::None, defaultButton};
        if (m_onShow)
            m_onShow(box);
        if (m_script.empty()) {
            box.answer = defaultAnswer(buttons);
        } else {
            box.answer = m_script.front();
            m_script.pop_front();
        }
        m_shown.push_back(box);
        return box.answer;
    }

private:
    DialogProvider *m_previous = nullptr;
    std::deque<MsgButton> m_script;
    std::vector<Shown> m_shown;
    std::function<void(const Shown &)> m_onShow;
};

} // namespace vcl
