// The firmware update through the real windows and worker thread against the
// paced simulated unit, restarted into its bootloader by the test.
#include "tests/app/E2ERig.h"
#include "tests/config/modal_watchdog.h"

#include "config/UnitVersion.h"
#include "link/USB_Unit.h"
#include "platform/vcl/IniFile.h"
#include "tools/FIA_Unit.h"
#include "tools/FirmwareUnit.h"

#include <QFile>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <span>

using testsupport::E2ERig;

namespace {

using testsupport::patternAt;

// `pages` pages of the pattern, into erased flash.
QString writeUpdateFile(E2ERig &r, std::uint32_t pages)
{
    const std::string text = testsupport::patternHex(pages);
    r.unit->unit().setProgramMemory(sim::ProgramMemory{});
    const QString file = r.dir.path() + "/update.hex";
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(text.data(), static_cast<qint64>(text.size()));
    return file;
}

struct FirmwareCase
{
    const char *name;
    std::uint32_t pages;                  // pages the file covers
    std::function<void(E2ERig &)> before; // bends the link before the unit restarts
    std::function<bool(E2ERig &)> during; // true once it has bent the link mid-update
    std::function<bool(E2ERig &)> stuck;  // when the window waits for a '!' that cannot come
    const char *shown;
};

// Every page of the window's image.
constexpr std::uint32_t FullImagePages = TFirmware::ImageSize / 256;

class EndToEndFirmware : public testing::TestWithParam<FirmwareCase>
{
};

TEST_P(EndToEndFirmware, EndsAsTheUnitAnswered)
{
    const FirmwareCase &c = GetParam();
    testsupport::QuickVersionCheck quickCheck;
    E2ERig r;
    // A full image takes 504 blocks of 74 ms on the line, paced or not.
    const int waitMs = c.pages == FullImagePages ? 90000 : 20000;
    ModalWatchdog watchdog(waitMs + 40000);
    ASSERT_NO_FATAL_FAILURE(r.connectAndRead());

    const QString file = writeUpdateFile(r, c.pages);
    ASSERT_FALSE(file.isEmpty());
    vcl::TIniFile(r.main().iniPath()).WriteString("FIRMWARE", "PATH", file);

    const bool updates = QString(c.shown) == "Target updated";
    bool finished = false;
    QTimer::singleShot(1, &r.main(), [&] {
        TFirmware *w = Firmware;
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(r.main().usb()->rxMode(), devlink::RxModeBootloader);
        EXPECT_EQ(w->FileEdit->text(), file);
        // Answers to the polls before the window opened must not pass for the
        // bootloader's characters: the user restarts the unit on a quiet line.
        ASSERT_TRUE(r.waitFor([&] { return r.linkQuiet(); }));
        QCoreApplication::processEvents();
        r.dialogs.clear();
        w->BtnProgramClick();
        if (c.before)
            c.before(r);
        r.unit->line().restartUnit();
        if (c.during) {
            EXPECT_TRUE(r.waitFor([&] { return c.during(r); }));
        }
        if (c.stuck) {
            // The block timer's few seconds, without waiting for them.
            EXPECT_TRUE(r.waitFor([&] { return c.stuck(r); }));
            EXPECT_FALSE(r.dialogs.texts().contains("Target updated"));
            w->BlockTimerTimer();
        }
        finished = r.waitFor(
            [&] {
                return r.dialogs.texts().contains(c.shown) &&
                       (!updates || r.unit->unit().bootloader().phase ==
                                        sim::BootloaderState::Phase::Application);
            },
            waitMs);
        w->BtnExitClick();
    });
    r.main().Firmware1Click();

    EXPECT_TRUE(finished) << r.dialogs.texts().join('|').toStdString();
    EXPECT_EQ(Firmware, nullptr);
    EXPECT_EQ(r.main().usb()->rxMode(), devlink::RxModeFrames);
    EXPECT_FALSE(r.dialogs.texts().contains(updates ? "Target update failed" : "Target updated"));
    // The tool never sent a block before the unit could have answered the one before.
    EXPECT_EQ(r.unit->line().bootBlocksAhead(), 0);
    if (updates) {
        const sim::ProgramMemory memory = r.unit->unit().programMemory();
        for (std::uint32_t a = 0; a < c.pages * 256; ++a)
            ASSERT_EQ(memory.at(a), patternAt(a)) << a;
        EXPECT_EQ(memory.at(c.pages * 256), 0xFF); // not in the file
        EXPECT_EQ(r.unit->unit().bootloader().pagesWritten, c.pages);
    }
    if (updates && c.pages == FullImagePages) {
        // The flash compare says the same. Its first pages only: the whole
        // memory was checked above, and its whole range takes the window's
        // own tests (here it would take more than a minute on the line).
        r.unit->line().setMaxBytesPerRead(0);
        vcl::TIniFile(r.main().iniPath()).WriteString("FIA", "PATH", file);
        using Result = TFIA_Form::CompareResult;
        Result result = Result::Idle;
        QTimer::singleShot(1, &r.main(), [&] {
            TFIA_Form *w = FIA_Form;
            ASSERT_NE(w, nullptr);
            w->CompareEnd = 0x800;
            w->BtnStartClick();
            r.waitFor([&] { return w->Result != Result::Running; });
            result = w->Result;
            w->BtnExitClick();
        });
        r.main().FIAClick();
        EXPECT_EQ(result, Result::Equal);
        // The compare's box comes up from a timer after its end, which a slow
        // build may not have reached when the window closed.
        EXPECT_TRUE(r.waitFor(
            [&] {
                return r.dialogs.texts().contains("FIA compare File is identical with firmware");
            },
            5000));
    }
    EXPECT_EQ(vcl::TIniFile(r.main().iniPath()).ReadString("FIRMWARE", "PATH", {}), file);
}

std::uint32_t pagesWritten(E2ERig &r)
{
    return r.unit->unit().bootloader().pagesWritten;
}

INSTANTIATE_TEST_SUITE_P(
    Link, EndToEndFirmware,
    testing::Values(
        FirmwareCase{"TwoPages", 2, nullptr, nullptr, nullptr, "Target updated"},
        // Every '!' twice: one per block counts, the rest is ignored.
        FirmwareCase{"EveryReadyRepeated", 8,
                     [](E2ERig &r) { r.unit->line().repeatBootBytes('!', 100); }, nullptr, nullptr,
                     "Target updated"},
        // A line without pacing answers each block at once.
        FirmwareCase{"Unpaced", 8, [](E2ERig &r) { r.unit->line().setPacing(false); }, nullptr,
                     nullptr, "Target updated"},
        FirmwareCase{"UnpacedEveryReadyRepeated", 8,
                     [](E2ERig &r) {
                         r.unit->line().setPacing(false);
                         r.unit->line().repeatBootBytes('!', 100);
                     },
                     nullptr, nullptr, "Target updated"},
        FirmwareCase{
            "ReadyLate", 8,
            [](E2ERig &r) { r.unit->line().delayBootByte('!', std::chrono::milliseconds(500), 3); },
            nullptr, nullptr, "Target updated"},
        // The '!' for the third page comes as another character: not a
        // confirmation, and no other comes.
        FirmwareCase{"ReadyCorrupted", 8,
                     [](E2ERig &r) { r.unit->line().replaceBootByte('!', '#', 3); }, nullptr,
                     [](E2ERig &r) { return pagesWritten(r) == 3 && r.linkQuiet(); },
                     "Target update failed"},
        // The '!' for the third page is lost: nothing more comes.
        FirmwareCase{"ReadyLost", 8, [](E2ERig &r) { r.unit->line().dropBootByte('!', 3); },
                     nullptr, [](E2ERig &r) { return pagesWritten(r) == 3 && r.linkQuiet(); },
                     "Target update failed"},
        FirmwareCase{"StartAnswerUnanswered", 2,
                     [](E2ERig &r) { r.unit->line().dropBootByte('!'); }, nullptr,
                     [](E2ERig &r) {
                         return r.unit->unit().bootloader().phase ==
                                    sim::BootloaderState::Phase::Receiving &&
                                r.linkQuiet();
                     },
                     "Target update failed"},
        FirmwareCase{"ErrorFromTheBootloader", 8, nullptr,
                     [](E2ERig &r) {
                         if (pagesWritten(r) < 1)
                             return false;
                         const std::uint8_t error = '@';
                         r.unit->line().inject(std::span(&error, 1));
                         return true;
                     },
                     nullptr, "Target update failed"},
        // A full image: a '!' repeated at once, or 20 ms late, is never
        // taken for the answer to the block sent on the first. Each read
        // takes one byte, as a serial port's may, so that a repeat comes in
        // a read of its own, once the block sent on the first went out.
        FirmwareCase{"FullImageEveryReadyRepeated", FullImagePages,
                     [](E2ERig &r) {
                         r.unit->line().setMaxBytesPerRead(1);
                         r.unit->line().faultBootBytes(sim::SimLine::BootByteFault::Repeat, '!', 0,
                                                       -1);
                     },
                     nullptr, nullptr, "Target updated"},
        FirmwareCase{"FullImageOneReadyRepeated20msLate", FullImagePages,
                     [](E2ERig &r) {
                         r.unit->line().setMaxBytesPerRead(1);
                         r.unit->line().faultBootBytes(sim::SimLine::BootByteFault::Repeat, '!', 5,
                                                       1, std::chrono::milliseconds(20));
                     },
                     nullptr, nullptr, "Target updated"},
        // The unit's '@' to the last block is the end, whatever came before.
        FirmwareCase{"FullImageUnpacedEveryReadyRepeatedLastBlockBad", FullImagePages,
                     [](E2ERig &r) {
                         r.unit->line().setPacing(false);
                         r.unit->line().setMaxBytesPerRead(1);
                         r.unit->line().faultBootBytes(sim::SimLine::BootByteFault::Repeat, '!', 0,
                                                       -1);
                         r.unit->unit().bendBootBlock(FullImagePages);
                     },
                     nullptr, nullptr, "Target update failed"},
        FirmwareCase{"UnpluggedMidway", 8, nullptr,
                     [](E2ERig &r) {
                         if (pagesWritten(r) < 2)
                             return false;
                         r.unit->unplug();
                         return true;
                     },
                     [](E2ERig &r) { return r.main().usb()->linkState() != devlink::LinkOpen; },
                     "Target update failed"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
