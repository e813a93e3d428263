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

#include <QApplication>
#include <QGuiApplication>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
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
        std::unique_ptr<d2xx::Device> device = inner_->open(description);
        return device ? std::make_unique<Device>(std::move(device), wire_) : nullptr;
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
    };
    class Device : public d2xx::Device
    {
    public:
        Device(std::unique_ptr<d2xx::Device> inner, std::shared_ptr<Wire> wire)
            : inner_(std::move(inner)), wire_(std::move(wire))
        {
        }
        void setBaudRate(int baud) override { inner_->setBaudRate(baud); }
        void setDataCharacteristics(int d, int s, int p) override
        {
            inner_->setDataCharacteristics(d, s, p);
        }
        void setTimeouts(int r, int w) override { inner_->setTimeouts(r, w); }
        bool read(std::uint8_t *buffer, std::uint32_t size, std::uint32_t &got,
                  d2xx::ReadPause pause) override
        {
            return inner_->read(buffer, size, got, pause);
        }
        void cutPause() override { inner_->cutPause(); }
        bool write(const std::uint8_t *data, std::uint32_t size, std::uint32_t &written) override
        {
            const bool ok = inner_->write(data, size, written);
            std::lock_guard lock(wire_->mutex);
            wire_->bytes.insert(wire_->bytes.end(), data, data + (ok ? written : 0));
            return ok;
        }
        std::uint32_t lastError() const override { return inner_->lastError(); }

    private:
        std::unique_ptr<d2xx::Device> inner_;
        std::shared_ptr<Wire> wire_;
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

// Quick presses with the link's timers running and the processors busy: the
// status poll and the identity request keep the transmit queue's low slots
// busy, yet the runs reach the unit in the order of the presses, no frame of
// a run after the first frame of the next, and every output ends off, as the
// last press says. Two presses 0.1 s apart and a third during the second run
// give two changes of run.
TEST(KeypadUnderX, QuickPressesReachTheUnitInOrder)
{
    std::string xdotool;
    if (!SessionReady(Session, &xdotool))
        return;

    testsupport::QuickVersionCheck quickCheck;
    QTemporaryDir dir;
    const std::shared_ptr<sim::SimBackend> unit = sim::makeSimBackend();
    auto recording = std::make_shared<RecordingBackend>(unit);
    d2xx::Driver driver;
    driver.addBackend(recording);
    vcl::ScriptedDialogs dialogs;
    AutoForms forms({}, dir.path() + "/qm5230.INI", driver);
    forms.Show();
    TMainForm &main = *forms.Main;
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
    main.Connect(sim::SimulatorDescription);
    // The automatic read of a new connection comes first, as it does for the user.
    ASSERT_TRUE(WaitFor([&] { return main.ReadFromDevice == 1 && !main.TransferRunning(); }));
    main.General.RadioButtonManuel->click();
    ASSERT_TRUE(WaitFor([&] { return unit->unit().mode() == sim::UnitMode::Manual; }));
    main.activateWindow();
    ASSERT_TRUE(WaitFor([&] {
        return Framed(main) && QGuiApplication::focusWindow() == main.windowHandle();
    })) << "the window did not get the keyboard";
    ASSERT_TRUE(main.Timer1->isActive() && main.TimerVersion->isActive());
    const std::size_t before = recording->wire().size();

    {
        BusyProcessors busy;
        ASSERT_EQ(
            RunProgramLooping({xdotool, "key", "KP_Divide", "sleep", "0.1", "key", "KP_Divide"}),
            0);
        // The first run has sent its last frame: the second one follows.
        ASSERT_TRUE(WaitFor([&] { return KeypadSwitchAllOn == 1; }));
        ASSERT_EQ(RunProgramLooping({xdotool, "key", "KP_Divide"}), 0);
        ASSERT_TRUE(WaitFor([&] { return !main.KeypadTimer->isActive(); }));
    }
    // Everything queued has been written and has reached the unit.
    ASSERT_TRUE(WaitFor([&] {
        const auto queue = main.usb()->queueSnapshot();
        return std::none_of(queue.begin(), queue.end(),
                            [](const devlink::TxSlot &s) { return s.Used != 0; }) &&
               !unit->line().untilNextEvent();
    }));
    const Bytes wire = recording->wire();
    const auto switches =
        Switches(Bytes(wire.begin() + static_cast<std::ptrdiff_t>(before), wire.end()));
    // An output's n-th frame is its frame of run n: off, on, off.
    const int how[] = {0x0F, 0xF0, 0x0F};
    constexpr int Runs = 3;
    std::array<int, TGeneralPageUi::Channels + 1> seen{};
    std::array<std::size_t, Runs> first, last{};
    first.fill(switches.size());
    std::string wrong;
    for (std::size_t at = 0; at < switches.size(); ++at) {
        const auto [channel, what] = switches[at];
        const int run = channel >= 1 && channel <= TGeneralPageUi::Channels
                            ? seen[static_cast<std::size_t>(channel)]++
                            : Runs;
        if (run >= Runs || what != how[run]) {
            wrong += " " + std::to_string(channel);
            continue;
        }
        first[static_cast<std::size_t>(run)] = std::min(first[static_cast<std::size_t>(run)], at);
        last[static_cast<std::size_t>(run)] = at;
    }
    EXPECT_EQ(switches.size(), std::size_t{Runs * TGeneralPageUi::Channels});
    EXPECT_EQ(wrong, "") << "outputs switched out of turn";
    for (std::size_t run = 0; run + 1 < Runs; ++run)
        EXPECT_LT(last[run], first[run + 1])
            << "a frame of run " << run + 1 << " came after the first of run " << run + 2;
    std::string on;
    for (int channel = 1; channel <= TGeneralPageUi::Channels; ++channel)
        if (unit->unit().output(channel).manualOn)
            on += " " + std::to_string(channel);
    EXPECT_EQ(on, "") << "outputs left on";
    main.close();
}

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    XSession session;
    Session = &session;
    const int result = RunTests<QApplication>(argc, argv, session);
    Session = nullptr;
    return result;
}
