// The main window's keys and the keypad's switching of all outputs.
#include "tests/main/MainRig.h"
#include "tests/main/UnitScript.h"

#include "forms/ConfigPagesUi.h"
#include "main/LogUnit.h"
#include "link/UsbSelectUnit.h"
#include "main/ToolWindows.h"
#include "widgets/zAnimate.h"

#include <QApplication>
#include <QLineEdit>
#include <QTextEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace devlink;
using testsupport::Bytes;
using testsupport::MainRig;
using testsupport::UnitScript;

namespace {

void press(MainRig &r, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(r.main().windowHandle(), key, modifiers);
}

// Channel and switching byte of every CHANNEL_SWITCH_REQ among `frames`.
std::vector<std::pair<int, int>> switches(const std::vector<Bytes> &frames)
{
    std::vector<std::pair<int, int>> s;
    for (const Bytes &f : frames)
        if (f.size() > 5 && f[3] == CHANNEL_SWITCH_REQ)
            s.emplace_back(f[4], f[5]);
    return s;
}

std::vector<std::pair<int, int>> allOutputs(int how)
{
    std::vector<std::pair<int, int>> s;
    for (int ch = 1; ch <= 34; ++ch)
        s.emplace_back(ch, how);
    return s;
}

struct ManualRig : MainRig
{
    ManualRig() : MainRig({"KeeperEntry"})
    {
        connect();
        main().General.RadioButtonManuel->click();
        sent();
    }
};

} // namespace

// The keypad "/" sends one frame every 25 ms from a timer: the first press
// switches all outputs off, the next on; a press during a run follows it,
// and its run reaches the unit after the whole run before it, also when the
// status poll has left that run's last frames in higher slots of the queue,
// which the worker writes after the lower ones.
TEST(KeypadSwitchAll, FramesPacedByTheTimer)
{
    const struct
    {
        const char *how;
        // Runs before keypad tick `tick` (from 1); returns the worker passes after it.
        std::function<int(ManualRig &, int tick)> around;
        bool repeated = false; // the unit asked for the first run's last frame again
        bool clicked = false;  // output 34, shown "On", clicked during the second run
    } cases[] = {
        {"each frame written before the next tick", [](ManualRig &, int) { return 1; }},
        {"two status requests in the low slots as the first run ends",
         [](ManualRig &r, int tick) {
             if (tick == 33) {
                 r.main().Timer1Timer();
                 r.main().Timer1Timer();
             }
             return tick == 33 || tick == 34 ? 0 : 1;
         }},
        {"the run's last frame sent again from a higher slot, as a serial error asks",
         [](ManualRig &r, int tick) {
             if (tick == 33) {
                 r.main().Timer1Timer();
                 r.main().Timer1Timer();
             }
             if (tick == 35)
                 r.main().usb()->ResendLast();
             return tick == 33 || tick == 34 ? 0 : 1;
         },
         true},
        {"output 34 clicked during the second run follows it",
         [](ManualRig &r, int tick) {
             if (tick == 40) {
                 TzColorBtn *button = r.main().General.ChannelButtons[34];
                 button->SetCaption("On");
                 button->Click();
             }
             return 1;
         },
         false, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.how);
        ManualRig r;
        TMainForm &m = r.main();
        m.KeypadSwitchAll();
        m.KeypadSwitchAll();
        EXPECT_TRUE(m.KeypadTimer->isActive());
        EXPECT_EQ(m.KeypadTimer->interval(), 25);
        EXPECT_TRUE(r.sent().empty()) << "the first frame waits for the first tick";

        std::vector<Bytes> frames;
        for (int tick = 1; tick <= 200 && m.KeypadTimer->isActive(); ++tick) {
            const int passes = c.around(r, tick);
            m.KeypadTimerTimer();
            for (const Bytes &f : r.sent(passes))
                frames.push_back(f);
        }
        for (const Bytes &f : r.sent())
            frames.push_back(f);
        EXPECT_FALSE(m.KeypadTimer->isActive());
        std::vector<std::pair<int, int>> expected = allOutputs(0x0F);
        if (c.repeated)
            expected.emplace_back(34, 0x0F);
        const auto on = allOutputs(0xF0);
        expected.insert(expected.end(), on.begin(), on.end());
        if (c.clicked)
            expected.emplace_back(34, 0x0F);
        EXPECT_EQ(switches(frames), expected);
        EXPECT_EQ(KeypadSwitchAllOn, 0);
        EXPECT_TRUE(r.panel(2).isEmpty());
    }
}

