#include "tests/main/MainRig.h"

#include "main/Login.h"
#include "main/LogUnit.h"
#include "link/UsbSelectUnit.h"
#include "main/ToolWindows.h"
#include "main/WindowPlace.h"
#include "platform/vcl/IniFile.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <random>

using namespace devlink;
using testsupport::Bytes;
using testsupport::MainRig;

// ---- start-up and close ------------------------------------------------------

TEST(MainStartup, MasterKeywordOnlyAsAWholeCaseSensitiveArgument)
{
    struct Case
    {
        QStringList args;
        bool master;
    } cases[] = {{{}, false},
                 {{"KeeperEntry"}, true},
                 {{"-x", "KeeperEntry"}, true},
                 {{"keeperentry"}, false},
                 {{"KeeperEntry2"}, false},
                 {{"xKeeperEntry"}, false}};
    for (const auto &c : cases) {
        MainRig r(c.args);
        EXPECT_EQ(r.main().MasterAccess != 0, c.master) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.panel(1), c.master ? "Master" : "");
        EXPECT_EQ(r.main().SetPasswordBtn->isVisible() || r.main().SetPasswordBtn->isEnabled(),
                  c.master);
    }
}

TEST(MainStartup, FirstRunDefaultsAndWindowSkeleton)
{
    MainRig r;
    TMainForm &m = r.main();
    EXPECT_EQ(m.windowTitle(), "QM5230 Tessaron");
    EXPECT_EQ(m.LoginPassword, "");
    EXPECT_EQ(m.ReadOnlyPassword, "8061");
    EXPECT_EQ(m.ReadWritePassword, "KTVW");
    ASSERT_EQ(m.TabbedNotebook1->count(), 12);
    EXPECT_EQ(m.TabbedNotebook1->tabText(0), "General");
    EXPECT_EQ(m.TabbedNotebook1->tabText(11), "Socket info");
    EXPECT_TRUE(m.Production1->menuAction()->isVisible());
    EXPECT_EQ(m.Read2->text(), "Read               F8");
    EXPECT_FALSE(m.Read2->isEnabled()) << "no access before a unit answered";
    EXPECT_EQ(m.StatusPanels[0]->width(), 200);
    EXPECT_EQ(m.StatusPanels[0]->alignment(), Qt::AlignCenter);
    EXPECT_EQ(Connected, 0);
    m.close();
    ASSERT_TRUE(QFile::exists(r.iniPath()));
    EXPECT_EQ(QFile(r.iniPath()).permissions() & (QFile::ReadOther | QFile::ReadGroup), 0)
        << "the INI holds passwords";
}

TEST(MainStartup, CloseWritesTheIniAndKeepsForeignSections)
{
    const QByteArray ini = "[FIRMWARE]\r\nPATH=C:\\fw\\unit.hex\r\n[Form]\r\nWidth=900\r\n"
                           "[FIA]\r\nPATH=/tmp/x.hex\r\n[PASSWORD]\r\nLOGIN=secret\r\n";
    {
        MainRig r({}, ini);
        EXPECT_EQ(r.main().LoginPassword, "secret");
        EXPECT_EQ(r.main().width(), 900);
        r.main().LoginPassword = "neu";
        r.main().ConfigPath = "/data/cfg/unit.cfg";
        r.main().close();
        vcl::TIniFile after(r.iniPath());
        EXPECT_EQ(after.ReadString("FIRMWARE", "PATH", ""), "C:\\fw\\unit.hex");
        EXPECT_EQ(after.ReadString("FIA", "PATH", ""), "/tmp/x.hex");
        EXPECT_EQ(after.ReadString("PASSWORD", "LOGIN", ""), "neu");
        EXPECT_EQ(after.ReadString("PASSWORD", "SETREADONLY", ""), "8061");
        EXPECT_EQ(after.ReadString("CONFIG", "PATH", ""), "/data/cfg/unit.cfg");
        EXPECT_EQ(after.ReadInteger("Form", "InitMax", -1), 0);
        EXPECT_EQ(r.main().usb()->linkState(), LinkClosed);
    }
}

