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
    std::int64_t now = 1000;      // the keypad's clock, in ms
    std::vector<Bytes> frames;    // written to the unit since the test last cleared them
    std::vector<std::int64_t> at; // when each switching frame among them was written
    std::int64_t mark = 0;        // when a row's event began

    ManualRig() : MainRig({"KeeperEntry"})
    {
        connect();
        main().SteadyClockMs = [this] { return now; };
        main().General.RadioButtonManuel->click();
        sent();
    }
    // `ms` of time in steps of 5 ms, each the keypad timer's tick and `passes`
    // of the worker; `during` runs before each step.
    void run(int ms, int passes = 1, const std::function<void()> &during = {})
    {
        for (int t = 0; t < ms; t += 5) {
            if (during)
                during();
            now += 5;
            main().KeypadTimerTimer();
            for (const Bytes &f : sent(passes)) {
                frames.push_back(f);
                if (f.size() > 3 && f[3] == CHANNEL_SWITCH_REQ)
                    at.push_back(now);
            }
        }
    }
    // Runs until `n` switching frames were written, at most 10 s.
    void runUntil(std::size_t n)
    {
        for (int t = 0; t < 10000 && switches(frames).size() < n; t += 5)
            run(5);
    }
    void clear()
    {
        frames.clear();
        at.clear();
    }
};

// Every switching frame at least 25 ms after the one before it.
void ExpectPaced(const std::vector<std::int64_t> &at)
{
    for (std::size_t i = 1; i < at.size(); ++i)
        EXPECT_GE(at[i] - at[i - 1], TMainForm::KeypadPaceMs) << "frame " << i;
}

} // namespace

