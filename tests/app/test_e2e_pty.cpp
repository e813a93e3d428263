// The tool against the simulated unit's own program on a pseudo-terminal:
// the path a real USB-serial bridge takes, through the serial backend.
#include "tests/app/E2ERig.h"

#include "app/AutoForms.h"
#include "config/Settingsunit.h"
#include "config/UnitVersion.h"
#include "link/UsbSelectUnit.h"
#include "main/LogUnit.h"
#include "main/MainUnit.h"
#include "platform/d2xx/d2xx.h"
#include "platform/vcl/TestDialogs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>

#include "link/DeviceCommands.h"
#include "link/USB_Unit.h"
#include "platform/vcl/IniFile.h"
#include "tools/EEPROM.h"
#include "tools/FIA_Unit.h"
#include "tools/FirmwareUnit.h"

#include <csignal>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace {

bool waitFor(const std::function<bool()> &done, int ms = 30000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// The simulated unit's program on its terminal, and the tool connected to it.
struct PtyRig
{
    QProcess unit;
    QString path;
    QTemporaryDir dir;
    d2xx::Driver driver;
    vcl::ScriptedDialogs dialogs;
    std::unique_ptr<AutoForms> forms;
    testsupport::QuickVersionCheck quickCheck;

    ~PtyRig()
    {
        TraceEnabled = 0;
        forms.reset();
        unit.terminate();
        unit.waitForFinished(10000);
    }
    // Starts the unit with `args` and connects; false with the test failed.
    bool start(const QStringList &args = {})
    {
        unit.start(QM5230_SIM_PROGRAM, args);
        if (!unit.waitForStarted(10000) || !unit.waitForReadyRead(10000))
            return false;
        path = QString::fromLocal8Bit(unit.readLine()).trimmed();
        driver.addBackend(d2xx::makeExtraPortsBackend(path.toStdString()));
        forms = std::make_unique<AutoForms>(QStringList{}, dir.path() + "/qm5230.INI", driver);
        TraceEnabled = 1; // the link's trace tells what went out when
        devlink::TUSB_SelectForm &select = *forms->UsbSelect;
        select.FormActivate();
        if (select.ListBox1->count() != 1)
            return false;
        select.BtnOpenClick();
        return waitFor([&] { return forms->Main->ReadFromDevice == 1; }) &&
               waitFor([&] { return forms->Main->RefreshPending == 0; });
    }
    TMainForm &main() { return *forms->Main; }
    // What the unit's program told on stderr so far.
    QString errors()
    {
        told += QString::fromLocal8Bit(unit.readAllStandardError());
        return told;
    }
    QString told;
};

} // namespace

TEST(EndToEndSerial, ConnectAndReadThroughAPseudoTerminal)
{
    QProcess unit;
    unit.start(QM5230_SIM_PROGRAM, {});
    ASSERT_TRUE(unit.waitForStarted(10000));
    ASSERT_TRUE(unit.waitForReadyRead(10000));
    const QString path = QString::fromLocal8Bit(unit.readLine()).trimmed();
    ASSERT_TRUE(path.startsWith("/dev/")) << path.toStdString();

    testsupport::QuickVersionCheck quickCheck;
    {
        QTemporaryDir dir;
        d2xx::Driver driver;
        driver.addBackend(d2xx::makeExtraPortsBackend(path.toStdString()));
        vcl::ScriptedDialogs dialogs;
        AutoForms forms({}, dir.path() + "/qm5230.INI", driver);

        devlink::TUSB_SelectForm &select = *forms.UsbSelect;
        select.FormActivate();
        ASSERT_EQ(select.ListBox1->count(), 1);
        EXPECT_EQ(select.ListBox1->item(0)->text(), path);
        select.BtnOpenClick();
        TMainForm &main = *forms.Main;
        EXPECT_EQ(main.StatusPanels[0]->text(), "USB CONNECTED");
        EXPECT_TRUE(waitFor([&] { return main.StatusPanels[1]->text() == "Read / Write"; }));
        EXPECT_TRUE(waitFor([&] { return main.ReadFromDevice == 1; }))
            << dialogs.texts().join('|').toStdString();
        EXPECT_EQ(dialogs.count(), 0) << dialogs.texts().join('|').toStdString();
        EXPECT_TRUE(waitFor([&] { return main.General.lblVbat->text() != "--"; }));

        // The unit's program ends: the tool sees the device gone.
        unit.terminate();
        unit.waitForFinished(10000);
        EXPECT_TRUE(waitFor([&] { return main.StatusPanels[0]->text() == "USB DISCONNECTED"; }));
    }
}

// A firmware update through the terminal: the unit's program restarts into
// its bootloader on SIGUSR1, as a power cycle does, and bends its '!' as
// told; the flash compare then finds the new pages in the unit.
struct PtyFirmwareCase
{
    const char *name;
    QStringList args;
    bool updates;
};

