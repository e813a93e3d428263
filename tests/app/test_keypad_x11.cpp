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

// Output and switching byte of every switching frame among `wire`'s bytes, in order.
std::vector<std::pair<int, int>> Switches(const Bytes &wire)
{
    std::vector<std::pair<int, int>> switches;
    devlink::RxFrameDecoder decoder([&](const std::uint8_t *f, std::size_t n) {
        if (n > 5 && f[3] == devlink::CHANNEL_SWITCH_REQ)
            switches.emplace_back(f[4], f[5]);
    });
    for (std::uint8_t b : wire)
        decoder.PutByte(b);
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

private:
    struct Wire
    {
        mutable std::mutex mutex;
        Bytes bytes;
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
            const bool ok = inner_->write(data, size, written);
            std::lock_guard lock(wire_->mutex);
            wire_->bytes.insert(wire_->bytes.end(), data, data + (ok ? written : 0));
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
// while the unit was unplugged; every output ends as the last step said, and
// its button shows it.
struct KeypadRow
{
    const char *name;
    int busyPerProcessor; // busy loops a processor while `drive` runs
    std::function<void(KeypadRig &)> drive;
    std::vector<Step> steps; // what reaches the unit after the set-up
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
    const std::size_t before = rig.relay->wire().size();

    {
        BusyProcessors busy(row.busyPerProcessor);
        row.drive(rig);
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(rig.settled());
    }
    const Bytes wire = rig.relay->wire();
    const auto switches =
        Switches(Bytes(wire.begin() + static_cast<std::ptrdiff_t>(before), wire.end()));

    // Each output's frames, step by step, and where each step's frames lie.
    constexpr std::size_t Channels = TGeneralPageUi::Channels;
    std::array<std::vector<std::size_t>, Channels + 1> stepsOf{};
    for (std::size_t step = 0; step < row.steps.size(); ++step)
        for (int channel = 1; channel <= int(Channels); ++channel)
            if (row.steps[step].channel == 0 || row.steps[step].channel == channel)
                stepsOf[std::size_t(channel)].push_back(step);
    std::array<std::size_t, Channels + 1> seen{};
    std::vector<std::size_t> first(row.steps.size(), switches.size()), last(row.steps.size());
    std::string wrong;
    for (std::size_t at = 0; at < switches.size(); ++at) {
        const auto [channel, how] = switches[at];
        const auto c = std::size_t(std::clamp(channel, 0, int(Channels)));
        const std::size_t n = seen[c]++;
        if (c == 0 || n >= stepsOf[c].size() || row.steps[stepsOf[c][n]].how != how) {
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
    for (std::size_t step = 0; step + 1 < row.steps.size(); ++step)
        EXPECT_LT(last[step], first[step + 1])
            << "a frame of step " << step + 1 << " came after the first of step " << step + 2;
    const auto shownWrong = [&] {
        std::string channels;
        for (int channel = 1; channel <= int(Channels); ++channel) {
            const auto &steps = stepsOf[std::size_t(channel)];
            if (!steps.empty() && rig.showsOn(channel) != (row.steps[steps.back()].how == On))
                channels.append(" ").append(std::to_string(channel));
        }
        return channels;
    };
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
    {"output 34 clicked 0.3 s after a press that switches it the other way", 1,
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