// The keypad "/" switches all outputs one by one, each frame 25 ms after
// the one before it was written: the first press switches all outputs off,
// the next on; a press during a run follows it. Frames leave in output
// order and paced however the worker writes: one a pass, the link stalled
// while the status poll queues on, or the unit asking for the run's last
// frame again; a click during a run follows it.
TEST(KeypadSwitchAll, FramesPacedByTheTimer)
{
    const struct
    {
        const char *how;
        // Runs before each 5 ms step, given the switching frames so far;
        // returns the worker passes of that step.
        std::function<int(ManualRig &, std::size_t sent)> around;
        bool repeated = false; // the unit asked for the first run's last frame again
        bool clicked = false;  // output 34, shown "On", clicked during the second run
    } cases[] = {
        {"each frame written at the next pass", [](ManualRig &, std::size_t) { return 1; }},
        {"the link stalled for 2 s as the first run ends, the status poll going on",
         [](ManualRig &r, std::size_t sent) {
             if (sent == 30 && r.mark == 0)
                 r.mark = r.now;
             const bool stalled = r.mark != 0 && r.now - r.mark < 2000;
             if (stalled && r.now % 150 == 0)
                 r.main().Timer1Timer();
             return stalled ? 0 : 1;
         }},
        {"the run's last frame sent again, as a serial error asks",
         [](ManualRig &r, std::size_t sent) {
             if (sent == 34 && r.mark == 0) {
                 r.mark = r.now;
                 r.main().usb()->ResendLast();
             }
             return 1;
         },
         true},
        {"output 34 clicked during the second run follows it",
         [](ManualRig &r, std::size_t sent) {
             if (sent == 40 && r.mark == 0) {
                 r.mark = r.now;
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

        for (int t = 0; t < 20000 && (m.KeypadTimer->isActive() || t == 0); t += 5) {
            const int passes = c.around(r, switches(r.frames).size());
            r.run(5, passes);
        }
        for (const Bytes &f : r.sent())
            r.frames.push_back(f);
        EXPECT_FALSE(m.KeypadTimer->isActive());
        std::vector<std::pair<int, int>> expected = allOutputs(0x0F);
        if (c.repeated)
            expected.emplace_back(34, 0x0F);
        const auto on = allOutputs(0xF0);
        expected.insert(expected.end(), on.begin(), on.end());
        if (c.clicked)
            expected.emplace_back(34, 0x0F);
        EXPECT_EQ(switches(r.frames), expected);
        if (!c.repeated)
            ExpectPaced(r.at);
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
// not go on after them. A press meanwhile starts nothing. An output clicked
// during the run, before the link was taken, reaches the unit before the
// transfer's first frame; one the queue refuses is told.
TEST(KeypadSwitchAll, NoSwitchingFrameWhileTheLinkIsTaken)
{
    const struct
    {
        const char *how;
        // Takes the link, runs `during` (keypad timer ticks and a key press)
        // while it is taken, gives it back; returns the frames sent meanwhile.
        TakeLink take;
        bool clickSent = true; // the click before it reaches the unit
    } cases[] = {
        {"transfer flag",
         [](ManualRig &r, const std::function<void()> &during) {
             r.main().TransferBusy = 1;
             during();
             auto frames = r.sent();
             r.main().TransferBusy = 0;
             return frames;
         },
         false},
        {"firmware window opened",
         [](ManualRig &r, const std::function<void()> &during) {
             std::vector<Bytes> frames;
             ToolLaunchers.Firmware = [&](QWidget *) {
                 frames = r.sent();
                 during();
                 const auto more = r.sent();
                 frames.insert(frames.end(), more.begin(), more.end());
             };
             r.main().Firmware1Click();
             ToolLaunchers.Firmware = nullptr;
             return frames;
         }},
        {"read of all settings (F8)",
         [](ManualRig &r, const std::function<void()> &during) {
             return readStartedBy(&TMainForm::BtnLoadClick)(r, during);
         }},
        {"automatic read from its timer", readStartedBy(&TMainForm::TimerSerialTimer)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.how);
        ManualRig r;
        TMainForm &m = r.main();
        m.KeypadSwitchAll();
        r.runUntil(5);
        ASSERT_EQ(switches(r.frames).size(), 5u);
        TzColorBtn *button = m.General.ChannelButtons[34];
        button->SetCaption("Off");
        button->Click();
        r.dialogs.clear();

        r.clear();
        std::vector<Bytes> during = c.take(r, [&] {
            r.run(300);
            m.KeypadSwitchAll();
            r.run(300);
        });
        vcl::ScriptedDialogs::deliverPosted();
        const std::vector<std::pair<int, int>> click{{34, 0xF0}};
        EXPECT_EQ(switches(during), c.clickSent ? click : decltype(click){});
        if (c.clickSent && !during.empty()) {
            EXPECT_EQ(during.front()[3], CHANNEL_SWITCH_REQ) << "before anything of the transfer";
        }
        const QStringList told{"Output 34 was not switched: the unit is not connected."};
        EXPECT_EQ(r.dialogs.texts(), c.clickSent ? QStringList{} : told);
        EXPECT_TRUE(switches(r.frames).empty());
        EXPECT_FALSE(m.KeypadTimer->isActive());

        // Afterwards nothing follows by itself; the next press repeats the
        // run that was cut short, from the first output.
        r.clear();
        r.run(300);
        EXPECT_TRUE(switches(r.frames).empty());
        m.KeypadSwitchAll();
        r.run(2000);
        EXPECT_EQ(switches(r.frames), allOutputs(0x0F));
    }
}

// A service tool that talks to the unit opens with the link to itself: the
// keypad run going when it opens sends nothing more, during it or after it,
// but a click waiting behind the run goes out before the tool opens.
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
        m.KeypadSwitchAll();
        m.KeypadSwitchAll();
        r.runUntil(5);
        ASSERT_EQ(switches(r.frames).size(), 5u);
        TzColorBtn *button = m.General.ChannelButtons[34];
        button->SetCaption("On");
        button->Click();
        r.clear();
        std::vector<Bytes> before;
        ToolLaunchers.*c.launcher = [&](QWidget *) {
            before = r.sent();
            r.clear();
            r.run(600);
        };
        (m.*c.open)();
        ToolLaunchers.*c.launcher = nullptr;
        r.run(600);
        EXPECT_EQ(switches(before), (std::vector<std::pair<int, int>>{{34, 0x0F}}));
        EXPECT_TRUE(switches(r.frames).empty());
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

    // The held key's run alone, with none queued behind it.
    r.run(3000);
    EXPECT_FALSE(m.KeypadTimer->isActive());
    std::vector<std::pair<int, int>> expected = allOutputs(0x0F);
    EXPECT_EQ(switches(r.frames), expected);

    const auto press = [&] {
        now += 100;
        key(QEvent::KeyPress, false);
        now += 80;
        key(QEvent::KeyRelease, false);
    };
    press();
    r.run(50);
    press();
    press();
    r.run(8000);
    EXPECT_FALSE(m.KeypadTimer->isActive());
    for (const auto &more : {allOutputs(0xF0), allOutputs(0x0F), allOutputs(0xF0)})
        expected.insert(expected.end(), more.begin(), more.end());
    EXPECT_EQ(switches(r.frames), expected);
    ExpectPaced(r.at);
}

// Closing or opening the device stops a keypad run, as a transfer does: its
// frames would be dropped with the closed device's queue or reach the new
// link in the middle of its password exchange; so does choosing "Auto", in
// which the unit drops them. The run is not counted as done: the next press
// repeats it from the first output. A run counts once its last frame was
// written, also when the firmware window opens while it waits; a click
// waiting behind a run the link took away is told as not switched.
TEST(KeypadSwitchAll, ClosingOrOpeningTheDeviceStopsTheRun)
{
    const struct
    {
        const char *how;
        std::function<void(ManualRig &)> event;
        int next = 0x0F; // how the next run switches
        const char *told = nullptr;
    } cases[] = {
        {"selection window opened", [](ManualRig &r) { r.forms->UsbSelect->FormActivate(); }},
        {"selection window's OK",
         [](ManualRig &r) {
             r.forms->UsbSelect->FormActivate();
             r.forms->UsbSelect->BtnOpenClick();
         }},
        {"a connect", [](ManualRig &r) { r.connect(); }},
        {"a connect that fails", [](ManualRig &r) { r.connect("No such unit"); }},
        {"device lost", [](ManualRig &r) { r.pull(); }},
        {"device back",
         [](ManualRig &r) {
             r.pull();
             r.plugBack();
         }},
        {"device lost once the run queued its last frame, before it was written",
         [](ManualRig &r) {
             r.runUntil(33);
             r.run(100, 0); // the last frame queued, not written
             r.pull();
         }},
        {"firmware window opened once the run queued its last frame, closed without an update",
         [](ManualRig &r) {
             r.runUntil(33);
             r.run(100, 0); // the last frame queued, not written
             ToolLaunchers.Firmware = [&](QWidget *) { r.run(100); };
             r.main().Firmware1Click();
             ToolLaunchers.Firmware = nullptr;
         },
         0xF0},
        {"a click behind the run, then the device lost",
         [](ManualRig &r) {
             TzColorBtn *button = r.main().General.ChannelButtons[34];
             button->SetCaption("On");
             button->Click();
             r.pull();
         },
         0x0F, "Output 34 was not switched: the unit is not connected."},
        {"a press while the device is lost",
         [](ManualRig &r) {
             r.pull();
             r.main().KeypadSwitchAll();
             r.run(300);
         }},
        {"Auto chosen, then manual mode again",
         [](ManualRig &r) {
             r.main().General.RadioButtonAuto->click();
             // Long enough for the rest of a run that went on in automatic
             // mode, where no switching frame goes out.
             r.run(2000);
             r.main().General.RadioButtonManuel->click();
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.how);
        ManualRig r;
        TMainForm &m = r.main();
        m.TimerSerial->stop();
        m.KeypadSwitchAll();
        r.runUntil(5);
        ASSERT_EQ(switches(r.frames).size(), 5u);
        r.dialogs.clear();
        c.event(r);
        r.run(50);
        vcl::ScriptedDialogs::deliverPosted();
        EXPECT_EQ(r.dialogs.texts(), c.told ? QStringList{c.told} : QStringList{});
        EXPECT_FALSE(m.KeypadTimer->isActive());
        r.backend->present = true;
        r.connect();
        m.TimerSerial->stop();
        r.clear();
        r.run(300);
        EXPECT_TRUE(switches(r.frames).empty());
        m.KeypadSwitchAll();
        r.run(2000);
        EXPECT_EQ(switches(r.frames), allOutputs(c.next));
    }
}

// The status poll fills the queue (a worker that does not get to write):
// the run's frame is refused, reported, and offered again until it fits,
// also when the worker frees a slot between the refusal and anything the
// run asks afterwards; it loses no output, and the report stays long enough
// to be read.
TEST(KeypadSwitchAll, FullQueueIsShownAndKeepsItsFrames)
{
    ManualRig r;
    TMainForm &m = r.main();
    r.fillQueue();
    TraceEnabled = 1;
    // The worker frees a slot just as the refusal is traced.
    bool freeOne = true;
    r.forms->Log->Clock = [&] {
        if (std::exchange(freeOne, false))
            r.sent(1);
        return 0u;
    };
    m.KeypadSwitchAll();
    r.run(30, 0);
    TraceEnabled = 0;
    EXPECT_EQ(r.panel(2), "Transmit queue full: frame not sent");
    EXPECT_TRUE(r.forms->Log->RichEdit->toPlainText().contains("Tx buffer full, frame not sent: "));
    EXPECT_TRUE(m.KeypadTimer->isActive()) << "the run waits at the frame the queue refused";
    r.run(3000);
    EXPECT_EQ(switches(r.frames), allOutputs(0x0F));
    EXPECT_FALSE(m.KeypadTimer->isActive());
    EXPECT_EQ(KeypadSwitchAllOn, 1);

    r.fillQueue();
    m.SendChannelOn(1);
    EXPECT_EQ(r.panel(2), "Transmit queue full: frame not sent");
    r.sent(60);
    r.now += TMainForm::QueueFullShownMs - 1;
    m.SendChannelOn(1);
    EXPECT_EQ(r.panel(2), "Transmit queue full: frame not sent");
    r.now += 1;
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