// The window's frame position comes back where it was, run after run; a
// window minimised at close is not stored as maximised.
TEST(MainStartup, WindowPlacementRoundTrips)
{
    const struct
    {
        Qt::WindowStates state;
        int initMax;
    } cases[] = {
        {Qt::WindowNoState, 0},
        {Qt::WindowMaximized, 1},
        {Qt::WindowMinimized, 0},
        {Qt::WindowMinimized | Qt::WindowMaximized, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.state));
        QByteArray ini = "[Form]\r\nTop=120\r\nLeft=80\r\nWidth=1100\r\n";
        for (int run = 0; run < 3; ++run) {
            MainRig r({}, ini);
            r.main().show();
            QCoreApplication::processEvents();
            r.main().setWindowState(c.state);
            QCoreApplication::processEvents();
            r.main().close();
            vcl::TIniFile after(r.iniPath());
            EXPECT_EQ(after.ReadInteger("Form", "Top", -1), 120) << run;
            EXPECT_EQ(after.ReadInteger("Form", "Left", -1), 80) << run;
            EXPECT_EQ(after.ReadInteger("Form", "Width", -1), 1100) << run;
            EXPECT_EQ(after.ReadInteger("Form", "InitMax", -1), c.initMax) << run;
            QFile f(r.iniPath());
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            ini = f.readAll();
            ini.replace("InitMax=1", "InitMax=0"); // every run starts normal
        }
    }
}

// A stored place whose title bar the user could not grab (a screen since
// removed, a title bar above the top or below the bottom, only the frame's
// corner on the screen) comes onto it, the whole frame; any other stays as
// stored. Frames of 1000 x 740 with a title bar of 20 on 1280 x 1024.
TEST(MainStartup, StoredPlaceOffTheScreenComesOntoIt)
{
    const QRect screen(0, 0, 1280, 1024);
    const struct
    {
        const char *what;
        QRect frame;
        QPoint placed;
    } cases[] = {
        {"inside", {100, 117, 1000, 740}, {100, 117}},
        {"sticking out right and below, title bar to grab",
         {1280 - TitleBarGrip, 1004, 1000, 740},
         {1280 - TitleBarGrip, 1004}},
        {"wider than the screen", {80, 120, 1400, 740}, {80, 120}},
        {"narrower than the grip, all of its title bar on", {1200, 100, 80, 50}, {1200, 100}},
        {"title bar above the top", {100, -3, 1000, 740}, {100, 0}},
        {"left of the screen", {-500, 200, 1000, 740}, {0, 200}},
        {"on a screen to the right", {2500, 200, 1000, 740}, {280, 200}},
        {"below and wider", {-20, 1100, 1400, 740}, {0, 284}},
        // Only the corner of the frame on the screen.
        {"only the corner on", {1270, 1000, 1000, 740}, {280, 284}},
        {"too little title bar beside the right edge",
         {1281 - TitleBarGrip, 200, 1000, 740},
         {280, 200}},
        {"title bar cut by the bottom", {100, 1005, 1000, 740}, {100, 284}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PlaceOnScreen(c.frame, 20, screen), c.placed);
        EXPECT_TRUE(c.placed == c.frame.topLeft() ||
                    screen.contains(QRect(c.placed, c.frame.size())) ||
                    c.frame.width() > screen.width());
    }
    const QRect panelBelowATopBar(0, 24, 1280, 1000);
    EXPECT_EQ(PlaceOnScreen({300, 10, 1000, 740}, 20, panelBelowATopBar), QPoint(280, 24));
}

TEST(MainStartup, TraceWindowLinesAreTimeStampedAndSwitchable)
{
    MainRig r;
    TLogForm &log = *r.forms->Log;
    log.Clock = [] { return 905u; };
    TraceEnabled = 0;
    log.AddLine("before", 0x008000);
    EXPECT_TRUE(log.RichEdit->toPlainText().isEmpty());
    r.connect();
    log.Offline1Click();
    Bytes f{0xC0, 0x03, 0x04, 0x01, 0x06, 0xC0};
    r.main().usb()->Send(f.data(), 6);
    EXPECT_EQ(log.RichEdit->toPlainText(), "905 -> Tx;add to Tx buffer: 192 3 4 1 6 192 ");
    log.Offline1Click();
    log.AddLine("after", 0x008000);
    EXPECT_FALSE(log.RichEdit->toPlainText().contains("after"));
    log.Clear1Click();
    EXPECT_TRUE(log.RichEdit->toPlainText().isEmpty());
}

