// The keypad "/" held down on a real X server: the server repeats a held key
// as a release and a press of the same time, and on a busy machine the
// toolkit marks few of them as repeats. The offscreen platform has no key
// repeat, so this test starts an X server and a window manager of its own.
#include "app/AutoForms.h"
#include "forms/GeneralPageUi.h"
#include "link/DeviceCommands.h"
#include "link/FrameCodec.h"
#include "main/LogUnit.h"
#include "main/MainUnit.h"
#include "platform/vcl/TestDialogs.h"
#include "sim/SimBackend.h"
#include "sim/SimLine.h"
#include "sim/SimulatedUnit.h"
#include "tests/app/E2ERig.h"
#include "tests/app/XSession.h"
#include "tests/support/FakeDriver.h"
#include "widgets/zAnimate.h"

#include <QApplication>
#include <QGuiApplication>
#include <QRadioButton>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using namespace xtest;
using testsupport::Bytes;

XSession *Session = nullptr;

using Clock = std::chrono::steady_clock;

// Output and switching byte of every switching frame among `wire`'s bytes,
// in order; with `ends`, where each frame's last byte lies in `wire`.
std::vector<std::pair<int, int>> Switches(const Bytes &wire,
                                          std::vector<std::size_t> *ends = nullptr)
{
    std::vector<std::pair<int, int>> switches;
    std::size_t at = 0;
    devlink::RxFrameDecoder decoder([&](const std::uint8_t *f, std::size_t n) {
        if (n > 5 && f[3] == devlink::CHANNEL_SWITCH_REQ) {
            switches.emplace_back(f[4], f[5]);
            if (ends)
                ends->push_back(at);
        }
    });
    for (; at < wire.size(); ++at)
        decoder.PutByte(wire[at]);
    return switches;
}

std::vector<std::pair<int, int>> Switches(testsupport::FakeState &device)
{
    return Switches(testsupport::AllWritten(device));
}

// The simulated unit's device, keeping every byte the tool hands to its
// line in the order the unit gets them.
class RecordingBackend : public d2xx::Backend
{
public:
    explicit RecordingBackend(std::shared_ptr<d2xx::Backend> inner) : inner_(std::move(inner)) {}
    std::vector<std::string> descriptions() override { return inner_->descriptions(); }
    std::unique_ptr<d2xx::Device> open(const std::string &description) override
    {
        if (!wire_->plugged)
            return nullptr;
        std::unique_ptr<d2xx::Device> device = inner_->open(description);
        return device ? std::make_unique<Device>(std::move(device), wire_) : nullptr;
    }
    // The cable pulled and plugged back: meanwhile the tool's reads and
    // writes fail as on a device that is gone, and it cannot open it.
    void unplug() { wire_->plugged = false; }
    void replug() { wire_->plugged = true; }
    // For `ms` from now the bridge takes no byte, as one whose USB transfers
    // are held up: each write waits out its time-out and writes nothing.
    void stall(int ms)
    {
        wire_->stalledUntil = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    }
    Bytes wire() const
    {
        std::lock_guard lock(wire_->mutex);
        return wire_->bytes;
    }
    // When the unit got the byte at `index` of wire(): the time the write
    // that carried it was handed to the bridge.
    Clock::time_point gotAt(std::size_t index) const
    {
        std::lock_guard lock(wire_->mutex);
        const auto write =
            std::upper_bound(wire_->writes.begin(), wire_->writes.end(), index,
                             [](std::size_t i, const auto &w) { return i < w.second; });
        return write == wire_->writes.end() ? Clock::time_point::max() : write->first;
    }

private:
    struct Wire
    {
        mutable std::mutex mutex;
        Bytes bytes;
        // Each write's time and the size of `bytes` after it.
        std::vector<std::pair<Clock::time_point, std::size_t>> writes;
        std::atomic<bool> plugged{true};
        std::atomic<std::chrono::steady_clock::time_point> stalledUntil{};
    };
    class Device : public d2xx::Device
    {
    public:
        Device(std::unique_ptr<d2xx::Device> inner, std::shared_ptr<Wire> wire)
            : inner_(std::move(inner)), wire_(std::move(wire))
        {
        }
        bool gone() const { return !wire_->plugged.load(); }
        void setBaudRate(int baud) override { inner_->setBaudRate(baud); }
        void setDataCharacteristics(int d, int s, int p) override
        {
            inner_->setDataCharacteristics(d, s, p);
        }
        void setTimeouts(int r, int w) override
        {
            writeTimeout_ = std::chrono::milliseconds(w);
            inner_->setTimeouts(r, w);
        }
        bool read(std::uint8_t *buffer, std::uint32_t size, std::uint32_t &got,
                  d2xx::ReadPause pause) override
        {
            got = 0;
            return !gone() && inner_->read(buffer, size, got, pause) && !gone();
        }
        void cutPause() override { inner_->cutPause(); }
        bool write(const std::uint8_t *data, std::uint32_t size, std::uint32_t &written) override
        {
            written = 0;
            if (gone())
                return false;
            if (const auto until = wire_->stalledUntil.load();
                std::chrono::steady_clock::now() < until) {
                std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
                    writeTimeout_, until - std::chrono::steady_clock::now()));
                return true;
            }
            const auto handed = Clock::now();
            const bool ok = inner_->write(data, size, written);
            std::lock_guard lock(wire_->mutex);
            wire_->bytes.insert(wire_->bytes.end(), data, data + (ok ? written : 0));
            wire_->writes.emplace_back(handed, wire_->bytes.size());
            return ok;
        }
        std::uint32_t lastError() const override
        {
            return gone() ? d2xx::ErrorDeviceGone : inner_->lastError();
        }

    private:
        std::unique_ptr<d2xx::Device> inner_;
        std::shared_ptr<Wire> wire_;
        std::chrono::milliseconds writeTimeout_{100};
    };
    std::shared_ptr<d2xx::Backend> inner_;
    std::shared_ptr<Wire> wire_ = std::make_shared<Wire>();
};

} // namespace

