// The firmware update: the blocks built from a HEX image, the progress, and
// the window's exchange with a bootloader played by the test.
#include "tools/FirmwareUnit.h"

#include "platform/vcl/TestDialogs.h"
#include "tools/BootBlock.h"
#include "tools/HexFile.h"
#include "sim/SimClock.h"
#include "sim/SimLine.h"
#include "sim/SimulatedUnit.h"
#include "tests/support/PatternHex.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <chrono>
#include <memory>
#include <optional>
#include <utility>
#include <string>
#include <vector>

namespace {

// Sixteen bytes 01..10 at 0x0110 (checksums worked out by hand).
const char *PartPage = ":100110000102030405060708090A0B0C0D0E0F1057\n:00000001FF\n";
// One byte at 0x0000 and one at 0x01F0: two pages.
const char *TwoPages = ":0100000011EE\n:0101F00022EC\n:00000001FF\n";

TEST(BootBlock, BuiltFromTheImage)
{
    HEXFile image(TFirmware::ImageSize, 0xFF);
    image.readText(PartPage);
    struct Case
    {
        const char *what;
        std::int32_t address, pageSize;
        std::size_t size; // 0: refused
    } const cases[] = {
        {"page holding the data", 0x0100, 256, 259},
        {"erased page", 0x1F700, 256, 259},
        {"last page of the image", TFirmware::ImageSize - 256, 256, 259},
        {"page beyond the image", TFirmware::ImageSize, 256, 0},
        {"page not on a boundary", 0x0110, 256, 0},
        {"no page size yet", 0x0100, 0, 0},
        {"negative address", -256, 256, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const auto block = BuildBootBlock(image, c.address, c.pageSize);
        ASSERT_EQ(block.size(), c.size);
        if (c.size == 0)
            continue;
        EXPECT_EQ(block[0], (c.address >> 16) & 0xFF);
        EXPECT_EQ(block[1], (c.address >> 8) & 0xFF);
        std::uint8_t sum = 0;
        for (std::int32_t i = 0; i < c.pageSize; ++i) {
            EXPECT_EQ(block[static_cast<std::size_t>(2 + i)], image.getData(c.address + i));
            sum = static_cast<std::uint8_t>(sum + block[static_cast<std::size_t>(2 + i)]);
        }
        EXPECT_EQ(block.back(), sum);
    }
    // Data from 0x0110 on: the first 16 bytes of the page stay erased.
    const auto block = BuildBootBlock(image, 0x0100, 256);
    EXPECT_EQ(block[2 + 0x0F], 0xFF);
    EXPECT_EQ(block[2 + 0x10], 1);
}

TEST(BootBlock, Progress)
{
    struct Case
    {
        std::int32_t offset, start, end;
        int percent;
    } const cases[] = {
        {0, 0, 0x1FF, 0},    {256, 0, 0x1FF, 50}, {512, 0, 0x1FF, 100}, {256, 0x10, 0x20, 100},
        {8, 0x10, 0x20, 50}, {5, 7, 7, 0},        {300, 0x1F800, 0, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(BootProgress(c.offset, c.start, c.end), c.percent)
            << c.offset << " " << c.start << " " << c.end;
}

struct Window
{
    using Time = TFirmware::Time;
    vcl::ScriptedDialogs dialogs;
    QTemporaryDir dir;
    std::unique_ptr<TFirmware> form = std::make_unique<TFirmware>();
    std::vector<std::vector<std::uint8_t>> sent;
    bool holding = false; // the worker leaves what is sent in the queue
    Time now = Time(std::chrono::seconds(1));
    std::optional<Time> handedAt; // the first byte sent last went to the driver
    std::optional<Time> stamped;  // the bytes handled now were read then
    Time readAt{};                // of the byte being handled
    Time handledUpTo{};           // every byte read by then has been handled
    // Per send: when it went to the driver and when the byte that caused it was read.
    std::vector<std::pair<Time, Time>> sendTimes;
    std::vector<int> pauses;
    std::vector<std::size_t> droppedAfter; // frames sent when the queue was emptied

    Window()
    {
        form->DropQueued = [this] { droppedAfter.push_back(sent.size()); };
        form->Send = [this](const std::uint8_t *bytes, std::uint32_t count) {
            sent.emplace_back(bytes, bytes + count);
            handedAt.reset();
            if (!holding)
                handedAt = now;
            sendTimes.emplace_back(now, readAt);
            return true;
        };
        form->SentAt = [this](Time &at) {
            if (handedAt)
                at = *handedAt;
            return handedAt.has_value();
        };
        form->ReadAt = [this] { return readAt; };
        form->HandledUpTo = [this] { return handledUpTo; };
        form->Pause = [this](int ms) { pauses.push_back(ms); };
    }
    void file(const std::string &text)
    {
        const QString name = dir.path() + "/fw.hex";
        QFile f(name);
        f.open(QIODevice::WriteOnly);
        f.write(text.data(), static_cast<qint64>(text.size()));
        f.close();
        form->FileEdit->setText(name);
    }
    // The bootloader's bytes, each read and handled at once, at the time the
    // script has reached. What is sent goes out at once, except between '['
    // and ']': the worker writes it at ']'. '+': 80 ms pass, more than a
    // block's time on the line. '(' ... ')': the bytes between were read at
    // '(' however much later they are handled. '~': the block timer runs
    // out. '=': the answer time passes, every byte read meanwhile handled.
    // '%': it passes while a read still waits to be handled.
    void bytes(const char *chars)
    {
        for (const char *c = chars; *c; ++c) {
            switch (*c) {
            case '[':
                holding = true;
                break;
            case ']':
                holding = false;
                handedAt = now;
                break;
            case '+':
                now += std::chrono::milliseconds(80);
                break;
            case '(':
                stamped = now;
                break;
            case ')':
                stamped.reset();
                break;
            case '~':
                form->BlockTimerTimer();
                break;
            case '=':
                now += std::chrono::milliseconds(TFirmware::AnswerTimeMs);
                handledUpTo = now;
                form->AnswerTimerTimer();
                break;
            case '%':
                now += std::chrono::milliseconds(TFirmware::AnswerTimeMs);
                form->AnswerTimerTimer();
                break;
            default:
                readAt = stamped.value_or(now);
                form->HandleBootByte(static_cast<std::uint8_t>(*c));
                handledUpTo = std::max(handledUpTo, readAt);
            }
        }
    }
};

TEST(FirmwareWindow, OneReadyPerBlockAndAnEndWithinTime)
{
    struct Case
    {
        const char *what;
        const char *bytes;
        std::size_t sends; // the ack, the blocks and the end marker
        const char *shown;
    } const cases[] = {
        {"two blocks then the end", ">DT!+!+!=", 4, "Target updated"},
        {"every ready repeated while the next block waits", ">DT[!!]+[!!]+!!=", 4,
         "Target updated"},
        {"readies while the last block waits", ">DT!+[!!!]+!=", 4, "Target updated"},
        {"every ready repeated at once", ">DT!!+!!+!!=", 4, "Target updated"},
        {"a repeat read before the block was through, handled after", ">DT!(+!)+!+!=", 4,
         "Target updated"},
        {"a repeat after the end stays unanswered", ">DT!+!+!!=!", 4, "Target updated"},
        {"error before the first block is only logged", ">DT@!+!+!=", 4, "Target updated"},
        {"error for a block", ">DT!+@!", 2, "Target update failed"},
        {"error after the last block's ready", ">DT!+!+!@=", 4, "Target update failed"},
        {"error read within the answer time, handled after it", ">DT!+!+!(%@)=", 4,
         "Target update failed"},
        {"lost ready", ">DT!~!", 2, "Target update failed"},
        {"no ready after the start answer", ">DT~!", 1, "Target update failed"},
        {"reads stop within the answer time", ">DT!+!+!%~", 4, "Target update failed"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Window w;
        w.file(TwoPages);
        w.form->BtnProgramClick();
        w.dialogs.clear();
        w.bytes(c.bytes);
        vcl::ScriptedDialogs::deliverPosted();
        EXPECT_EQ(w.sent.size(), c.sends);
        EXPECT_EQ(BootState, TFirmware::S_IDLE);
        EXPECT_EQ(w.dialogs.texts().count(c.shown), 1);
        EXPECT_EQ(w.dialogs.texts().count("Target updated") +
                      w.dialogs.texts().count("Target update failed"),
                  1);
        EXPECT_FALSE(w.form->BlockTimer->isActive());
        EXPECT_FALSE(w.form->AnswerTimer->isActive());
        EXPECT_TRUE(w.form->BtnProgram->isEnabled());
        // Requests queued for the application never go out between the
        // bootloader's bytes: the queue is emptied once, before the answer.
        EXPECT_EQ(w.droppedAfter, std::vector<std::size_t>{0});
        // What follows a block is sent only on a byte read once the block
        // could be through: never two blocks on their way at once.
        for (std::size_t i = 2; i < w.sent.size(); ++i)
            EXPECT_GE(w.sendTimes[i].second,
                      w.sendTimes[i - 1].first + TFirmware::LineTime(w.sent[i - 1].size()))
                << "send " << i;
        if (c.sends == 4) {
            EXPECT_EQ(w.sent.back(), (std::vector<std::uint8_t>{0xFF, 0xFF}));
            EXPECT_EQ(w.pauses, std::vector<int>{1}); // the bootloader's time to leave
        }
    }
}

TEST(FirmwareWindow, RejectedBlockIsReportedAsFailure)
{
    Window w;
    w.file(TwoPages);
    w.form->BtnProgramClick();
    w.bytes("!>DT!+@!");          // a '!' before the start changes nothing
    ASSERT_EQ(w.sent.size(), 2u); // the ack and the first block; nothing after '@'
    EXPECT_EQ(w.sent[0], std::vector<std::uint8_t>{'<'});
    EXPECT_EQ(w.sent[1].size(), 259u);
    EXPECT_EQ(BootState, TFirmware::S_IDLE);
    vcl::ScriptedDialogs::deliverPosted();
    EXPECT_TRUE(w.dialogs.texts().contains("Target update failed"));
    EXPECT_FALSE(w.dialogs.texts().contains("Target updated"));
    // The test has no link: the window said so and opened all the same.
    EXPECT_TRUE(w.dialogs.texts().contains("! Not connected to target, please connect USB "));
}

// A file goes into an image of its own, which takes the old one's place
// only when the file was read whole; while an update runs, Program leaves
// the image being sent alone.
TEST(FirmwareWindow, FileReadWholeOrNotAtAll)
{
    struct Case
    {
        const char *what;
        const char *before; // the bootloader's bytes before the second Program
        std::string second;
        std::uint8_t at0, at110; // image bytes afterwards
        std::int32_t start, end;
        std::uint8_t state;
        bool errorShown;
    } const cases[] = {
        {"broken file while armed", "", ":0100000022DD\n:0101F000", 0x11, 0xFF, 0x0000, 0x01F0,
         TFirmware::S_ARMED, true},
        {"file without an end while armed", "", ":0100000022DD\n", 0x11, 0xFF, 0x0000, 0x01F0,
         TFirmware::S_ARMED, true},
        // As in one image: the second file's records over the first's bytes.
        {"whole file while armed", "", PartPage, 0x11, 0x01, 0x0110, 0x011F, TFirmware::S_ARMED,
         false},
        {"whole file during the update", ">DT!", PartPage, 0x11, 0xFF, 0x0000, 0x01F0,
         TFirmware::S_SENDING_PAGES, false},
        {"broken file during the update", ">DT!", ":0100000022DD\n:01", 0x11, 0xFF, 0x0000, 0x01F0,
         TFirmware::S_SENDING_PAGES, false},
        {"whole file after the update", ">DT!+!+!=", PartPage, 0x11, 0x01, 0x0110, 0x011F,
         TFirmware::S_ARMED, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Window w;
        w.file(TwoPages);
        w.form->BtnProgramClick();
        w.bytes(c.before);
        vcl::ScriptedDialogs::deliverPosted();
        w.dialogs.clear();
        w.file(c.second);
        w.form->BtnProgramClick();
        EXPECT_EQ(BootImage->getData(0), c.at0);
        EXPECT_EQ(BootImage->getData(0x110), c.at110);
        EXPECT_EQ(BootStart, c.start);
        EXPECT_EQ(BootEnd, c.end);
        EXPECT_EQ(BootState, c.state);
        EXPECT_EQ(!w.dialogs.shown().empty() && w.dialogs.last().type == vcl::MsgType::Error,
                  c.errorShown);
        // Program is offered only while no update runs.
        EXPECT_EQ(w.form->BtnProgram->isEnabled(), c.state != TFirmware::S_SENDING_PAGES);
    }
}

// A full image against the simulated unit's bootloader on a line whose time
// the test moves: the worker's passes (read, hand over, write) every 10 ms,
// each byte stamped with the time its read returned, each block with the
// time it went to the driver. Each read takes one byte, so that a repeat
// comes in a read of its own, after the block its first asked for went out.
struct SimulatedUpdate
{
    using Time = TFirmware::Time;
    static constexpr std::int32_t Pages = TFirmware::ImageSize / 256; // 504
    static constexpr auto PassTime = std::chrono::milliseconds(10);

    std::shared_ptr<sim::ManualClock> clock = std::make_shared<sim::ManualClock>();
    std::shared_ptr<sim::SimulatedUnit> unit = std::make_shared<sim::SimulatedUnit>();
    sim::SimLine line{unit, clock};
    std::uint64_t session = line.openSession().value_or(0);
    Window w;
    std::vector<std::vector<std::uint8_t>> queue; // handed to Send, not yet to the driver
    Time readAt{};
    // Called on every pass while the update runs.
    std::function<void(SimulatedUpdate &)> during;

    SimulatedUpdate(bool pacing)
    {
        line.setPacing(pacing);
        line.setMaxBytesPerRead(1);
        unit->setProgramMemory(sim::ProgramMemory{});
        w.form->Send = [this](const std::uint8_t *bytes, std::uint32_t count) {
            queue.emplace_back(bytes, bytes + count);
            w.sent.emplace_back(bytes, bytes + count);
            w.handedAt.reset();
            return true;
        };
        w.form->ReadAt = [this] { return readAt; };
        w.form->HandledUpTo = [this] { return readAt; };
    }
    Time now() const { return Time(clock->now()); }
    // `lines` records of 16 zero bytes from address 0, then a broken line.
    static std::string brokenZeroes(int lines)
    {
        std::string text;
        char buf[16];
        for (int line = 0; line < lines; ++line) {
            const unsigned at = static_cast<unsigned>(line) * 16;
            std::snprintf(buf, sizeof buf, ":10%04X00", at);
            text += buf + std::string(32, '0');
            std::snprintf(buf, sizeof buf, "%02X\n",
                          (0x100 - ((16 + (at >> 8) + (at & 0xFF)) & 0xFF)) & 0xFF);
            text += buf;
        }
        return text + ":10FFFF\n";
    }
    // Runs the update to its end; false when it did not end within a minute.
    bool run()
    {
        w.file(testsupport::patternHex(TFirmware::ImageSize / 256));
        w.form->BtnProgramClick();
        w.dialogs.clear();
        line.restartUnit();
        Time lastProgress = now();
        std::size_t sentBefore = 0;
        std::optional<Time> confirmedAt;
        for (int pass = 0; pass < 6000; ++pass) {
            std::array<std::uint8_t, 4096> in{};
            std::size_t got = 0;
            line.read(session, in, sim::Clock::duration::zero(), got);
            readAt = now();
            for (std::size_t i = 0; i < got; ++i)
                w.form->HandleBootByte(in[i]);
            if (during)
                during(*this);
            for (const auto &bytes : queue) {
                w.handedAt = now();
                line.write(session, bytes);
            }
            queue.clear();
            if (w.sent.size() != sentBefore) {
                sentBefore = w.sent.size();
                lastProgress = now();
            }
            if (BootState == TFirmware::S_LAST_CONFIRMED && !confirmedAt)
                confirmedAt = now();
            if (confirmedAt &&
                now() >= *confirmedAt + std::chrono::milliseconds(TFirmware::AnswerTimeMs))
                w.form->AnswerTimerTimer();
            if (now() >= lastProgress + std::chrono::milliseconds(TFirmware::BlockTimeoutMs))
                w.form->BlockTimerTimer();
            if (BootState == TFirmware::S_IDLE) {
                vcl::ScriptedDialogs::deliverPosted();
                return true;
            }
            clock->advance(PassTime);
        }
        return false;
    }
};

struct SimulatedCase
{
    const char *name;
    bool pacing;
    std::function<void(SimulatedUpdate &)> bend;
    const char *shown;
};

class FirmwareFullImage : public testing::TestWithParam<SimulatedCase>
{
};

TEST_P(FirmwareFullImage, EndsAsTheUnitAnsweredAndNeverRunsAhead)
{
    const SimulatedCase &c = GetParam();
    SimulatedUpdate u(c.pacing);
    if (c.bend)
        c.bend(u);
    ASSERT_TRUE(u.run());
    EXPECT_EQ(u.w.dialogs.texts().count(c.shown), 1) << u.w.dialogs.texts().join('|').toStdString();
    EXPECT_EQ(u.w.dialogs.texts().count("Target updated") +
                  u.w.dialogs.texts().count("Target update failed"),
              1);
    // No block reached the unit before its answer to the one before had left.
    EXPECT_EQ(u.line.bootBlocksAhead(), 0);
    const sim::BootloaderState boot = u.unit->bootloader();
    const sim::ProgramMemory memory = u.unit->programMemory();
    if (QString(c.shown) == "Target updated") {
        EXPECT_EQ(boot.pagesWritten, static_cast<std::uint32_t>(SimulatedUpdate::Pages));
        EXPECT_EQ(boot.phase, sim::BootloaderState::Phase::Application);
        // The whole flash agrees with the file.
        for (std::int32_t a = 0; a < TFirmware::ImageSize; ++a)
            ASSERT_EQ(memory.at(static_cast<std::uint32_t>(a)), testsupport::patternAt(static_cast<std::uint32_t>(a))) << a;
    } else {
        EXPECT_EQ(boot.blocksRejected, 1u);
    }
}

const auto everyReadyRepeated = [](SimulatedUpdate &u) {
    u.line.faultBootBytes(sim::SimLine::BootByteFault::Repeat, '!', 0, -1);
};

INSTANTIATE_TEST_SUITE_P(
    Bootloader, FirmwareFullImage,
    testing::Values(
        SimulatedCase{"Paced", true, nullptr, "Target updated"},
        SimulatedCase{"EveryReadyRepeatedPaced", true, everyReadyRepeated, "Target updated"},
        SimulatedCase{"EveryReadyRepeatedUnpaced", false, everyReadyRepeated, "Target updated"},
        SimulatedCase{"EveryReadyRepeatedLastBlockBadPaced", true,
                      [](SimulatedUpdate &u) {
                          everyReadyRepeated(u);
                          u.unit->bendBootBlock(SimulatedUpdate::Pages);
                      },
                      "Target update failed"},
        SimulatedCase{"EveryReadyRepeatedLastBlockBadUnpaced", false,
                      [](SimulatedUpdate &u) {
                          everyReadyRepeated(u);
                          u.unit->bendBootBlock(SimulatedUpdate::Pages);
                      },
                      "Target update failed"},
        SimulatedCase{"OneReadyRepeated20msLate", true,
                      [](SimulatedUpdate &u) {
                          u.line.faultBootBytes(sim::SimLine::BootByteFault::Repeat, '!', 10, 1,
                                                std::chrono::milliseconds(20));
                      },
                      "Target updated"},
        SimulatedCase{"EveryReadyRepeatedLateUnpaced", false,
                      [](SimulatedUpdate &u) {
                          u.line.faultBootBytes(sim::SimLine::BootByteFault::Repeat, '!', 0, -1,
                                                std::chrono::milliseconds(70));
                      },
                      "Target updated"},
        // At 17 % Program is pressed with another file, whose first 2,000
        // lines hold other bytes and whose next line is broken: the update
        // goes on with the image it started with, and no box interrupts it.
        SimulatedCase{"ProgramPressedWithABrokenFileMidway", true,
                      [](SimulatedUpdate &u) {
                          u.during = [](SimulatedUpdate &v) {
                              const QString name = v.w.dir.path() + "/other.hex";
                              if (BootProgress(BootOffset, BootStart, BootEnd) < 17 ||
                                  v.w.form->FileEdit->text() == name)
                                  return;
                              const std::string text = SimulatedUpdate::brokenZeroes(2000);
                              QFile f(name);
                              f.open(QIODevice::WriteOnly);
                              f.write(text.data(), static_cast<qint64>(text.size()));
                              f.close();
                              v.w.form->FileEdit->setText(name);
                              v.w.form->BtnProgramClick();
                              EXPECT_TRUE(v.w.dialogs.shown().empty());
                              EXPECT_EQ(BootState, TFirmware::S_SENDING_PAGES);
                          };
                      },
                      "Target updated"}),
    [](const auto &info) { return std::string(info.param.name); });

// The open dialog never starts with a folder that is not there: its name
// would stand in the dialog's name field.
TEST(FirmwareWindow, DialogStartsWhereAFolderIs)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("kept"));
    const QString kept = dir.path() + "/kept";
    const QString gone = dir.path() + "/gone";
    struct Case
    {
        const char *what;
        QString path, folder, start;
    } const cases[] = {
        {"nothing remembered, no firmware folder", "", gone, ""},
        {"nothing remembered, a firmware folder", "", kept, kept},
        {"a file in a folder that is there", kept + "/fw.hex", gone, kept + "/fw.hex"},
        {"a file in a folder that is gone", gone + "/fw.hex", gone, ""},
        {"a file in a folder that is gone, a firmware folder", gone + "/fw.hex", kept, kept},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FirmwareDialogStart(c.path, c.folder), c.start) << c.what;

    if (QDir("Firmware").exists())
        return; // the window's own folder is there where the tests run
    Window w;
    QStringList starts;
    w.form->ChooseFile = [&](const QString &start) {
        starts << start;
        return QString();
    };
    w.form->BtnOpenFileClick();
    w.form->Path = gone + "/fw.hex";
    w.form->BtnOpenFileClick();
    EXPECT_EQ(starts, (QStringList{"", ""}));
}

TEST(FirmwareWindow, FileFaultsAreShownAndArmNothing)
{
    struct Case
    {
        const char *what;
        std::string text; // empty: no file chosen
        const char *shown;
    } const cases[] = {
        {"no file", "", "! No file selected"},
        {"broken record", ":10000000FFFF\n", nullptr},
        {"no data", ":00000001FF\n", "! No data in file"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Window w;
        if (!c.text.empty())
            w.file(c.text);
        w.form->BtnProgramClick();
        EXPECT_EQ(BootState, TFirmware::S_IDLE);
        ASSERT_FALSE(w.dialogs.shown().empty());
        if (c.shown)
            EXPECT_TRUE(w.dialogs.texts().contains(c.shown));
        else
            EXPECT_EQ(w.dialogs.last().type, vcl::MsgType::Error);
        w.bytes(">");
        EXPECT_TRUE(w.sent.empty());
    }
}

} // namespace
