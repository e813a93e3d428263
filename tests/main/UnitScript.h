// The unit behind MainRig while the tool's modal dialogs run: every turn of
// the event loop runs one worker pass, records the frames the tool sent and
// queues the answers `answer` gives them. While a version check is open it
// gets `version` once (nothing when empty). After `maxTurns` turns the script
// gives up and closes any dialog, so that a broken chain fails its test
// instead of hanging.
#pragma once

#include "tests/config/modal_watchdog.h"
#include "tests/main/MainRig.h"

#include "config/UnitVersion.h"
#include "config/WaitUnit.h"

#include <QTimer>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

struct UnitScript
{
    MainRig &rig;
    std::function<std::vector<Bytes>(const Bytes &request)> answer;
    std::optional<std::string> version = "8.52";
    std::function<void(UnitScript &)> onTurn;
    std::vector<Bytes> sent; // every frame the tool sent, in order
    int turns = 0;
    int maxTurns = 20000;
    bool stuck = false;

    explicit UnitScript(MainRig &r) : rig(r)
    {
        // The version stays on screen for no time; tests that want no answer
        // shorten the wait for it themselves.
        TVersionForm::ShowVersionMs = 0;
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { turn(); });
        timer_.start();
    }
    ~UnitScript()
    {
        TVersionForm::AnswerTimeoutMs = savedAnswerMs_;
        TVersionForm::ShowVersionMs = savedShowMs_;
    }
    UnitScript(const UnitScript &) = delete;
    UnitScript &operator=(const UnitScript &) = delete;

    void queue(const Bytes &frame)
    {
        std::lock_guard l(rig.backend->state->m);
        rig.backend->state->reads.push_back(devlink::SlipEncode(frame.data(), frame.size()));
    }

    // Nothing waits to go either way.
    bool idle() const
    {
        {
            std::lock_guard l(rig.backend->state->m);
            if (!rig.backend->state->reads.empty())
                return false;
        }
        for (const devlink::TxSlot &slot : rig.main().usb()->queueSnapshot())
            if (slot.Used)
                return false;
        return true;
    }

    std::vector<std::uint8_t> commands() const { return MainRig::commands(sent); }

    static Bytes versionFrame(const std::string &text)
    {
        Bytes data(20, 0);
        std::copy_n(text.begin(), std::min<std::size_t>(text.size(), 13), data.begin());
        return MainRig::frame(devlink::NodeApplication, devlink::VERSION_CFM, data);
    }

private:
    void turn()
    {
        if (++turns > maxTurns) {
            stuck = true;
            timer_.stop();
            ModalWatchdog::CloseDialogs();
            return;
        }
        for (const Bytes &f : rig.sent(1)) {
            sent.push_back(f);
            if (answer)
                for (const Bytes &a : answer(f))
                    queue(a);
        }
        if (VersionForm != answeredForm_) {
            answeredForm_ = VersionForm;
            if (VersionForm && version)
                queue(versionFrame(*version));
        }
        if (onTurn)
            onTurn(*this);
    }

    QTimer timer_;
    TVersionForm *answeredForm_ = nullptr;
    int savedAnswerMs_ = TVersionForm::AnswerTimeoutMs;
    int savedShowMs_ = TVersionForm::ShowVersionMs;
};

} // namespace testsupport
