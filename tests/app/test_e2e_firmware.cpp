// The firmware update through the real windows and worker thread against the
// paced simulated unit, restarted into its bootloader by the test.
#include "tests/app/E2ERig.h"
#include "tests/config/modal_watchdog.h"

#include "config/UnitVersion.h"
#include "link/USB_Unit.h"
#include "platform/vcl/IniFile.h"
#include "tools/FirmwareUnit.h"

#include <QFile>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

using testsupport::E2ERig;

namespace {

TEST(EndToEndFirmware, UpdateLandsInProgramMemory)
{
    const int savedShow = TVersionForm::ShowVersionMs;
    TVersionForm::ShowVersionMs = 0;
    E2ERig r;
    ModalWatchdog watchdog(60000);
    r.connectThroughSelection();
    ASSERT_TRUE(r.waitFor([&] { return r.main().ReadFromDevice == 1; }, 30000));
    ASSERT_TRUE(r.waitFor([&] { return r.main().RefreshPending == 0; }));

    // The unit's own firmware below 0x0200 (two pages) into erased flash.
    const std::string_view builtIn = sim::ProgramMemory::builtInHex();
    const std::string text =
        std::string(builtIn.substr(0, builtIn.find(":10100000"))) + ":00000001FF\n";
    r.unit->unit().setProgramMemory(sim::ProgramMemory{});
    const QString file = r.dir.path() + "/update.hex";
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.data(), static_cast<qint64>(text.size()));
    }
    vcl::TIniFile(r.main().iniPath()).WriteString("FIRMWARE", "PATH", file);

    bool finished = false;
    QTimer::singleShot(1, &r.main(), [&] {
        TFirmware *w = Firmware;
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(r.main().usb()->rxMode(), devlink::RxModeBootloader);
        EXPECT_EQ(w->FileEdit->text(), file);
        // Answers to the polls before the window opened must not pass for the
        // bootloader's characters: the user restarts the unit on a quiet line.
        ASSERT_TRUE(r.waitFor([&] {
            const auto queue = r.main().usb()->queueSnapshot();
            return std::none_of(queue.begin(), queue.end(),
                                [](const devlink::TxSlot &s) { return s.Used != 0; }) &&
                   !r.unit->line().untilNextEvent();
        }));
        QCoreApplication::processEvents();
        w->BtnProgramClick();
        r.unit->line().restartUnit();
        finished = r.waitFor([&] {
            return r.dialogs.texts().contains("Target updated") &&
                   r.unit->unit().bootloader().phase == sim::BootloaderState::Phase::Application;
        });
        w->BtnExitClick();
    });
    r.main().Firmware1Click();

    EXPECT_TRUE(finished);
    EXPECT_EQ(Firmware, nullptr);
    EXPECT_EQ(r.main().usb()->rxMode(), devlink::RxModeFrames);
    EXPECT_FALSE(r.dialogs.texts().contains("Target update failed"));
    const sim::ProgramMemory memory = r.unit->unit().programMemory();
    const sim::ProgramMemory expected = sim::ProgramMemory::builtIn();
    for (std::uint32_t a = 0; a < 0x0200; ++a)
        ASSERT_EQ(memory.at(a), expected.at(a)) << a;
    EXPECT_EQ(memory.at(0x1000), 0xFF); // not in the file
    EXPECT_EQ(r.unit->unit().bootloader().pagesWritten, 2u);
    EXPECT_EQ(vcl::TIniFile(r.main().iniPath()).ReadString("FIRMWARE", "PATH", {}), file);
    TVersionForm::ShowVersionMs = savedShow;
}

} // namespace