// However long the key is held and however busy the machine, holding it
// starts one run: each output switched once, all of them off.
TEST(KeypadUnderX, AHeldKeyStartsOneRun)
{
    std::string xdotool;
    if (!SessionReady(Session, &xdotool))
        return;

    QTemporaryDir dir;
    auto backend = std::make_shared<testsupport::FakeBackend>();
    d2xx::Driver driver;
    driver.addBackend(backend);
    vcl::ScriptedDialogs dialogs;
    AutoForms forms({}, dir.path() + "/qm5230.INI", driver);
    forms.Show();
    TMainForm &main = *forms.Main;
    // Only the keys talk to the unit.
    main.Timer1->stop();
    main.TimerVersion->stop();
    main.Connect("Unit A");
    main.TimerSerial->stop();
    main.General.RadioButtonManuel->click();
    main.activateWindow();
    ASSERT_TRUE(WaitFor([&] {
        return Framed(main) && QGuiApplication::focusWindow() == main.windowHandle();
    })) << "the window did not get the keyboard";

    {
        BusyProcessors busy;
        ASSERT_EQ(RunProgram({xdotool, "keydown", "KP_Divide"}), 0);
        // Held well past the server's repeat delay: some 20 repeats.
        WaitFor([] { return false; }, 1500);
        ASSERT_EQ(RunProgram({xdotool, "keyup", "KP_Divide"}), 0);
        ASSERT_TRUE(WaitFor([&] { return !main.KeypadTimer->isActive(); }))
            << Switches(*backend->state).size() << " switching frames";
    }
    ASSERT_TRUE(WaitFor([&] { return Switches(*backend->state).size() >= 34; }));
    // A second run queued by a repeat would have kept the timer going.
    WaitFor([] { return false; }, 200);
    EXPECT_FALSE(main.KeypadTimer->isActive());
    std::vector<std::pair<int, int>> allOff;
    for (int channel = 1; channel <= 34; ++channel)
        allOff.emplace_back(channel, 0x0F);
    EXPECT_EQ(Switches(*backend->state).size(), allOff.size());
    EXPECT_EQ(Switches(*backend->state), allOff);
    EXPECT_EQ(KeypadSwitchAllOn, 1) << "the next press switches them on";
    main.close();
}

// One step of what the keypad sends: a run over every output (`channel`
// 0) or one output clicked; `how` is the switching byte.
struct Step
{
    int channel = 0;
    int how = 0;
};
constexpr int Off = 0x0F;
constexpr int On = 0xF0;

