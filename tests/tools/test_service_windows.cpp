// The ping, system setup and About windows on their own, with the main
// window of MainRig behind them where they need it.
#include "tests/main/MainRig.h"

#include "link/DeviceCommands.h"
#include "tools/About.h"
#include "tools/CalibrationUnit.h"
#include "tools/EEPROM.h"
#include "tools/FIA_Unit.h"
#include "tools/PingUnit.h"
#include "tools/RuntimeErrorUnit.h"
#include "tools/SystemSetup.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include <QValidator>

#include <gtest/gtest.h>

using namespace devlink;
using testsupport::Bytes;
using testsupport::MainRig;

namespace {

struct SentFrames
{
    std::vector<Bytes> frames;
    auto sink()
    {
        return [this](const std::uint8_t *f, std::uint8_t n) {
            frames.emplace_back(f, f + n);
            return TxOutcome{};
        };
    }
};

// The unit's echo of the last ping, its first byte changed by `flip` (an
// empty payload then gets a byte too many).
Bytes Echo(std::uint8_t flip = 0)
{
    const std::uint8_t n = LastPing[PingCountAt];
    if (n == 0 && flip)
        return MainRig::frame(NodeSystem, PING_CFM, {1, flip});
    Bytes data{n};
    for (std::uint8_t i = 0; i < n; ++i)
        data.push_back(static_cast<std::uint8_t>(LastPing[PingDataAt + i] ^ (i == 0 ? flip : 0)));
    return MainRig::frame(NodeSystem, PING_CFM, data);
}

void Deliver(TFrameHandler &handler, const Bytes &frame)
{
    Bytes buffer(256, 0); // as the decoder hands frames over
    std::copy(frame.begin(), frame.end(), buffer.begin());
    handler.HandleFrame(buffer.data(), frame.size());
}

int Lines(const TPingForm &form, const QString &text)
{
    return static_cast<int>(form.Memo1->toPlainText().count(text));
}

struct PingFixture : ::testing::Test
{
    vcl::ScriptedDialogs dialogs;
    SentFrames sent;
    TPingForm form;
    PingFixture()
    {
        form.Send = sent.sink();
        form.Clock = [] { return QTime(12, 0, 5, 250); };
        form.Seed(5230);
    }
    void tick(int times)
    {
        for (int i = 0; i < times; ++i)
            form.Timer1Timer();
    }
};

} // namespace

// ---- ping ----

// A unit answering within a tick gets one ping a tick.
TEST_F(PingFixture, AnsweredPingsGoOutOnEveryTick)
{
    form.BtnTimerClick();
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(form.Timer1->interval(), 500);
    for (int i = 0; i < 5; ++i) {
        tick(1);
        Deliver(form, Echo());
    }
    ASSERT_EQ(sent.frames.size(), 5u);
    EXPECT_EQ(form.PingsSent, 5);
    EXPECT_EQ(form.Answers, 5);
    EXPECT_EQ(form.ErrorCount, 0);
    EXPECT_EQ(form.LabelErrorCount->text(), "0");
    EXPECT_EQ(Lines(form, "5:250: PING_REQ - Data: "), 5);
    EXPECT_EQ(Lines(form, "5:250: PING_CFM - Data: "), 5);
}

// No answer: " Timeout error" every 52 ticks, each lost ping counted once.
TEST_F(PingFixture, SilentUnitTimesOut)
{
    form.BtnTimerClick();
    tick(51);
    EXPECT_EQ(Lines(form, " Timeout error"), 0);
    tick(1);
    EXPECT_EQ(Lines(form, " Timeout error"), 1);
    tick(52);
    EXPECT_EQ(Lines(form, " Timeout error"), 2);
    EXPECT_EQ(form.PingsSent, 2);
    EXPECT_EQ(form.LabelErrorCount->text(), "2");
    tick(1);
    EXPECT_EQ(form.PingsSent, 3);
}

// A wrong echo is reported and counted once, though its ping later times out;
// a corrupted frame is reported and counted only when its ping is lost.
TEST_F(PingFixture, WrongAndCorruptAnswers)
{
    form.BtnTimerClick();
    tick(1);
    Deliver(form, Echo(0x01));
    EXPECT_EQ(Lines(form, " ERROR in data"), 1);
    EXPECT_EQ(form.LabelErrorCount->text(), "1");
    EXPECT_EQ(PingWaiting, 1);
    tick(51);
    EXPECT_EQ(Lines(form, " Timeout error"), 1);
    EXPECT_EQ(form.ErrorCount, 1);

    tick(1);
    Bytes corrupt = Echo();
    corrupt[0] ^= 0x40;
    Deliver(form, corrupt);
    EXPECT_EQ(Lines(form, "Chksum Error...."), 1);
    EXPECT_EQ(form.ErrorCount, 1);
    // Frames of node 1 are none of the ping's business.
    Deliver(form, MainRig::frame(NodeApplication, PING_CFM, {0}));
    EXPECT_EQ(Lines(form, "PING_CFM"), 1);
}