namespace {

using TakeLink = std::function<std::vector<Bytes>(ManualRig &, const std::function<void()> &)>;

// A read of all settings started by `start`, cancelled once its wait dialog
// shows and `during` has run.
TakeLink readStartedBy(void (TMainForm::*start)())
{
    return [start](ManualRig &r, const std::function<void()> &during) {
        UnitScript unit(r);
        unit.onTurn = [&](UnitScript &) {
            if (!UpdateForm->isVisible())
                return;
            during();
            r.main().CancelTransfer();
        };
        (r.main().*start)();
        EXPECT_FALSE(unit.stuck);
        return unit.sent;
    };
}

} // namespace

// A transfer or the firmware window that starts stops a running keypad run:
// no switching frame goes out while they hold the link, and the run does
// not go on after them. A press meanwhile starts nothing.
TEST(KeypadSwitchAll, NoSwitchingFrameWhileTheLinkIsTaken)
{
    const struct
    {
        const char *how;
        // Takes the link, runs `during` (keypad timer ticks and a key press)
        // while it is taken, gives it back; returns the frames sent meanwhile.
        TakeLink take;
    } cases[] = {
        {"transfer flag",
         [](ManualRig &r, const std::function<void()> &during) {
             r.main().TransferBusy = 1;
             during();
             auto frames = r.sent();
             r.main().TransferBusy = 0;
             return frames;
         }},
        {"firmware window flag",
         [](ManualRig &r, const std::function<void()> &during) {
             r.main().FirmwareWindowOpen = 1;
             during();
             auto frames = r.sent();
             r.main().FirmwareWindowOpen = 0;
             return frames;
         }},
        {"firmware window opened",
         [](ManualRig &r, const std::function<void()> &during) {
             std::vector<Bytes> frames;
             ToolLaunchers.Firmware = [&](QWidget *) {
                 during();
                 frames = r.sent();
             };
             r.main().Firmware1Click();
             ToolLaunchers.Firmware = nullptr;
             return frames;
         }},
        {"read of all settings", readStartedBy(&TMainForm::BtnLoadClick)},
        {"automatic read from its timer", readStartedBy(&TMainForm::TimerSerialTimer)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.how);
        ManualRig r;
        TMainForm &m = r.main();
        std::vector<Bytes> frames;
        // Timer ticks, each followed by a pass of the worker.
        auto ticks = [&](int count) {
            for (int tick = 0; tick < count; ++tick) {
                m.KeypadTimerTimer();
                for (const Bytes &f : r.sent(1))
                    frames.push_back(f);
            }
        };
        m.KeypadSwitchAll();
        ticks(5);
        ASSERT_EQ(switches(frames).size(), 5u);

        frames.clear();
        std::vector<Bytes> during = c.take(r, [&] {
            ticks(40);
            m.KeypadSwitchAll();
            ticks(40);
        });
        during.insert(during.end(), frames.begin(), frames.end());
        EXPECT_TRUE(switches(during).empty());
        EXPECT_FALSE(m.KeypadTimer->isActive());

        // Afterwards nothing follows by itself; the next press repeats the
        // run that was cut short, from the first output.
        frames.clear();
        ticks(40);
        EXPECT_TRUE(switches(frames).empty());
        m.KeypadSwitchAll();
        ticks(40);
        EXPECT_EQ(switches(frames), allOutputs(0x0F));
    }
}

// A service tool that talks to the unit opens with the link to itself: the
// keypad run going when it opens sends nothing more, during it or after it.
TEST(KeypadSwitchAll, ServiceToolWindowStopsTheRun)
{
    const struct
    {
        const char *tool;
        ToolLauncher ToolLauncherSet::*launcher;
        void (TMainForm::*open)();
    } cases[] = {
        {"calibration", &ToolLauncherSet::Calibration, &TMainForm::Calibration1Click},
        {"ping test", &ToolLauncherSet::Ping, &TMainForm::PingTest1Click},
        {"system setup", &ToolLauncherSet::SystemSetup, &TMainForm::Systemsetup1Click},
        {"runtime error", &ToolLauncherSet::RunTimeError, &TMainForm::Runtimeerror1Click},
        {"EEPROM editor", &ToolLauncherSet::EEPROM, &TMainForm::EepromClick},
        {"flash compare", &ToolLauncherSet::FIA, &TMainForm::FIAClick},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.tool);
        ManualRig r;
        TMainForm &m = r.main();
        std::vector<Bytes> frames;
        const auto ticks = [&](int count) {
            for (int tick = 0; tick < count; ++tick) {
                m.KeypadTimerTimer();
                for (const Bytes &f : r.sent(1))
                    frames.push_back(f);
            }
        };
        m.KeypadSwitchAll();
        m.KeypadSwitchAll();
        ticks(5);
        ASSERT_EQ(switches(frames).size(), 5u);
        frames.clear();
        ToolLaunchers.*c.launcher = [&](QWidget *) { ticks(80); };
        (m.*c.open)();
        ToolLaunchers.*c.launcher = nullptr;
        ticks(80);
        EXPECT_TRUE(switches(frames).empty());
        EXPECT_FALSE(m.KeypadTimer->isActive());
    }
}