// The tool on a real X server against the simulated unit's program on a
// pseudo-terminal, behind a relay that keeps every byte the unit gets.
struct KeypadRig
{
    std::string xdotool;
    QProcess program;
    std::shared_ptr<RecordingBackend> relay;
    QTemporaryDir dir;
    d2xx::Driver driver;
    vcl::ScriptedDialogs dialogs;
    testsupport::QuickVersionCheck quickCheck;
    std::unique_ptr<AutoForms> forms;
    ~KeypadRig()
    {
        forms.reset();
        program.terminate();
        program.waitForFinished(10000);
    }
    TMainForm &main() { return *forms->Main; }
    // Runs xdotool with `args`, the window taking what it does meanwhile.
    void xdo(std::vector<std::string> args)
    {
        args.insert(args.begin(), xdotool);
        ASSERT_EQ(RunProgramLooping(args), 0);
    }
    // The output's button as xdotool's arguments of a click on it.
    std::vector<std::string> click(int channel)
    {
        TzColorBtn *button = main().General.ChannelButtons[static_cast<std::size_t>(channel)];
        const QPoint at = button->mapToGlobal(button->rect().center());
        return {"mousemove", std::to_string(at.x()), std::to_string(at.y()), "click", "1"};
    }
    // Every keypad step done, every frame written and the unit's answers in.
    bool settled()
    {
        return WaitFor([&] {
            const auto queue = main().usb()->queueSnapshot();
            return !main().KeypadTimer->isActive() &&
                   std::none_of(queue.begin(), queue.end(),
                                [](const devlink::TxSlot &s) { return s.Used != 0; });
        });
    }
    bool showsOn(int channel)
    {
        return TMainForm::IsCaptionOn(
            main().General.ChannelButtons[static_cast<std::size_t>(channel)]);
    }
    bool shows(int channel, bool on)
    {
        return WaitFor([&] { return showsOn(channel) == on; });
    }
};

// Presses of the keypad "/" and clicks on the outputs through the X server,
// with the link's timers running, the trace logging every frame and the
// processors busy: every press gives its run, each the other way, and the
// unit gets the runs and clicks in the order they were made, no frame of a
// step after the first frame of the next, none lost, none of a run made
// while the unit was unplugged, a run's frames in output order and at least
// 25 ms apart; every output ends as the last step said, and its button
// shows it.
struct KeypadRow
{
    const char *name;
    int busyPerProcessor; // busy loops a processor while `drive` runs
    std::function<void(KeypadRig &)> drive;
    std::vector<Step> steps; // what reaches the unit after the set-up
    // The first step is a run cut short after its first outputs.
    bool cut = false;
    std::function<void(KeypadRig &)> setUp = {}; // before anything counts
};

class KeypadRunsUnderX : public ::testing::TestWithParam<KeypadRow>
{
};

