// The flash compare through the real windows and worker thread against the
// paced simulated unit, with the unit's own firmware file.
#include "tests/app/E2ERig.h"
#include "tests/config/modal_watchdog.h"

#include "config/UnitVersion.h"
#include "main/ToolWindows.h"
#include "platform/vcl/IniFile.h"
#include "sim/ProgramMemory.h"
#include "tools/FIA_Unit.h"

#include <QFile>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

using testsupport::E2ERig;

namespace {

TEST(EndToEndFlashCompare, MatchingFileThenChangedByte)
{
    const int savedShow = TVersionForm::ShowVersionMs;
    TVersionForm::ShowVersionMs = 0;
    E2ERig r;
    ModalWatchdog watchdog(60000);
    r.connectThroughSelection();
    ASSERT_TRUE(r.waitFor([&] { return r.main().ReadFromDevice == 1; }, 30000));
    ASSERT_TRUE(r.waitFor([&] { return r.main().RefreshPending == 0; }));

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
    TVersionForm::ShowVersionMs = savedShow;
}

} // namespace
