// The runtime error log and the EEPROM editor through the menu, the real
// windows and worker thread, against the paced simulated unit.
#include "tests/app/E2ERig.h"
#include "tests/config/modal_watchdog.h"

#include "link/DeviceCommands.h"
#include "link/FrameCodec.h"
#include "main/ToolWindows.h"
#include "sim/ServiceState.h"
#include "tools/EEPROM.h"
#include "tools/RuntimeErrorUnit.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "sim/SimLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>

using testsupport::E2ERig;

namespace {

void connectAndRead(E2ERig &r)
{
    r.connectAndRead();
    // The status poll keeps queueing frames; on a machine too loaded to write
    // them in time a full queue is emptied, taking the tool's request with it.
    r.main().PauseStatusPolling();
}

} // namespace

TEST(EndToEndServiceTools, RuntimeErrorLogReadAndReset)
{
    testsupport::QuickVersionCheck quickCheck;
    E2ERig r;
    ModalWatchdog watchdog(60000);
    connectAndRead(r);
    const auto sample = sim::ErrorLogState::sample();
    ASSERT_EQ(RunTimeErrorForm, r.forms->RunTimeError.get()); // the hidden one from start-up

    bool ran = false;
    QTimer::singleShot(1, &r.main(), [&] {
        TRunTimeErrorForm *form = RunTimeErrorForm;
        ASSERT_NE(form, nullptr);
        EXPECT_NE(form, r.forms->RunTimeError.get());
        EXPECT_EQ(ToolWindows.RunTimeError.handler, form);
        const auto memo = [form] { return form->MemoErrorLog->toPlainText(); };
        EXPECT_TRUE(r.waitFor([&] {
            return memo().count("File name") == int(sample.entries.size());
        })) << memo().toStdString()
            << "\nlink " << int(r.main().usb()->linkState()) << " pending "
            << r.unit->line().pendingBytes() << " queue " << [&] {
                   const auto q = r.main().usb()->queueSnapshot();
                   return std::count_if(q.begin(), q.end(),
                                        [](const devlink::TxSlot &s) { return s.Used != 0; });
               }();
        EXPECT_TRUE(memo().startsWith(" Error list count 4\n----"));
        EXPECT_TRUE(memo().contains("File name   : can_rx.c\nLine number : 412\nCount       : 3\n"
                                    "Data len    : 2\nData        : 0x1A:0x05:"));
        EXPECT_TRUE(memo().contains("File name   : eeprom_drv.c\n"));

        form->BtnResetLogClick();
        EXPECT_TRUE(r.waitFor([&] { return memo().endsWith(" Error log reset.."); }));
        form->BtnResetSystemLogClick();
        EXPECT_TRUE(r.waitFor([&] { return memo().endsWith(" System log data reset.."); }));
        form->FormActivate(); // read again: the log is empty now
        EXPECT_TRUE(r.waitFor([&] { return memo() == " Error list count 0"; }))
            << memo().toStdString();
        ran = true;
        form->BtnOKClick();
    });
    r.main().Runtimeerror1Click();
    EXPECT_TRUE(ran);
    EXPECT_EQ(RunTimeErrorForm, nullptr);
    EXPECT_FALSE(ToolWindows.RunTimeError.open());
    EXPECT_TRUE(r.unit->unit().errorLog().entries.empty());
    EXPECT_EQ(r.unit->unit().errorLog().systemLogResets, 1u);
}