TEST_F(PingFixture, IntervalMustBeMilliseconds)
{
    for (const char *text : {"abc", "0", "-5", "60001", ""}) {
        form.TimeEdit->setText(text);
        form.BtnTimerClick();
        EXPECT_FALSE(form.Timer1->isActive()) << text;
    }
    EXPECT_EQ(dialogs.count(), 5);
    EXPECT_EQ(dialogs.last().text, "Not a valid timer interval, 1-60000 ms");
    form.TimeEdit->setText("20");
    form.BtnTimerClick();
    EXPECT_EQ(form.Timer1->interval(), 20);
}

// ---- system setup ----

TEST(SystemSetupWindow, ShowsTheUnitsIdentity)
{
    MainRig rig;
    rig.main().VersionText = "8.52";
    SentFrames sent;
    TSystemSetupForm form;
    form.Send = sent.sink();
    form.FormActivate();
    EXPECT_EQ(form.MaunUnitVersion->text(), "8.52");
    ASSERT_EQ(sent.frames.size(), 1u);
    EXPECT_EQ(sent.frames[0], MainRig::frame(NodeApplication, SYSTEM_SETUP_READ_REQ));

    Deliver(form, MainRig::frame(NodeApplication, SYSTEM_SETUP_READ_CFM,
                                 {0x00, 0x00, 0x12, 0x34, 7, 7, 3}));
    EXPECT_EQ(form.SerialEdit->text(), "00004660");
    EXPECT_EQ(form.YearEdit->text(), "2007");
    EXPECT_EQ(form.WeekEdit->text(), "07");
    EXPECT_EQ(form.EditHW_version->text(), "03");

    // Another node's frame changes nothing.
    Deliver(form, MainRig::frame(NodeSystem, SYSTEM_SETUP_READ_CFM, {0, 0, 0, 1, 1, 1, 1}));
    EXPECT_EQ(form.SerialEdit->text(), "00004660");

    // An unprogrammed unit: its values shown as they are.
    Deliver(form, MainRig::frame(NodeApplication, SYSTEM_SETUP_READ_CFM,
                                 {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 120, 0xFF}));
    EXPECT_EQ(form.SerialEdit->text(), "4294967295");
    EXPECT_EQ(form.YearEdit->text(), "20120");
    EXPECT_EQ(form.WeekEdit->text(), "255");
    EXPECT_EQ(form.EditHW_version->text(), "255");
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.dialogs.count(), 0);
    // Its serial number goes back as it came.
    form.YearEdit->setText("2099");
    form.BtnUploadClick();
    EXPECT_EQ(rig.dialogs.count(), 0);
    ASSERT_EQ(sent.frames.size(), 2u);
    EXPECT_EQ(sent.frames[1], MainRig::frame(NodeApplication, SYSTEM_SETUP_WRITE_REQ,
                                             {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 99, 0xFF}));
    // Typing keeps to the fields' widths.
    QString typed = "123";
    int at = 3;
    ASSERT_NE(form.WeekEdit->validator(), nullptr);
    EXPECT_EQ(form.WeekEdit->validator()->validate(typed, at), QValidator::Invalid);
    typed = "12";
    EXPECT_EQ(form.WeekEdit->validator()->validate(typed, at), QValidator::Acceptable);
}

// A typed value out of range is refused with its reason, never sent cut down.
TEST(SystemSetupWindow, UploadIsRefusedWithTheReason)
{
    MainRig rig;
    SentFrames sent;
    TSystemSetupForm form;
    form.Send = sent.sink();
    form.YearEdit->setText("2100");
    form.BtnUploadClick();
    EXPECT_TRUE(sent.frames.empty());
    ASSERT_EQ(rig.dialogs.count(), 1);
    EXPECT_EQ(rig.dialogs.last().text, " NOT a Valit Year, 2006-2099");
    // The form as it opens (week "00") uploads.
    form.YearEdit->setText("2006");
    form.BtnUploadClick();
    ASSERT_EQ(sent.frames.size(), 1u);
    EXPECT_EQ(sent.frames[0][8], 0); // the week
}