// ---- connection --------------------------------------------------------------

TEST(MainConnection, ConnectPullReplugFollowTheStateTable)
{
    MainRig r;
    r.main().Connect("nobody");
    EXPECT_EQ(r.panel(0), "NOT CONNECTED");
    EXPECT_EQ(Connected, 0);

    r.connect();
    EXPECT_EQ(Connected, 1);
    EXPECT_EQ(r.panel(0), "USB CONNECTED");
    EXPECT_EQ(r.main().LinkUp, 1);
    EXPECT_EQ(r.main().AutoReadPending, 1);

    // Any first frame draws a password request; the answer grants access.
    r.receive(MainRig::frame(1, VERSION_CFM, Bytes(20, 0)));
    EXPECT_EQ(MainRig::commands(r.sent()), std::vector<std::uint8_t>{PASSWORD_READ_REQ});
    r.receive(MainRig::passwords({}, {}));
    EXPECT_EQ(r.panel(1), "Read / Write");
    EXPECT_TRUE(r.main().Read2->isEnabled());
    EXPECT_TRUE(r.main().TimerSerial->isActive()) << "the first accepted frame starts the read";

    // Pulled out.
    r.backend->present = false;
    r.backend->state->gone = true;
    r.main().usb()->Pass();
    EXPECT_EQ(r.panel(0), "USB DISCONNECTED");
    EXPECT_EQ(r.panel(1), "");
    EXPECT_EQ(r.main().LinkUp, 0);
    EXPECT_EQ(Connected, 1);
    EXPECT_FALSE(r.main().Read2->isEnabled());

    // Back again: a new password exchange and a new automatic read.
    r.backend->present = true;
    r.main().TimerSerial->stop();
    r.main().usb()->Pass();
    EXPECT_EQ(r.panel(0), "USB CONNECTED");
    EXPECT_EQ(r.main().AutoReadPending, 1);
    r.receive(MainRig::frame(1, STATISTICS_CFM, {1, 2, 3, 4}));
    EXPECT_EQ(MainRig::commands(r.sent()), std::vector<std::uint8_t>{PASSWORD_READ_REQ});

    // The selection window closes the device; Cancel leaves it closed.
    devlink::TUSB_SelectForm &select = *r.forms->UsbSelect;
    select.FormActivate();
    EXPECT_EQ(r.panel(0), "USB DISCONNECTED");
    select.BtnCancelClick();
    EXPECT_EQ(r.panel(0), "USB DISCONNECTED");
    EXPECT_EQ(Connected, 1);
    select.FormActivate();
    select.BtnOpenClick();
    EXPECT_EQ(r.panel(0), "USB CONNECTED");
}

// A frame that cannot be queued is told in the status bar with the reason:
// a full queue of an open link, or no device open. On a closed or lost link
// nothing is queued, and the polls do not even try.
TEST(MainConnection, RefusedFrameTellsWhy)
{
    const struct
    {
        const char *how;
        std::function<void(MainRig &)> link;
        const char *shown;
    } cases[] = {
        {"open, the unit takes nothing", [](MainRig &) {}, "Transmit queue full: frame not sent"},
        {"closed by the selection window",
         [](MainRig &r) {
             r.forms->UsbSelect->FormActivate();
             r.forms->UsbSelect->BtnCancelClick();
         },
         "Unit not connected: frame not sent"},
        {"lost", [](MainRig &r) { r.pull(); }, "Unit not connected: frame not sent"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.how);
        MainRig r({"KeeperEntry"});
        r.connect();
        c.link(r);
        const bool open = r.main().usb()->linkState() == LinkOpen;
        for (int i = 0; i < 30; ++i) {
            r.main().Timer1Timer();
            r.main().TimerVersionTimer();
        }
        EXPECT_EQ(r.panel(2), open ? c.shown : "") << "the polls";
        for (int i = 0; i < 30; ++i)
            r.main().SendRequest(NodeApplication, BOX_STATUS_REQ);
        EXPECT_EQ(r.panel(2), c.shown);
        EXPECT_EQ(r.main().usb()->QueueFull(), open);
        if (!open) {
            for (const auto &slot : r.main().usb()->queueSnapshot())
                EXPECT_EQ(slot.Used, 0);
        }
    }
}