// One run a key press: a held key's repeats start none, however the
// platform gives them (marked as repeats; as a release and a press of one
// time, as X does and, on a busy machine, often leaves unmarked; as presses
// alone), and every press during a run gives a run of its own behind it.
TEST(KeypadSwitchAll, OneRunPerPress)
{
    ManualRig r;
    TMainForm &m = r.main();
    std::uint64_t now = 5000; // the platform's time of the key events, in ms
    auto key = [&](QEvent::Type type, bool repeat) {
        QKeyEvent event(type, Qt::Key_Slash, Qt::KeypadModifier, "/", repeat);
        event.setTimestamp(now);
        if (type == QEvent::KeyPress)
            m.FormKeyDown(&event);
        else
            m.FormKeyUp(&event);
    };
    const auto held = [&](bool marked, bool pairs) {
        for (int i = 0; i < 9; ++i) {
            now += 40;
            if (pairs)
                key(QEvent::KeyRelease, marked);
            key(QEvent::KeyPress, marked);
        }
    };
    key(QEvent::KeyPress, false);
    held(true, true);
    held(false, true);
    held(false, false);
    now += 40;
    key(QEvent::KeyRelease, false);

    std::vector<Bytes> frames;
    auto run = [&](int ticks) {
        for (int tick = 0; tick < ticks; ++tick) {
            m.KeypadTimerTimer();
            for (const Bytes &f : r.sent(1))
                frames.push_back(f);
        }
    };
    // The held key's run alone, with none queued behind it.
    run(400);
    EXPECT_FALSE(m.KeypadTimer->isActive());
    std::vector<std::pair<int, int>> expected = allOutputs(0x0F);
    EXPECT_EQ(switches(frames), expected);

    const auto press = [&] {
        now += 100;
        key(QEvent::KeyPress, false);
        now += 80;
        key(QEvent::KeyRelease, false);
    };
    press();
    run(10);
    press();
    press();
    run(600);
    EXPECT_FALSE(m.KeypadTimer->isActive());
    for (const auto &more : {allOutputs(0xF0), allOutputs(0x0F), allOutputs(0xF0)})
        expected.insert(expected.end(), more.begin(), more.end());
    EXPECT_EQ(switches(frames), expected);
}

namespace {

// The unit unplugged, as the worker finds it at its next read.
void pull(ManualRig &r)
{
    r.backend->present = false;
    r.backend->state->gone = true;
    r.main().usb()->Pass();
}

} // namespace