// ---- frames the transmit queue refused ----

// The main window's queue refuses what a window sends, full on a busy
// machine whose worker did not get to write, or with the unit pulled: what
// did not go out is said at once with the reason, and nothing goes on as if
// it had.
TEST(ServiceWindows, RefusedFrameIsNoticed)
{
    using testsupport::Refusal;
    const struct
    {
        const char *what;
        std::function<void(MainRig &, const Refusal &)> run;
    } cases[] = {
        {"ping by the timer: not counted, and a later tick sends it",
         [](MainRig &r, const Refusal &x) {
             TPingForm form;
             form.BtnTimerClick();
             (r.*x.refuse)();
             form.Timer1Timer();
             form.Timer1Timer();
             EXPECT_EQ(Lines(form, QString(": PING_REQ not sent: ") + x.text), 2);
             EXPECT_EQ(form.PingsSent, 0);
             x.recover(r);
             r.sent();
             form.Timer1Timer();
             EXPECT_EQ(MainRig::commands(r.sent()), std::vector<std::uint8_t>{PING_REQ});
         }},
        {"calibration switches",
         [](MainRig &r, const Refusal &x) {
             TCalibrationForm form(nullptr);
             (r.*x.refuse)();
             const bool unit = form.CheckBoxOffset->isChecked();
             form.CheckBoxOffset->click();
             EXPECT_EQ(r.dialogs.texts().count(
                           QString("The switches were not sent to the unit: %1.").arg(x.clause)),
                       1);
             EXPECT_EQ(form.CheckBoxOffset->isChecked(), unit) << "shows what the unit has";
         }},
        {"identity read when the window opens",
         [](MainRig &r, const Refusal &x) {
             TSystemSetupForm form;
             (r.*x.refuse)();
             form.FormActivate();
             vcl::ScriptedDialogs::deliverPosted();
             EXPECT_EQ(r.dialogs.texts().count(
                           QString("The identity was not read from the unit: %1.").arg(x.clause)),
                       1);
         }},
        {"identity upload",
         [](MainRig &r, const Refusal &x) {
             TSystemSetupForm form;
             (r.*x.refuse)();
             form.BtnUploadClick();
             EXPECT_EQ(r.dialogs.texts().count(
                           QString("The identity was not sent to the unit: %1. Nothing was stored.")
                               .arg(x.clause)),
                       1);
         }},
        {"error log count: a count that comes anyway starts nothing",
         [](MainRig &r, const Refusal &x) {
             TRunTimeErrorForm &form = *RunTimeErrorForm;
             (r.*x.refuse)();
             form.FormActivate();
             EXPECT_EQ(form.MemoErrorLog->toPlainText(),
                       QString(" Error list count request not sent: ") + x.text);
             x.recover(r);
             r.sent();
             r.receive(MainRig::frame(NodeSystem, ERROR_LOG_COUNT_CFM, {3}));
             EXPECT_TRUE(r.sent().empty());
         }},
        {"error log entry: the read ends there and says so",
         [](MainRig &r, const Refusal &x) {
             TRunTimeErrorForm &form = *RunTimeErrorForm;
             form.FormActivate();
             r.sent();
             (r.*x.refuse)();
             Deliver(form, MainRig::frame(NodeSystem, ERROR_LOG_COUNT_CFM, {3}));
             EXPECT_TRUE(form.MemoErrorLog->toPlainText().endsWith(
                 QString("\n Request of entry 1 not sent: ") + x.text));
         }},
        {"EEPROM read: ends at once and says why",
         [](MainRig &r, const Refusal &x) {
             TEEPROMForm form;
             form.EEPROMStartEdit->setText("0000");
             form.EEPROMEndEdit->setText("0040");
             (r.*x.refuse)();
             form.EEPROMReadBtnClick();
             vcl::ScriptedDialogs::deliverPosted();
             EXPECT_EQ(r.dialogs.texts(),
                       QStringList{QString("The EEPROM read request was not sent to the unit: %1.")
                                       .arg(x.clause)});
             EXPECT_EQ(EepromOp, EepromIdle);
             EXPECT_TRUE(form.EEPROMReadBtn->isEnabled());
             EXPECT_FALSE(form.ReadWriteTimer->isActive());
         }},
        {"flash compare: its record says why it names no unit",
         [](MainRig &r, const Refusal &x) {
             const QString name = r.dir.path() + "/fw.hex";
             QFile f(name);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(":00000001FF\n") > 0);
             f.close();
             TFIA_Form form;
             form.Pause = nullptr;
             form.Path = name;
             form.FileEdit->setText(name);
             (r.*x.refuse)();
             form.BtnStartClick();
             form.TimerRequest->stop();
             EXPECT_TRUE(form.MemoStatus->toPlainText().contains(
                 QString("Tessaron serial no : not asked for, ") + x.text))
                 << form.MemoStatus->toPlainText().toStdString();
         }},
    };
    for (const Refusal &x : testsupport::Refusals)
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(c.what) + ", " + x.what);
            MainRig rig({"KeeperEntry"});
            rig.connect();
            rig.sent();
            rig.dialogs.clear();
            c.run(rig, x);
        }
}