TEST_P(KeypadRunsUnderX, PressesAndClicksReachTheUnitInOrder)
{
    const KeypadRow &row = GetParam();
    KeypadRig rig;
    if (!SessionReady(Session, &rig.xdotool))
        return;
    rig.program.start(QM5230_SIM_PROGRAM, {});
    ASSERT_TRUE(rig.program.waitForStarted(10000) && rig.program.waitForReadyRead(10000));
    const std::string path = QString::fromLocal8Bit(rig.program.readLine()).trimmed().toStdString();
    rig.relay = std::make_shared<RecordingBackend>(d2xx::makeExtraPortsBackend(path));
    rig.driver.addBackend(rig.relay);
    rig.forms = std::make_unique<AutoForms>(QStringList{}, rig.dir.path() + "/qm5230.INI",
                                            rig.driver);
    rig.forms->Show();
    TMainForm &main = rig.main();
    // The trace window logs every frame, as for a technician watching the
    // link: the main thread takes longer over each hand-over of the worker,
    // and the queue fills further behind the status answers.
    struct Tracing
    {
        Tracing() { TraceEnabled = 1; }
        ~Tracing() { TraceEnabled = 0; }
        Tracing(const Tracing &) = delete;
        Tracing &operator=(const Tracing &) = delete;
    } tracing;
    main.Connect(QString::fromStdString(path));
    // The automatic read of a new connection comes first, as it does for the user.
    ASSERT_TRUE(WaitFor([&] { return main.ReadFromDevice == 1 && !main.TransferRunning(); }));
    main.General.RadioButtonManuel->click();
    main.activateWindow();
    ASSERT_TRUE(WaitFor([&] {
        return Framed(main) && QGuiApplication::focusWindow() == main.windowHandle();
    })) << "the window did not get the keyboard";
    ASSERT_TRUE(main.Timer1->isActive() && main.TimerVersion->isActive());
    ASSERT_TRUE(rig.settled());
    if (row.setUp) {
        row.setUp(rig);
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(rig.settled());
    }
    const std::size_t before = rig.relay->wire().size();

    {
        BusyProcessors busy(row.busyPerProcessor);
        row.drive(rig);
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(rig.settled());
    }
    const Bytes wire = rig.relay->wire();
    std::vector<std::size_t> ends;
    auto switches =
        Switches(Bytes(wire.begin() + static_cast<std::ptrdiff_t>(before), wire.end()), &ends);
    std::vector<Clock::time_point> times;
    for (const std::size_t end : ends)
        times.push_back(rig.relay->gotAt(before + end));
    std::size_t cutShort = 0; // frames of the run cut short
    if (row.cut) {
        while (cutShort < switches.size() && cutShort < 34 &&
               switches[cutShort] == std::pair<int, int>(int(cutShort) + 1, row.steps[0].how))
            ++cutShort;
        EXPECT_GT(cutShort, 0u);
        EXPECT_LT(cutShort, 34u) << "the run was not cut short";
        switches.erase(switches.begin(), switches.begin() + std::ptrdiff_t(cutShort));
    }
    const std::vector<Step> made(row.steps.begin() + (row.cut ? 1 : 0), row.steps.end());

    // Each output's frames, step by step, and where each step's frames lie.
    constexpr std::size_t Channels = TGeneralPageUi::Channels;
    std::array<std::vector<std::size_t>, Channels + 1> stepsOf{};
    for (std::size_t step = 0; step < made.size(); ++step)
        for (int channel = 1; channel <= int(Channels); ++channel)
            if (made[step].channel == 0 || made[step].channel == channel)
                stepsOf[std::size_t(channel)].push_back(step);
    std::array<std::size_t, Channels + 1> seen{};
    std::vector<std::size_t> first(made.size(), switches.size()), last(made.size());
    std::string wrong;
    for (std::size_t at = 0; at < switches.size(); ++at) {
        const auto [channel, how] = switches[at];
        const auto c = std::size_t(std::clamp(channel, 0, int(Channels)));
        const std::size_t n = seen[c]++;
        if (c == 0 || n >= stepsOf[c].size() || made[stepsOf[c][n]].how != how) {
            wrong += " " + std::to_string(channel);
            continue;
        }
        const std::size_t step = stepsOf[c][n];
        first[step] = std::min(first[step], at);
        last[step] = at;
    }
    std::size_t expected = 0;
    for (const auto &steps : stepsOf)
        expected += steps.size();
    EXPECT_EQ(switches.size(), expected) << "switching frames";
    EXPECT_EQ(wrong, "") << "outputs switched out of turn";
    for (std::size_t step = 0; step + 1 < made.size(); ++step)
        EXPECT_LT(last[step], first[step + 1])
            << "a frame of step " << step + 1 << " came after the first of step " << step + 2;
    const auto shownWrong = [&] {
        std::string channels;
        for (int channel = 1; channel <= int(Channels); ++channel) {
            const auto &steps = stepsOf[std::size_t(channel)];
            if (!steps.empty() && rig.showsOn(channel) != (made[steps.back()].how == On))
                channels.append(" ").append(std::to_string(channel));
        }
        return channels;
    };
    // A run's frames reach the unit in output order, each at least 25 ms
    // after the one before it.
    for (std::size_t step = 0; step < made.size(); ++step) {
        if (made[step].channel != 0 || first[step] >= switches.size())
            continue;
        for (std::size_t at = first[step] + 1; at <= last[step]; ++at) {
            EXPECT_EQ(switches[at].first, switches[at - 1].first + 1)
                << "step " << step + 1 << " out of output order";
            const auto gap = times[cutShort + at] - times[cutShort + at - 1];
            EXPECT_GE(gap, std::chrono::milliseconds(25))
                << "output " << switches[at].first << " of step " << step + 1 << " only "
                << std::chrono::duration<double, std::milli>(gap).count()
                << " ms after the one before";
        }
    }
    WaitFor([&] { return shownWrong().empty(); });
    EXPECT_EQ(shownWrong(), "") << "buttons that do not show the last step's state";
    main.close();
}