TEST(EndToEndServiceTools, EepromReadChangeWriteReadBack)
{
    testsupport::QuickVersionCheck quickCheck;
    E2ERig r;
    ModalWatchdog watchdog(60000);
    connectAndRead(r);
    const sim::EepromState sample = sim::EepromState::sample();

    bool ran = false;
    QTimer::singleShot(1, &r.main(), [&] {
        TEEPROMForm *form = EEPROMForm;
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(ToolWindows.EEPROM.handler, form);
        form->EEPROMReadBtnClick(); // the whole EEPROM, 0000 to 1000
        EXPECT_TRUE(r.waitFor([&] { return EepromOp == EepromIdle; }));
        EXPECT_EQ(form->EEPROMProgressBar->value(), 100);
        EXPECT_TRUE(std::equal(sample.bytes.begin(), sample.bytes.end(), form->image().begin()));

        // A write reaching past the unit's EEPROM is refused before any frame
        // (length 23, node 0, EEPROM_WRITE_REQ of 16 bytes in the trace).
        const auto writesTraced = [&] { return r.trace().contains(" 23 0 84 16 "); };
        form->EEPROMStartEdit->setText("0FF0");
        form->EEPROMEndEdit->setText("1010");
        form->EEPROMWriteBtnClick();
        EXPECT_EQ(EepromOp, EepromIdle);
        EXPECT_FALSE(writesTraced());
        EXPECT_TRUE(r.dialogs.texts().join("").contains("0000 to 1000"));

        // One byte changed in the grid, the row written, then read back.
        form->EEStringGridSetEditText(3, 18, "5A"); // address 0x0112
        form->EEPROMStartEdit->setText("0110");
        form->EEPROMEndEdit->setText("0120");
        form->EEPROMWriteBtnClick();
        EXPECT_TRUE(r.waitFor([&] { return EepromOp == EepromIdle; }));
        EXPECT_TRUE(form->EEPROMWriteBtn->isEnabled());
        EXPECT_TRUE(writesTraced());
        form->SetByte(0x0112, 0);
        form->EEPROMReadBtnClick();
        EXPECT_TRUE(r.waitFor([&] { return EepromOp == EepromIdle; }));
        EXPECT_EQ(form->Byte(0x0112), 0x5A);
        EXPECT_EQ(r.dialogs.count(), 1);
        ran = true;
        form->reject();
    });
    r.main().EepromClick();
    EXPECT_TRUE(ran);
    EXPECT_EQ(EEPROMForm, nullptr);
    EXPECT_FALSE(ToolWindows.EEPROM.open());
    sim::EepromState expected = sample;
    expected.bytes[0x0112] = 0x5A;
    EXPECT_EQ(r.unit->unit().eeprom().bytes, expected.bytes);
}