TEST(MainConnection, WrongPasswordBoxComesAfterTheFrameWasHandled)
{
    MainRig r;
    r.main().LoginPassword = "abc";
    r.connect();
    r.receive(MainRig::passwords({'A', 'B', 'C'}, {'X'}));
    EXPECT_EQ(r.panel(1), "Wrong password");
    EXPECT_EQ(r.dialogs.count(), 0) << "no box inside the frame's handling";
    QCoreApplication::processEvents();
    ASSERT_EQ(r.dialogs.count(), 1);
    EXPECT_EQ(r.dialogs.last().text, "Wrong password.\n\nUnable to read or write data!");
    EXPECT_FALSE(r.main().Read2->isEnabled());
    EXPECT_FALSE(r.main().TimerSerial->isActive());
    // Without access, further events are dropped.
    r.receive(MainRig::frame(1, VERSION_CFM, {'9', '.', '0', '0', 0}));
    EXPECT_TRUE(r.main().VersionText.isEmpty());
}

TEST(MainConnection, ErasedUnitGrantsNothing)
{
    MainRig r;
    r.connect();
    r.receive(MainRig::passwords(Bytes(9, 0xFF), Bytes(9, 0xFF)));
    QCoreApplication::processEvents();
    EXPECT_EQ(r.panel(1), "Wrong password");
}

// ---- dispatcher --------------------------------------------------------------

TEST(MainDispatcher, VersionStatisticsAndResend)
{
    MainRig r({"KeeperEntry"});
    r.connect();
    Bytes version(20, 0);
    version[0] = '8';
    version[1] = '.';
    version[2] = '5';
    version[3] = '2';
    version[13] = 0x00;
    version[14] = 0x01;
    version[15] = 0x2C;
    r.receive(MainRig::frame(1, VERSION_CFM, version));
    EXPECT_EQ(r.main().VersionText, "8.52");
    EXPECT_EQ(r.main().PowerUpSeconds, 300u);
    EXPECT_EQ(r.main().VersionReplySeen, 1);
    // The text runs over the seconds' bytes up to its NUL, 20 characters at most.
    Bytes longText(24, 0);
    for (std::size_t i = 0; i < longText.size(); ++i)
        longText[i] = static_cast<std::uint8_t>('A' + i);
    r.receive(MainRig::frame(1, VERSION_CFM, longText, 28));
    EXPECT_EQ(r.main().VersionText, "ABCDEFGHIJKLMNOPQRST");
    r.receive(MainRig::frame(1, STATISTICS_CFM, {0x2C, 0x01, 55, 3}));
    EXPECT_EQ(r.main().MaxCurrent, 300);
    EXPECT_EQ(r.main().MaxTemperature, 55);
    EXPECT_EQ(r.main().WatchdogCount, 3);

    r.main().SendRequest(1, MODE_REQ, {1});
    r.sent();
    r.receive(MainRig::frame(0, SERIAL_ERROR_IND));
    r.receive(MainRig::frame(0, SERIAL_ERROR_IND));
    const auto again = r.sent();
    ASSERT_EQ(again.size(), 1u) << "a resend repeats the last frame once";
    EXPECT_EQ(again[0], (Bytes{0x26, 0x05, 0x01, 0x23, 0x01}));
}

