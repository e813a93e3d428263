// The flash compare through the real windows and worker thread against the
// paced simulated unit, with the unit's own firmware file.
#include "tests/app/E2ERig.h"
#include "tests/config/modal_watchdog.h"

#include "config/UnitVersion.h"
#include "link/DeviceCommands.h"
#include "link/FrameCodec.h"
#include "main/ToolWindows.h"
#include "platform/vcl/IniFile.h"
#include "sim/ProgramMemory.h"
#include "tools/FIA_Unit.h"

#include <QFile>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>

using testsupport::E2ERig;

namespace {

TEST(EndToEndFlashCompare, MatchingFileThenChangedByte)
{
    testsupport::QuickVersionCheck quickCheck;
    E2ERig r;
    ModalWatchdog watchdog(60000);
    ASSERT_NO_FATAL_FAILURE(r.connectAndRead());

    const QString file = r.dir.path() + "/unit.hex";
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const std::string_view hex = sim::ProgramMemory::builtInHex();
        f.write(hex.data(), static_cast<qint64>(hex.size()));
    }
    {
        vcl::TIniFile ini(r.main().iniPath());
        ini.WriteString("FIA", "PATH", file);
    }

    using Result = TFIA_Form::CompareResult;
    Result first = Result::Idle, second = Result::Idle;
    std::uint32_t difference = 0;
    QTimer::singleShot(1, &r.main(), [&] {
        TFIA_Form *w = FIA_Form;
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(ToolWindows.FIA.handler, w);
        EXPECT_EQ(w->FileEdit->text(), file);
        // The first blocks hold the records the test changes; the whole
        // memory is compared in the window's own tests.
        w->CompareEnd = 0x200;
        w->BtnStartClick();
        r.waitFor([&] { return w->Result != Result::Running; });
        first = w->Result;

        sim::ProgramMemory memory = r.unit->unit().programMemory();
        memory.bytes[0x0122] ^= 0x01;
        r.unit->unit().setProgramMemory(memory);
        w->BtnStartClick();
        r.waitFor([&] { return w->Result != Result::Running; });
        second = w->Result;
        difference = w->DifferenceAddr;
        w->BtnExitClick();
    });
    r.main().FIAClick();

    EXPECT_EQ(first, Result::Equal);
    EXPECT_EQ(second, Result::Different);
    EXPECT_EQ(difference, 0x122u);
    EXPECT_EQ(FIA_Form, nullptr);
    EXPECT_FALSE(ToolWindows.FIA.open());
    EXPECT_TRUE(r.dialogs.texts().contains("FIA compare File is identical with firmware"));
    EXPECT_TRUE(r.dialogs.texts().contains("FIA compare Fail, File not the same in Adr: 0122"));
    // The path stays in the tool's INI file beside the main window's sections.
    r.main().FormClose();
    vcl::TIniFile ini(r.main().iniPath());
    EXPECT_EQ(ini.ReadString("FIA", "PATH", {}), file);
    EXPECT_TRUE(ini.SectionExists("Form"));
}

// A fault on the link once the compare of 0000 to 0400 is a quarter through.
struct CompareFault
{
    const char *name;
    std::function<void(E2ERig &)> bend;
    TFIA_Form::CompareResult result;
};

class EndToEndCompareFaults : public testing::TestWithParam<CompareFault>
{
};

TEST_P(EndToEndCompareFaults, EndsWithTheTruth)
{
    const CompareFault &c = GetParam();
    testsupport::QuickVersionCheck quickCheck;
    E2ERig r;
    ModalWatchdog watchdog(60000);
    ASSERT_NO_FATAL_FAILURE(r.connectAndRead());
    r.main().PauseStatusPolling();
    const QString file = r.dir.path() + "/unit.hex";
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const std::string_view hex = sim::ProgramMemory::builtInHex();
        f.write(hex.data(), static_cast<qint64>(hex.size()));
    }
    vcl::TIniFile(r.main().iniPath()).WriteString("FIA", "PATH", file);

    using Result = TFIA_Form::CompareResult;
    Result result = Result::Idle;
    QTimer::singleShot(1, &r.main(), [&] {
        TFIA_Form *w = FIA_Form;
        ASSERT_NE(w, nullptr);
        w->CompareEnd = 0x400;
        w->BtnStartClick();
        EXPECT_TRUE(
            r.waitFor([&] { return CompareAddr >= 0x100 || w->Result != Result::Running; }));
        c.bend(r);
        // The request timer's 300 ms, without waiting for them: each time the
        // line is quiet while an answer is awaited, the time is up.
        for (int i = 0; i < 400 && w->Result == Result::Running; ++i) {
            EXPECT_TRUE(r.waitFor([&] { return w->Result != Result::Running || r.linkQuiet(); }));
            QCoreApplication::processEvents(); // a hand-over of the last bytes read
            if (w->Result == Result::Running && r.linkQuiet())
                w->TimerRequestTimer();
        }
        result = w->Result;
        // The closing message is posted: it comes up before the window goes.
        EXPECT_TRUE(r.waitFor([&] { return r.dialogs.count() > 0; }));
        w->BtnExitClick();
    });
    r.main().FIAClick();
    EXPECT_EQ(result, c.result);
    const bool equal = c.result == Result::Equal;
    EXPECT_EQ(r.dialogs.texts().contains("FIA compare File is identical with firmware"), equal);
    EXPECT_EQ(r.dialogs.texts().contains("No contact to target"), !equal)
        << r.dialogs.texts().join('|').toStdString();
}

void injectRead(E2ERig &r, std::uint16_t address)
{
    devlink::DeviceFrame f(devlink::NodeApplication, devlink::FIRMWARE_READ_CFM, 22);
    f.setU16LE(4, address).finish(); // sixteen zero bytes: would differ from the file
    const auto bytes = devlink::SlipEncode(f.data(), f.length());
    r.unit->line().inject(bytes);
}

using Result = TFIA_Form::CompareResult;

INSTANTIATE_TEST_SUITE_P(
    Link, EndToEndCompareFaults,
    testing::Values(
        CompareFault{"EveryAnswerTwice", [](E2ERig &r) { r.unit->line().faultAnswers(sim::SimLine::AnswerFault::Repeat, {}, 1000); },
                     Result::Equal},
        // Aimed at the flash reads: the identity polls' answers must not take the fault.
        CompareFault{"AnswerLost",
                     [](E2ERig &r) {
                         r.unit->line().faultAnswers(sim::SimLine::AnswerFault::Drop,
                                                     {devlink::FIRMWARE_READ_CFM, {}});
                     },
                     Result::Equal},
        CompareFault{"AnswerCorrupted",
                     [](E2ERig &r) {
                         r.unit->line().faultAnswers(sim::SimLine::AnswerFault::Corrupt,
                                                     {devlink::FIRMWARE_READ_CFM, {}});
                     },
                     Result::Equal},
        CompareFault{
            "AnswerLate",
            [](E2ERig &r) { r.unit->line().delayNextAnswer(std::chrono::milliseconds(100)); },
            Result::Equal},
        CompareFault{"AnswerForAnotherAddress", [](E2ERig &r) { injectRead(r, 0x3000); },
                     Result::Equal},
        CompareFault{"SerialErrorInstead",
                     [](E2ERig &r) { r.unit->line().faultAnswers(sim::SimLine::AnswerFault::SerialError, {}); }, Result::Equal},
        CompareFault{"UnitFallsSilent", [](E2ERig &r) { r.unit->line().dropNextAnswers(1000); },
                     Result::NoContact},
        CompareFault{"Unplugged", [](E2ERig &r) { r.unit->unplug(); }, Result::NoContact}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