namespace {

// A fault on the link in the middle of an EEPROM transfer of 0000 to 0400.
struct EepromFault
{
    const char *name;
    bool write;
    std::function<void(E2ERig &)> bend; // once a quarter of the blocks are through
    bool completes;                     // else the time-out ends it with its message
};

class EndToEndEepromFaults : public testing::TestWithParam<EepromFault>
{
};

TEST_P(EndToEndEepromFaults, EndsDoneOrTold)
{
    const EepromFault &c = GetParam();
    testsupport::QuickVersionCheck quickCheck;
    E2ERig r;
    ModalWatchdog watchdog(60000);
    connectAndRead(r);
    const sim::EepromState sample = sim::EepromState::sample();
    constexpr std::uint16_t End = 0x0400;

    bool ran = false;
    QTimer::singleShot(1, &r.main(), [&] {
        TEEPROMForm *form = EEPROMForm;
        ASSERT_NE(form, nullptr);
        form->FillGrid(0, End, 0xA5);
        form->EEPROMEndEdit->setText("0400");
        if (c.write)
            form->EEPROMWriteBtnClick();
        else
            form->EEPROMReadBtnClick();
        EXPECT_TRUE(r.waitFor([&] { return EepromAddr >= End / 4 || EepromOp == EepromIdle; }));
        c.bend(r);
        if (!c.completes) {
            // The transfer's 1000 ms time-out, without waiting for it.
            EXPECT_TRUE(r.waitFor([&] { return EepromOp == EepromIdle || r.linkQuiet(); }));
            if (EepromOp != EepromIdle)
                form->ReadWriteTimerTimer();
        }
        EXPECT_TRUE(r.waitFor([&] { return EepromOp == EepromIdle; }));
        if (c.completes) {
            EXPECT_EQ(form->EEPROMProgressBar->value(), 100);
            EXPECT_EQ(r.dialogs.count(), 0) << r.dialogs.texts().join('|').toStdString();
            if (!c.write) {
                EXPECT_TRUE(std::equal(sample.bytes.begin(), sample.bytes.begin() + End,
                                       form->image().begin()));
            }
        } else {
            EXPECT_LT(form->EEPROMProgressBar->value(), 100);
            EXPECT_EQ(r.dialogs.texts(), QStringList{"Please power up the Target and try again"});
        }
        EXPECT_TRUE(form->EEPROMWriteBtn->isEnabled());
        EXPECT_TRUE(form->EEPROMReadBtn->isEnabled());
        ran = true;
        form->reject();
    });
    r.main().EepromClick();
    EXPECT_TRUE(ran);
    if (c.write && c.completes) {
        const auto unit = r.unit->unit().eeprom().bytes;
        EXPECT_EQ(std::count(unit.begin(), unit.begin() + End, 0xA5), End);
        EXPECT_TRUE(std::equal(sample.bytes.begin() + End, sample.bytes.end(), unit.begin() + End));
    }
}

void injectWriteAck(E2ERig &r, std::uint16_t address)
{
    devlink::DeviceFrame f(devlink::NodeSystem, devlink::EEPROM_WRITE_CFM, 7);
    f.set(4, 16).setU16LE(5, address).finish();
    const auto bytes = devlink::SlipEncode(f.data(), f.length());
    r.unit->line().inject(bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Link, EndToEndEepromFaults,
    testing::Values(EepromFault{"WriteEveryAnswerTwice", true,
                                [](E2ERig &r) { r.unit->line().faultAnswers(sim::SimLine::AnswerFault::Repeat, {}, 1000); }, true},
                    EepromFault{"ReadEveryAnswerTwice", false,
                                [](E2ERig &r) { r.unit->line().faultAnswers(sim::SimLine::AnswerFault::Repeat, {}, 1000); }, true},
                    EepromFault{"WriteAnswerLate", true,
                                [](E2ERig &r) {
                                    r.unit->line().delayNextAnswer(std::chrono::milliseconds(100));
                                },
                                true},
                    EepromFault{"WriteConfirmsAnotherBlock", true,
                                [](E2ERig &r) { injectWriteAck(r, 0x0FF0); }, true},
                    // The unit's resend request repeats the last frame queued: the main
                    // window's polls are stopped and one more block goes through first,
                    // so that the frame repeated is the EEPROM's.
                    EepromFault{"WriteSerialErrorInstead", true,
                                [](E2ERig &r) {
                                    r.main().TimerVersion->stop();
                                    r.main().Timer1->stop();
                                    const auto at = EepromAddr;
                                    EXPECT_TRUE(r.waitFor([&] { return EepromAddr != at; }));
                                    r.unit->line().faultAnswers(
                                        sim::SimLine::AnswerFault::SerialError,
                                        {devlink::EEPROM_WRITE_CFM, {}});
                                },
                                true},
                    // Aimed at the EEPROM's own answers: the main window's identity
                    // requests go on meanwhile, and their answers must not take the fault.
                    EepromFault{"WriteAnswerLost", true,
                                [](E2ERig &r) {
                                    r.unit->line().faultAnswers(sim::SimLine::AnswerFault::Drop,
                                                                {devlink::EEPROM_WRITE_CFM, {}});
                                },
                                false},
                    EepromFault{"ReadAnswerCorrupted", false,
                                [](E2ERig &r) {
                                    r.unit->line().faultAnswers(sim::SimLine::AnswerFault::Corrupt,
                                                                {devlink::EEPROM_READ_CFM, {}});
                                },
                                false},
                    EepromFault{"WriteUnitFallsSilent", true,
                                [](E2ERig &r) { r.unit->line().dropNextAnswers(1000); }, false},
                    EepromFault{"WriteUnplugged", true, [](E2ERig &r) { r.unit->unplug(); },
                                false}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