namespace {

void PressKeypadSlash(KeypadRig &rig)
{
    rig.xdo({"key", "KP_Divide"});
}

std::vector<Step> Runs(std::initializer_list<int> hows)
{
    std::vector<Step> steps;
    for (int how : hows)
        steps.push_back({0, how});
    return steps;
}

const KeypadRow KeypadRows[] = {
    {"two presses 0.1 s apart and a third during the second run", 1,
     [](KeypadRig &rig) {
         rig.xdo({"key", "KP_Divide", "sleep", "0.1", "key", "KP_Divide"});
         // The first run has sent its last frame: the second one follows.
         ASSERT_TRUE(WaitFor([&] { return KeypadSwitchAllOn == 1; }));
         PressKeypadSlash(rig);
     },
     Runs({Off, On, Off})},
    {"three presses 0.1 s apart", 1,
     [](KeypadRig &rig) {
         rig.xdo({"key", "KP_Divide", "sleep", "0.1", "key", "KP_Divide", "sleep", "0.1", "key",
                  "KP_Divide"});
     },
     Runs({Off, On, Off})},
    {"output 34 clicked 0.3 s after a press that switches it the other way",
     1,
     [](KeypadRig &rig) {
         PressKeypadSlash(rig);
         ASSERT_TRUE(rig.settled() && rig.shows(34, false));
         rig.xdo(rig.click(34));
         ASSERT_TRUE(rig.settled() && rig.shows(34, true));
         std::vector<std::string> args{"key", "KP_Divide", "sleep", "0.3"};
         const auto click = rig.click(34);
         args.insert(args.end(), click.begin(), click.end());
         rig.xdo(args);
     },
     {{0, Off}, {34, On}, {0, On}, {34, Off}}},
    // Busy loops alone leave the link's thread keeping pace with the run on
    // a machine with a scheduler that favours threads that sleep; a bridge
    // that takes nothing for a while fills the transmit queue during the run.
    {"one press, four busy loops a processor, the bridge held up for 2 s", 4,
     [](KeypadRig &rig) {
         rig.relay->stall(2000);
         PressKeypadSlash(rig);
     },
     Runs({Off})},
    {"output 34 clicked 0.3 s into a run, F8 0.2 s later",
     1,
     [](KeypadRig &rig) {
         std::vector<std::string> args{"key", "KP_Divide", "sleep", "0.3"};
         const auto click = rig.click(34);
         args.insert(args.end(), click.begin(), click.end());
         args.insert(args.end(), {"sleep", "0.2", "key", "F8"});
         rig.xdo(args);
         // The read of all settings ran and is over.
         ASSERT_TRUE(WaitFor(
             [&] { return rig.main().ReadFromDevice == 1 && !rig.main().TransferRunning(); }));
     },
     {{0, Off}, {34, On}},
     true,
     [](KeypadRig &rig) {
         // All outputs on, output 34 off.
         PressKeypadSlash(rig);
         ASSERT_TRUE(rig.settled());
         PressKeypadSlash(rig);
         ASSERT_TRUE(rig.settled() && rig.shows(34, true));
         rig.xdo(rig.click(34));
         ASSERT_TRUE(rig.settled() && rig.shows(34, false));
         rig.main().ReadFromDevice = 0;
     }},
    {"a press while the unit is unplugged", 0,
     [](KeypadRig &rig) {
         TMainForm &main = rig.main();
         PressKeypadSlash(rig);
         ASSERT_TRUE(rig.settled());
         rig.relay->unplug();
         ASSERT_TRUE(WaitFor([&] { return main.StatusPanels[0]->text() == "USB DISCONNECTED"; }));
         PressKeypadSlash(rig);
         // Long enough for a whole run.
         WaitFor([] { return false; }, 1500);
         ASSERT_FALSE(main.KeypadTimer->isActive());
         rig.relay->replug();
         ASSERT_TRUE(WaitFor([&] {
             // The automatic read of the link that came back is over.
             return main.StatusPanels[0]->text() == "USB CONNECTED" &&
                    main.AutoReadPending == 0 && !main.TimerSerial->isActive() &&
                    !main.TransferRunning();
         }));
         PressKeypadSlash(rig);
     },
     Runs({Off, On})},
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Rows, KeypadRunsUnderX, ::testing::ValuesIn(KeypadRows));

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    XSession session;
    Session = &session;
    const int result = RunTests<QApplication>(argc, argv, session);
    Session = nullptr;
    return result;
}