// ---- About box ----

namespace {

struct KeyCase
{
    const char *what;
    const char *keys; // typed in order
    const char *ctrl; // '1' where Ctrl is held
    bool production;  // the production menu is shown in the end
};

const KeyCase KeyCases[] = {
    {"the sequence with Ctrl", "QM5220", "111111", true},
    {"Ctrl released before the last key", "QM5220", "111110", false},
    {"a wrong key in between", "QMX5220", "1111111", false},
    {"without Ctrl", "QM5220", "000000", false},
    {"started over after a wrong key", "QMXQM5220", "111111111", true},
    {"lower case counts as upper", "qm5220", "111111", true},
};

void Press(QWidget *target, int key, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(target, &press);
}

} // namespace

TEST(AboutBox, KeySequenceShowsTheProductionMenu)
{
    MainRig rig;
    ASSERT_NE(AboutForm, nullptr);
    QAction *production = rig.main().Production1->menuAction();
    for (const KeyCase &c : KeyCases) {
        production->setVisible(false);
        AboutForm->KeyIndex = 0;
        for (std::size_t i = 0; c.keys[i]; ++i) {
            const int key = QChar(c.keys[i]).toUpper().unicode();
            // Keys reach the box through its focused OK button.
            Press(AboutForm->OKBtn, Qt::Key_Control, Qt::ControlModifier);
            Press(AboutForm->OKBtn, key, c.ctrl[i] == '1' ? Qt::ControlModifier : Qt::NoModifier);
        }
        EXPECT_EQ(production->isVisible(), c.production) << c.what;
        EXPECT_EQ(AboutForm->KeyIndex, c.production ? 6 : AboutForm->KeyIndex) << c.what;
    }
    // Keypad digits are other keys.
    production->setVisible(false);
    AboutForm->KeyIndex = 4;
    Press(AboutForm, Qt::Key_2, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(AboutForm->KeyIndex, 0);
    EXPECT_TRUE(TAboutForm::ShiftHas(1 << 2, TAboutForm::ssCtrl));
    EXPECT_FALSE(TAboutForm::ShiftHas(0xFF, 7));
}

// The statistics labels fill only once the box is activated; the unit's
// version shows as soon as it arrives; the address goes to the desktop.
TEST(AboutBox, ActivationVersionAndAddress)
{
    MainRig rig({"KeeperEntry"});
    TAboutForm &about = *AboutForm;
    rig.main().MaxCurrent = 123;
    about.Timer1SecTickTimer();
    EXPECT_EQ(about.LabelMaxCurrent->text(), "");
    about.FormActivate();
    EXPECT_TRUE(about.Timer1SecTick->isActive());
    EXPECT_EQ(about.OKBtn->x() + about.OKBtn->width(), about.width() - 15);
    about.Timer1SecTickTimer();
    EXPECT_EQ(about.LabelMaxCurrent->text(), "Max Current : 12.3 Amps ");
    about.done(0);
    EXPECT_FALSE(about.Timer1SecTick->isActive());

    rig.connect();
    Bytes version(20, 0);
    std::copy_n("9.01", 4, version.begin());
    rig.receive(MainRig::frame(NodeApplication, VERSION_CFM, version));
    EXPECT_EQ(about.LabelPCM_Version->text(), "9.01");

    QList<QUrl> opened;
    const auto saved = TAboutForm::OpenUrl;
    TAboutForm::OpenUrl = [&](const QUrl &url) { opened.append(url); };
    const QPointF at(2, 2);
    QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(about.WebSite, &release);
    TAboutForm::OpenUrl = saved;
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].host(), "www.tessaron.example");
}