class EndToEndSerialFirmware : public testing::TestWithParam<PtyFirmwareCase>
{
};

TEST_P(EndToEndSerialFirmware, UpdateThroughAPseudoTerminal)
{
    const PtyFirmwareCase &c = GetParam();
    PtyRig r;
    ASSERT_TRUE(r.start(c.args)) << r.dialogs.texts().join('|').toStdString();

    const std::string text = testsupport::patternHex(2);
    const QString file = r.dir.path() + "/update.hex";
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.data(), static_cast<qint64>(text.size()));
    }
    {
        vcl::TIniFile ini(r.main().iniPath());
        ini.WriteString("FIRMWARE", "PATH", file);
        ini.WriteString("FIA", "PATH", file);
    }

    bool ended = false;
    QTimer::singleShot(1, &r.main(), [&] {
        TFirmware *w = Firmware;
        ASSERT_NE(w, nullptr);
        // The main window sends nothing now. Its last requests must not meet
        // the bootloader's bytes: the answer to one more request, asked for
        // behind them, shows that all of theirs are in (the unit answers in
        // order). Its bytes reach the idle window as raw characters.
        r.main().SendRequest(devlink::NodeApplication, devlink::SYSTEM_SETUP_READ_REQ, {});
        const QString identityAnswer = "RX Char 11\n<- RX Char 1\n<- RX Char 193\n";
        ASSERT_TRUE(waitFor([&] {
            const QString memo = w->MemoDebug->toPlainText();
            const qsizetype at = memo.lastIndexOf(identityAnswer);
            return at >= 0 && memo.indexOf("RX Char 192", at) > at; // its end
        })) << w->MemoDebug->toPlainText().toStdString();
        w->BtnProgramClick();
        ::kill(static_cast<pid_t>(r.unit.processId()), SIGUSR1);
        if (!c.updates) {
            // The program tells when it lost the '!': none comes after it, so
            // the block timer's seconds need not pass.
            EXPECT_TRUE(waitFor([&] { return r.errors().contains("has bent 1 bootloader"); }));
            EXPECT_FALSE(r.dialogs.texts().contains("Target updated"));
            w->BlockTimerTimer();
        }
        ended = waitFor([&] {
            return r.dialogs.texts().contains("Target updated") ||
                   r.dialogs.texts().contains("Target update failed");
        });
        if (r.dialogs.texts().contains("Target updated") != c.updates)
            ADD_FAILURE() << r.errors().toStdString() << w->MemoDebug->toPlainText().toStdString()
                          << r.forms->Log->RichEdit->toPlainText().toStdString();
        w->BtnExitClick();
    });
    r.main().Firmware1Click();
    EXPECT_TRUE(ended);
    EXPECT_EQ(r.dialogs.texts().contains("Target updated"), c.updates)
        << r.dialogs.texts().join('|').toStdString();
    EXPECT_NE(r.dialogs.texts().contains("Target update failed"), c.updates);
    if (!c.updates)
        return;

    using Result = TFIA_Form::CompareResult;
    Result result = Result::Idle;
    QTimer::singleShot(1, &r.main(), [&] {
        TFIA_Form *w = FIA_Form;
        ASSERT_NE(w, nullptr);
        w->CompareEnd = 0x200;
        w->BtnStartClick();
        waitFor([&] { return w->Result != Result::Running; });
        result = w->Result;
        waitFor([&] {
            return r.dialogs.texts().contains("FIA compare File is identical with firmware");
        });
        w->BtnExitClick();
    });
    r.main().FIAClick();
    EXPECT_EQ(result, Result::Equal);
}

INSTANTIATE_TEST_SUITE_P(
    Bootloader, EndToEndSerialFirmware,
    testing::Values(PtyFirmwareCase{"Paced", {}, true},
                    // Each '!' comes as soon as its block is in.
                    PtyFirmwareCase{"Unpaced", {"--no-pacing"}, true},
                    PtyFirmwareCase{"UnpacedEveryReadyTwice",
                                    {"--no-pacing", "--boot-fault", "repeat,!,-1"},
                                    true},
                    PtyFirmwareCase{"EveryReadyTwice", {"--boot-fault", "repeat,0x21,-1"}, true},
                    // The '!' for the second block is lost.
                    PtyFirmwareCase{"ThirdReadyLost", {"--boot-fault", "drop,!,3"}, false}),
    [](const auto &info) { return std::string(info.param.name); });