// Closing or opening the device stops a keypad run, as a transfer does: its
// frames would be dropped with the closed device's queue or reach the new
// link in the middle of its password exchange; so does choosing "Auto", in
// which the unit drops them. The run is not counted as done: the next press
// repeats it from the first output.
TEST(KeypadSwitchAll, ClosingOrOpeningTheDeviceStopsTheRun)
{
    const struct
    {
        const char *how;
        std::function<void(ManualRig &)> event;
    } cases[] = {
        {"selection window opened", [](ManualRig &r) { r.forms->UsbSelect->FormActivate(); }},
        {"selection window's OK",
         [](ManualRig &r) {
             r.forms->UsbSelect->FormActivate();
             r.forms->UsbSelect->BtnOpenClick();
         }},
        {"a connect", [](ManualRig &r) { r.connect(); }},
        {"a connect that fails", [](ManualRig &r) { r.connect("No such unit"); }},
        {"device lost", pull},
        {"device back",
         [](ManualRig &r) {
             pull(r);
             r.backend->present = true;
             r.main().usb()->Pass();
         }},
        {"device lost once the run queued its last frame, before it was written",
         [](ManualRig &r) {
             for (int tick = 6; tick <= 34; ++tick) {
                 r.main().KeypadTimerTimer();
                 if (tick <= 30)
                     r.sent(1);
             }
             pull(r);
         }},
        {"a press while the device is lost",
         [](ManualRig &r) {
             pull(r);
             r.main().KeypadSwitchAll();
             for (int tick = 0; tick < 40; ++tick)
                 r.main().KeypadTimerTimer();
         }},
        {"Auto chosen, then manual mode again",
         [](ManualRig &r) {
             r.main().General.RadioButtonAuto->click();
             // Long enough for the rest of a run that went on in automatic
             // mode, where no switching frame goes out.
             for (int tick = 0; tick < 40; ++tick)
                 r.main().KeypadTimerTimer();
             r.main().General.RadioButtonManuel->click();
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.how);
        ManualRig r;
        TMainForm &m = r.main();
        m.TimerSerial->stop();
        std::vector<Bytes> frames;
        const auto ticks = [&](int count) {
            for (int tick = 0; tick < count; ++tick) {
                m.KeypadTimerTimer();
                for (const Bytes &f : r.sent(1))
                    frames.push_back(f);
            }
        };
        m.KeypadSwitchAll();
        ticks(5);
        ASSERT_EQ(switches(frames).size(), 5u);
        c.event(r);
        EXPECT_FALSE(m.KeypadTimer->isActive());
        r.backend->present = true;
        r.connect();
        m.TimerSerial->stop();
        frames.clear();
        ticks(40);
        EXPECT_TRUE(switches(frames).empty());
        m.KeypadSwitchAll();
        ticks(40);
        EXPECT_EQ(switches(frames), allOutputs(0x0F));
    }
}

// A worker that writes nothing fills the queue: the frames it holds stay and
// go out later, each one it cannot take is reported, and the report stays
// long enough to be read. The run loses none: it goes on once there is room.
TEST(KeypadSwitchAll, FullQueueIsShownAndKeepsItsFrames)
{
    ManualRig r;
    TMainForm &m = r.main();
    std::int64_t now = 1000;
    m.SteadyClockMs = [&now] { return now; };
    TraceEnabled = 1;
    m.KeypadSwitchAll();
    for (int tick = 0; tick < 34; ++tick)
        m.KeypadTimerTimer();
    TraceEnabled = 0;
    EXPECT_EQ(r.panel(2), "Transmit queue full: frame not sent");
    const QStringList trace = r.forms->Log->RichEdit->toPlainText().split('\n').filter(
        "Tx buffer full, frame not sent: ");
    EXPECT_EQ(trace.size(), 34 - 25);
    const auto sent = switches(r.sent());
    const auto all = allOutputs(0x0F);
    const std::vector<std::pair<int, int>> first25(all.begin(), all.begin() + 25);
    EXPECT_EQ(sent, first25);
    // The run waited at the frame the queue refused and goes on from it.
    EXPECT_TRUE(m.KeypadTimer->isActive());
    EXPECT_EQ(KeypadSwitchAllOn, 0);
    for (int tick = 0; tick < 9; ++tick)
        m.KeypadTimerTimer();
    const std::vector<std::pair<int, int>> rest(all.begin() + 25, all.end());
    EXPECT_EQ(switches(r.sent()), rest);
    EXPECT_FALSE(m.KeypadTimer->isActive());
    EXPECT_EQ(KeypadSwitchAllOn, 1);
    now += 150; // the next status poll
    m.SendChannelOn(1);
    EXPECT_EQ(r.panel(2), "Transmit queue full: frame not sent");
    now += TMainForm::QueueFullShownMs - 150 - 1;
    m.SendChannelOn(1);
    EXPECT_EQ(r.panel(2), "Transmit queue full: frame not sent");
    now += 1;
    m.SendChannelOn(1);
    EXPECT_TRUE(r.panel(2).isEmpty()) << "a frame that fits after five seconds clears the text";
}

// F8, F9 and the keypad "/" reach the window's handler whichever control has
// the focus, and what is typed into an edit still lands in the edit.
TEST(MainKeys, PreviewedWhateverHasTheFocus)
{
    ManualRig r;
    TMainForm &m = r.main();
    m.show();
    m.activateWindow();
    m.TabbedNotebook1->setCurrentIndex(TMainFormUi::PageCanInputs);
    QLineEdit *edit = m.Config.CANmonitorFileLogNameEdit;
    edit->clear();
    edit->setFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), edit);

    press(r, Qt::Key_Slash, Qt::KeypadModifier);
    EXPECT_EQ(edit->text(), "/");
    EXPECT_TRUE(m.KeypadTimer->isActive());
    m.KeypadTimer->stop();

    press(r, Qt::Key_Slash); // the main keyboard's "/" is only typed
    EXPECT_EQ(edit->text(), "//");

    m.FirmwareWindowOpen = 1; // read and upload refuse: their message shows they ran
    r.dialogs.clear();
    press(r, Qt::Key_F8);
    press(r, Qt::Key_F9);
    EXPECT_EQ(r.dialogs.texts(), QStringList(2, "Is not connected to target, please connect USB"));
    EXPECT_EQ(edit->text(), "//");
}
