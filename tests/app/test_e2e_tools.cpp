// The ping test, the system setup, the About box and the EEPROM editor
// opened from the main window's menu against the simulated unit.
#include "tests/app/E2ERig.h"
#include "tests/config/modal_watchdog.h"

#include "link/DeviceCommands.h"
#include "main/ToolWindows.h"
#include "tools/About.h"
#include "tools/EEPROM.h"
#include "tools/PingUnit.h"
#include "tools/SystemSetup.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using testsupport::E2ERig;

namespace {

// Connects and waits until the unit's version arrived.
void ConnectAndWait(E2ERig &r)
{
    r.connectThroughSelection();
    ASSERT_TRUE(r.waitFor([&] { return r.panel(1) == "Read / Write"; })) << r.trace().toStdString();
    ASSERT_TRUE(r.waitFor([&] { return !r.main().VersionText.isEmpty(); }));
}

} // namespace

TEST(EndToEndTools, PingEchoesMatch)
{
    E2ERig r;
    ConnectAndWait(r);
    ModalWatchdog watchdog;
    bool ran = false;
    QTimer::singleShot(1, &r.main(), [&] {
        ran = true;
        ASSERT_NE(PingForm, nullptr);
        EXPECT_TRUE(ToolWindows.Ping.open());
        for (int i = 0; i < 5; ++i) {
            PingForm->BtnPingClick();
            EXPECT_TRUE(r.waitFor([] { return PingWaiting == 0; }));
        }
        EXPECT_EQ(PingForm->Answers, 5);
        EXPECT_EQ(PingForm->ErrorCount, 0);
        EXPECT_EQ(PingForm->Memo1->toPlainText().count("PING_CFM - Data: "), 5);
        PingForm->done(0);
    });
    r.main().PingTest1Click();
    EXPECT_TRUE(ran);
    EXPECT_EQ(PingForm, nullptr);
    EXPECT_FALSE(ToolWindows.Ping.open());
}

TEST(EndToEndTools, SystemSetupReadsAndWritesTheIdentity)
{
    E2ERig r;
    r.unit->unit().setSystemSetup({4660, 27, 16, 3, 0});
    ConnectAndWait(r);
    ModalWatchdog watchdog;
    bool ran = false;
    QTimer::singleShot(1, &r.main(), [&] {
        ran = true;
        TSystemSetupForm &form = *SystemSetupForm;
        ASSERT_TRUE(r.waitFor([&] { return form.SerialEdit->text() == "00004660"; }));
        EXPECT_EQ(form.YearEdit->text(), "2016");
        EXPECT_EQ(form.WeekEdit->text(), "27");
        EXPECT_EQ(form.EditHW_version->text(), "03");
        EXPECT_EQ(form.MaunUnitVersion->text(), r.unit->unit().versionText().c_str());

        form.SerialEdit->setText("12345678");
        form.YearEdit->setText("2020");
        form.WeekEdit->setText("5");
        form.EditHW_version->setText("7");
        form.BtnUploadClick();
        // The stored values come back and replace what was typed.
        EXPECT_TRUE(
            r.waitFor([&] { return r.dialogs.texts().contains("Data stored in Tessaron"); }));
        EXPECT_TRUE(r.waitFor([&] { return form.WeekEdit->text() == "05"; }));
        form.BtnOKClick();
    });
    r.main().Systemsetup1Click();
    EXPECT_TRUE(ran);
    EXPECT_EQ(r.unit->unit().systemSetup(), (sim::SystemSetupState{12345678, 5, 20, 7, 1}));
    EXPECT_FALSE(ToolWindows.SystemSetup.open());
}

TEST(EndToEndTools, AboutShowsTheUnitsStatistics)
{
    E2ERig r;
    // The unit's maximum current follows its own outputs: with its inputs
    // switching them by their pattern it passes 12.3 A within seconds,
    // sooner than a slow build asks for the statistics after the automatic
    // read. Quiet inputs keep the maximum where the test set it.
    r.unit->unit().setInputPattern(false);
    r.unit->unit().setStatistics({123, 41, 2});
    r.forms->Show();
    ConnectAndWait(r);
    ASSERT_TRUE(r.waitFor([&] { return r.main().MaxCurrent == 123; }));
    ModalWatchdog watchdog;
    bool ran = false;
    QTimer::singleShot(1, &r.main(), [&] {
        ran = true;
        TAboutForm &about = *AboutForm;
        const QRect main = r.main().geometry();
        EXPECT_EQ(about.x(), r.main().x() + (main.width() - about.width()) / 2);
        EXPECT_EQ(about.y(), r.main().y() + (main.height() - about.height()) / 2);
        EXPECT_EQ(about.LabelPCM_Version->text(), r.unit->unit().versionText().c_str());
        about.Timer1SecTickTimer();
        EXPECT_EQ(about.LabelMaxCurrent->text(), "Max Current : 12.3 Amps ");
        EXPECT_EQ(about.LabelMaxTemp->text(), "Max temperatur : 41");
        about.OKBtn->click();
    });
    r.main().About1Click();
    EXPECT_TRUE(ran);
    // The box stays for the next time.
    EXPECT_NE(AboutForm, nullptr);
    EXPECT_FALSE(AboutForm->Timer1SecTick->isActive());
}