// The program's options: a fault's COUNT stands without a RECORD, and the
// bootloader's bytes are bent by --boot-fault; a malformed one is refused.
TEST(EndToEndSerial, FaultOptionsOfTheUnitsProgram)
{
    struct Case
    {
        QStringList args;
        int exitCode;
    } const cases[] = {
        {{"--fault", "drop,0x82,,3", "--help"}, 0},
        {{"--fault", "drop,0x82,5,3", "--help"}, 0},
        {{"--fault", "drop,0x82,,"}, 2},
        {{"--boot-fault", "drop,!", "--help"}, 0},
        {{"--boot-fault", "drop,!,3", "--help"}, 0},
        {{"--boot-fault", "repeat,0x21,-1", "--help"}, 0},
        {{"--boot-fault", "repeat,!,5,20", "--help"}, 0},
        {{"--boot-fault", "drop,!,5,20"}, 2},
        {{"--bad-block", "504", "--help"}, 0},
        {{"--bad-block", "0"}, 2},
        {{"--bad-block"}, 2},
        {{"--boot-fault", "drop,!,0"}, 2},
        {{"--boot-fault", "twice,!"}, 2},
        {{"--boot-fault", "drop,ab"}, 2},
        {{"--boot-fault"}, 2},
    };
    for (const Case &c : cases) {
        QProcess program;
        program.start(QM5230_SIM_PROGRAM, c.args);
        ASSERT_TRUE(program.waitForFinished(10000)) << c.args.join(' ').toStdString();
        EXPECT_EQ(program.exitCode(), c.exitCode) << c.args.join(' ').toStdString();
        if (c.exitCode == 0) {
            EXPECT_TRUE(program.readAllStandardOutput().contains("--boot-fault KIND,BYTE[,NTH]"));
        }
    }
}

// The unit's program ends in the middle of an EEPROM write: the write ends
// with its message, never as done.
TEST(EndToEndSerial, EepromWriteWhenTheUnitGoesAway)
{
    PtyRig r;
    ASSERT_TRUE(r.start()) << r.dialogs.texts().join('|').toStdString();
    r.main().PauseStatusPolling();
    bool ran = false;
    QTimer::singleShot(1, &r.main(), [&] {
        TEEPROMForm *form = EEPROMForm;
        ASSERT_NE(form, nullptr);
        form->EEPROMEndEdit->setText("0400");
        form->EEPROMWriteBtnClick();
        EXPECT_TRUE(waitFor([&] { return EepromAddr >= 0x0100; }));
        r.unit.terminate();
        r.unit.waitForFinished(10000);
        EXPECT_TRUE(
            waitFor([&] { return r.main().StatusPanels[0]->text() == "USB DISCONNECTED"; }));
        if (EepromOp != EepromIdle)
            form->ReadWriteTimerTimer(); // its 1000 ms, without waiting for them
        EXPECT_EQ(EepromOp, EepromIdle);
        EXPECT_LT(form->EEPROMProgressBar->value(), 100);
        EXPECT_TRUE(r.dialogs.texts().contains("Please power up the Target and try again"));
        ran = true;
        form->reject();
    });
    r.main().EepromClick();
    EXPECT_TRUE(ran);
}

// The same path with the unit's program bending its answers: a lost output
// block is asked for again, a repeated one does no harm, and a unit that
// falls silent at the wiper block ends the read as not completed.
TEST(EndToEndSerial, ReadThroughFaultsOnAPseudoTerminal)
{
    QProcess unit;
    unit.start(QM5230_SIM_PROGRAM,
               {"--fault", "drop,0x82,10", "--fault", "repeat,0xD5,3", "--fault", "silence,0xE6"});
    ASSERT_TRUE(unit.waitForStarted(10000));
    ASSERT_TRUE(unit.waitForReadyRead(10000));
    const QString path = QString::fromLocal8Bit(unit.readLine()).trimmed();
    ASSERT_TRUE(path.startsWith("/dev/")) << path.toStdString();

    testsupport::QuickVersionCheck quickCheck;
    const int savedAnswer = TMainForm::ReadAnswerTimeoutMs;
    TMainForm::ReadAnswerTimeoutMs = 400;
    {
        QTemporaryDir dir;
        d2xx::Driver driver;
        driver.addBackend(d2xx::makeExtraPortsBackend(path.toStdString()));
        vcl::ScriptedDialogs dialogs;
        AutoForms forms({}, dir.path() + "/qm5230.INI", driver);
        forms.UsbSelect->FormActivate();
        forms.UsbSelect->BtnOpenClick();
        TMainForm &main = *forms.Main;
        ASSERT_TRUE(waitFor([&] { return dialogs.count() > 0 && main.TransferBusy == 0; }));
        EXPECT_EQ(dialogs.texts().join('|').toStdString(),
                  "The read did not complete: the unit did not send wiper; sequences; PWM; CAN "
                  "export 1; CAN exports 2 to 4.\n\nThe pages keep their earlier values there. "
                  "Read the settings again.");
        EXPECT_EQ(main.ReadFromDevice, 0);
        EXPECT_EQ(GetOutputName(10), "Horn"); // asked for again
    }
    TMainForm::ReadAnswerTimeoutMs = savedAnswer;
    unit.terminate();
    unit.waitForFinished(10000);
}
