// The keypad "/" held down on a real X server: the server repeats a held key
// as a release and a press of the same time, and on a busy machine the
// toolkit marks few of them as repeats. The offscreen platform has no key
// repeat, so this test starts an X server and a window manager of its own.
#include "app/AutoForms.h"
#include "forms/GeneralPageUi.h"
#include "link/DeviceCommands.h"
#include "link/FrameCodec.h"
#include "main/MainUnit.h"
#include "platform/vcl/TestDialogs.h"
#include "tests/app/XSession.h"
#include "tests/support/FakeDriver.h"

#include <QApplication>
#include <QGuiApplication>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using namespace xtest;
using testsupport::Bytes;

XSession *Session = nullptr;

// Output and switching byte of every switching frame the device was given.
std::vector<std::pair<int, int>> Switches(testsupport::FakeState &device)
{
    std::vector<std::pair<int, int>> switches;
    devlink::RxFrameDecoder decoder([&](const std::uint8_t *f, std::size_t n) {
        if (n > 5 && f[3] == devlink::CHANNEL_SWITCH_REQ)
            switches.emplace_back(f[4], f[5]);
    });
    for (std::uint8_t b : testsupport::AllWritten(device))
        decoder.PutByte(b);
    return switches;
}

} // namespace

// However long the key is held and however busy the machine, holding it
// starts one run: each output switched once, all of them off.
TEST(KeypadUnderX, AHeldKeyStartsOneRun)
{
    ASSERT_NE(Session, nullptr);
    if (!Session->missing().empty())
        GTEST_SKIP() << Session->missing();
    ASSERT_TRUE(Session->running()) << "Xvfb or openbox did not start";
    const std::string xdotool = FindProgram("xdotool");
    if (xdotool.empty())
        GTEST_SKIP() << "xdotool is not installed";

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

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    XSession session;
    Session = &session;
    const int result = RunTests<QApplication>(argc, argv, session);
    Session = nullptr;
    return result;
}