// Frames whose Length does not fit what arrived are checksum errors and
// never read outside what was received (run under AddressSanitizer); the
// trace shows the frame's Length bytes, never more than arrived.
TEST(MainDispatcher, MalformedFramesAreChecksumErrors)
{
    MainRig r({"KeeperEntry"});
    TraceEnabled = 1;
    r.forms->Log->Clock = [] { return 1u; };
    r.connect();
    const struct
    {
        int length;
        Bytes tail; // after node and command
        const char *shown;
    } cases[] = {
        {0, {0x41, 0x42}, ""},
        {1, {0x41, 0x42}, "C"},
        {3, {0x41, 0x42}, "C 3 1"},
        {255, {0x41, 0x42}, "C 255 1 135 65 66"},
        {30, {0x41, 0x42}, "C 30 1 135 65 66"},
        {6, {0x41, 0x42, 0x43, 0x44}, "C 6 1 135 65 66"}, // bad checksum, two bytes more
    };
    for (const auto &c : cases) {
        r.forms->Log->RichEdit->clear();
        Bytes f{0x00, static_cast<std::uint8_t>(c.length), 1, VERSION_CFM};
        f.insert(f.end(), c.tail.begin(), c.tail.end());
        f[0] = static_cast<std::uint8_t>(FrameChecksum(f.data() + 1, f.size() - 1) ^ 0x80);
        r.receive(f);
        EXPECT_TRUE(r.main().VersionText.isEmpty()) << c.length;
        QString expected = QString::fromLatin1(c.shown);
        expected.replace("C", QString::number(f[0]));
        if (!expected.isEmpty())
            expected += ' ';
        const QStringList lines = r.forms->Log->RichEdit->toPlainText().split('\n');
        EXPECT_TRUE(lines.contains("1 Checksum error " + expected))
            << c.length << ": " << lines.join('|').toStdString();
    }
    r.forms->Log->RichEdit->clear();
    r.receive({0x01, 0x02});
    EXPECT_TRUE(r.forms->Log->RichEdit->toPlainText().split('\n').contains(
        "1 Checksum error 1 2 "));
    TraceEnabled = 0;
}

TEST(MainDispatcher, IgnoredEventsChangeNothing)
{
    MainRig r({"KeeperEntry"});
    r.connect();
    for (std::uint8_t code : {0x88, 0xDC, 0x20, 0xFF, 0x00})
        r.receive(MainRig::frame(1, code, Bytes(30, 0x77)));
    EXPECT_TRUE(r.main().VersionText.isEmpty());
    EXPECT_TRUE(r.sent().empty());
}

// ---- supervision -------------------------------------------------------------

TEST(MainSupervision, SeventhSilentTickBlanksAndTheNextReplyResendsTheMode)
{
    MainRig r({"KeeperEntry"});
    r.connect();
    for (int tick = 1; tick <= 7; ++tick) {
        r.main().TimerVersionTimer();
        EXPECT_EQ(r.main().LinkLost, tick == 7 ? 1 : 0) << "tick " << tick;
    }
    r.sent();
    r.receive(MainRig::frame(1, VERSION_CFM, Bytes(20, 0)));
    r.main().TimerVersionTimer();
    EXPECT_EQ(r.main().LinkLost, 0);
    const auto cmds = MainRig::commands(r.sent());
    EXPECT_EQ(std::count(cmds.begin(), cmds.end(), MODE_REQ), 1);
    EXPECT_EQ(std::count(cmds.begin(), cmds.end(), VERSION_REQ), 1);
}

TEST(MainSupervision, NothingIsSentWithoutConnectionOrWhileBusy)
{
    MainRig r({"KeeperEntry"});
    auto pollAll = [&] {
        r.main().TimerVersionTimer();
        for (int i = 0; i < 3; ++i)
            r.main().Timer1Timer();
        r.main().TabbedNotebook1Change(1);
        r.main().TabbedNotebook1Change(0);
        return r.sent();
    };
    // Not connected: the queue stays empty even once a device is open.
    EXPECT_EQ(r.main().usb()->Open("Unit A"), 1);
    EXPECT_TRUE(pollAll().empty());
    r.connect();
    r.main().FirmwareWindowOpen = 1;
    EXPECT_TRUE(pollAll().empty());
    r.main().FirmwareWindowOpen = 0;
    r.main().TransferBusy = 1;
    EXPECT_TRUE(pollAll().empty());
    r.main().TransferBusy = 0;
    const auto cmds = MainRig::commands(pollAll());
    EXPECT_EQ(cmds, (std::vector<std::uint8_t>{VERSION_REQ, STATISTICS_REQ, BOX_STATUS_REQ,
                                               CHANNEL_STATUS_REQ, INPUT_STATUS_REQ,
                                               DIAGNOSTIC_READ_REQ}));
}