// The unit's EEPROM with no byte 00, so that a byte the write set to 00 shows.
static sim::EepromState NoZeroEeprom()
{
    sim::EepromState sample = sim::EepromState::sample();
    for (std::size_t a = 0; a < sample.bytes.size(); ++a)
        sample.bytes[a] = static_cast<std::uint8_t>(a * 13 + 1);
    return sample;
}

// A write from a grid never read from the unit changes the bytes of its range
// and none beyond, whether its last block reaches past the range or not.
TEST(EndToEndTools, EepromWriteChangesOnlyItsRange)
{
    struct Case
    {
        const char *start, *end;
        std::size_t from, to; // the range as numbers
    } const cases[] = {
        {"0000", "0008", 0x0000, 0x0008},
        {"0008", "0021", 0x0008, 0x0021},
        {"0100", "0120", 0x0100, 0x0120},
        {"0003", "0008", 0x0003, 0x0008},
        {"000C", "0012", 0x000C, 0x0012},
    };
    E2ERig r;
    const sim::EepromState sample = NoZeroEeprom();
    r.unit->unit().setEeprom(sample);
    ConnectAndWait(r);
    r.main().PauseStatusPolling();
    ModalWatchdog watchdog(60000);
    bool ran = false;
    QTimer::singleShot(1, &r.main(), [&] {
        TEEPROMForm *form = EEPROMForm;
        ASSERT_NE(form, nullptr);
        for (const Case &c : cases) {
            SCOPED_TRACE(c.start);
            form->EEPROMStartEdit->setText(c.start);
            form->EEPROMEndEdit->setText(c.end);
            form->EEPROMWriteBtnClick();
            EXPECT_TRUE(r.waitFor([&] { return EepromOp == EepromIdle; }));
            EXPECT_EQ(form->EEPROMProgressBar->value(), 100);
            const sim::EepromState now = r.unit->unit().eeprom();
            for (std::size_t a = 0; a < sample.bytes.size(); ++a) {
                const bool inRange = a >= c.from && a < c.to;
                ASSERT_EQ(now.bytes[a], inRange ? 0 : sample.bytes[a]) << a;
            }
            // The grid still shows what the user had, not the unit's bytes.
            EXPECT_EQ(form->Byte(c.to), 0);
            r.unit->unit().setEeprom(sample);
        }
        EXPECT_EQ(r.dialogs.count(), 0) << r.dialogs.texts().join('|').toStdString();
        ran = true;
        form->reject();
    });
    r.main().EepromClick();
    EXPECT_TRUE(ran);
}

// The unit's bytes under a write's last block do not come: nothing of the
// range is written, and the user is told, as for any answer that does not come.
TEST(EndToEndTools, EepromWriteWithoutTheUnitsBytesWritesNothing)
{
    E2ERig r;
    const sim::EepromState sample = NoZeroEeprom();
    r.unit->unit().setEeprom(sample);
    ConnectAndWait(r);
    r.main().PauseStatusPolling();
    r.unit->line().faultAnswers(sim::SimLine::AnswerFault::Drop,
                                {devlink::EEPROM_READ_CFM, {}}, 1);
    ModalWatchdog watchdog(60000);
    bool ran = false;
    QTimer::singleShot(1, &r.main(), [&] {
        TEEPROMForm *form = EEPROMForm;
        ASSERT_NE(form, nullptr);
        form->EEPROMStartEdit->setText("0003");
        form->EEPROMEndEdit->setText("0008");
        form->EEPROMWriteBtnClick();
        EXPECT_TRUE(r.waitFor([&] { return EepromOp == EepromIdle; }));
        EXPECT_EQ(r.dialogs.texts(), QStringList{"Please power up the Target and try again"});
        EXPECT_EQ(r.unit->line().faultedAnswers(), 1);
        // Time for a write that should not have gone out to arrive.
        r.waitFor([] { return false; }, 300);
        EXPECT_EQ(r.unit->unit().eeprom().bytes, sample.bytes);
        EXPECT_TRUE(form->EEPROMWriteBtn->isEnabled());
        ran = true;
        form->reject();
    });
    r.main().EepromClick();
    EXPECT_TRUE(ran);
}