TEST(MainSupervision, StatusPollOnlyOnTheGeneralPage)
{
    MainRig r({"KeeperEntry"});
    r.connect();
    r.main().TabbedNotebook1->setCurrentIndex(3);
    EXPECT_FALSE(r.main().Timer1->isActive());
    r.main().Timer1Timer();
    EXPECT_TRUE(r.sent().empty());
    r.main().TabbedNotebook1->setCurrentIndex(0);
    EXPECT_TRUE(r.main().Timer1->isActive());
}

// ---- login and passwords -----------------------------------------------------

TEST(MainPasswords, SetPasswordWindowWritesAndReads)
{
    MainRig r({"KeeperEntry"});
    r.connect();
    TSetPasswordForm &w = *r.forms->SetPassword;
    w.ReadOnlyPassEdit->setText("");
    w.ReadWritePassEdit->setText(" rw12 ");
    w.WriteBtnClick();
    auto frames = r.sent();
    ASSERT_EQ(frames.size(), 1u);
    Bytes expect(23, 0);
    expect[1] = 23;
    expect[2] = 1;
    expect[3] = 0x6A;
    expect[13] = 'r';
    expect[14] = 'w';
    expect[15] = '1';
    expect[16] = '2';
    expect[0] = FrameChecksum(expect.data() + 1, 22);
    EXPECT_EQ(frames[0], expect);

    w.show();
    r.receive(MainRig::passwords(Bytes(9, 0xFF), {'K', 'T'}));
    EXPECT_EQ(w.ReadOnlyPassEdit->text(), "--------");
    EXPECT_EQ(w.ReadWritePassEdit->text(), "KT");
    EXPECT_TRUE(w.OKlabel->isVisible());
    w.hide();
}

TEST(MainPasswords, LoginFieldHidesTypedText)
{
    MainRig r;
    EXPECT_EQ(r.forms->Login->PasswordEdit->echoMode(), QLineEdit::Password);
    EXPECT_EQ(r.forms->Login->PasswordEdit->maxLength(), 8);
}

TEST(MainSupervision, CaptionFollowsWhereTheSettingsCameFrom)
{
    MainRig r;
    auto *name = r.main().findChild<QLineEdit *>("EditBoxName");
    ASSERT_NE(name, nullptr);
    r.main().TimerVersionTimer();
    EXPECT_EQ(r.main().windowTitle(), "QM5230 Tessaron");
    r.main().FileLoaded = 1;
    r.main().ConfigFileName = "truck.cfg";
    r.main().TimerVersionTimer();
    EXPECT_EQ(r.main().windowTitle(), "Tessaron Tool - [ truck.cfg ]");
    r.main().ReadFromDevice = 1;
    name->setText("");
    r.main().TimerVersionTimer();
    EXPECT_EQ(r.main().windowTitle(), "Tessaron Tool - [ No Name ]");
    name->setText("Pump 7");
    r.main().TimerVersionTimer();
    EXPECT_EQ(r.main().windowTitle(), "Tessaron Tool - [ Pump 7 ]");
}

// Whatever a misbehaving unit sends, the dispatcher and the handlers it calls
// stay inside the received bytes (run under AddressSanitizer).
TEST(MainDispatcher, RandomFramesFromAMisbehavingUnit)
{
    for (const QStringList &args : {QStringList{"KeeperEntry"}, QStringList{}}) {
        MainRig r(args);
        r.connect();
        std::mt19937 rng(7);
        for (int i = 0; i < 3000; ++i) {
            Bytes f(4 + rng() % 80);
            for (auto &b : f)
                b = static_cast<std::uint8_t>(rng());
            f[2] = static_cast<std::uint8_t>(rng() % 3);
            if (rng() % 2) {
                f[1] = static_cast<std::uint8_t>(f.size());
                f[0] = FrameChecksum(f.data() + 1, f.size() - 1);
            }
            r.main().ProcessFrame(f.data(), f.size());
        }
        r.sent(5); // whatever was queued goes out without trouble
    }
}
