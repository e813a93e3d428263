// The flash compare window against a unit played by the test: the compare
// logic, retries, stale and broken answers, and the HEX file's errors.
#include "tools/FIA_Unit.h"

#include "link/DeviceCommands.h"
#include "link/FrameCodec.h"
#include "platform/vcl/TestDialogs.h"
#include "tools/HexFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using namespace devlink;

namespace {

// Records at 0x0000, 0x0120 and 0xF000 (the byte at 0x0122 is 0x12), and one
// above the compared memory at 0xFC00.
const char *FileText = ":100000000102030405060708090A0B0C0D0E0F1068\n"
                       ":040120001011121395\n"
                       ":04F00000AABBCCDDFE\n"
                       ":01FC000055AE\n"
                       ":00000001FF\n";

struct Fia
{
    vcl::ScriptedDialogs dialogs;
    QTemporaryDir dir;
    std::unique_ptr<TFIA_Form> form;
    std::vector<std::vector<std::uint8_t>> sent;
    std::vector<std::uint8_t> memory; // the unit's program memory
    std::vector<int> pauses;

    explicit Fia(const char *text = FileText)
    {
        const QString name = dir.path() + "/firmware.hex";
        QFile f(name);
        f.open(QIODevice::WriteOnly);
        f.write(text);
        f.close();
        form = std::make_unique<TFIA_Form>();
        form->Send = [this](const std::uint8_t *frame, std::uint8_t count) {
            sent.emplace_back(frame, frame + count);
            return devlink::TxOutcome{};
        };
        form->Pause = [this](int ms) { pauses.push_back(ms); };
        form->FileEdit->setText(name);
        form->Path = name;
        HEXFile image(0x10000, 0xFF);
        try {
            image.readText(text);
        } catch (const ErrorMsg &) {
            // the file-error test needs no unit
        }
        for (std::int32_t a = 0; a < 0x10000; ++a)
            memory.push_back(image.getData(a));
    }
    ~Fia()
    {
        form.reset();
        QCoreApplication::processEvents(); // posted boxes go to the script
    }

    void answer(std::uint32_t address, std::uint8_t length = 22, std::uint8_t node = 1)
    {
        DeviceFrame f(node, FIRMWARE_READ_CFM, length);
        f.setU16LE(4, static_cast<std::uint16_t>(address));
        for (std::uint32_t i = 0; i < 16 && 6 + i < length; ++i)
            f.set(6 + i, memory[(address + i) & 0xFFFF]);
        f.finish();
        form->HandleFrame(f.data(), f.length());
    }
    // Read requests sent so far, by address.
    std::vector<std::uint32_t> reads() const
    {
        std::vector<std::uint32_t> out;
        for (const auto &f : sent)
            if (f[FrameCommandAt] == FIRMWARE_READ_REQ && f.size() == 6)
                out.push_back(f[4] | f[5] << 8);
        return out;
    }
    // Answers every request until the compare ends.
    void play()
    {
        std::size_t done = 0;
        while (form->Result == TFIA_Form::CompareResult::Running) {
            const auto r = reads();
            ASSERT_GT(r.size(), done);
            done = r.size();
            answer(r.back());
        }
    }
    QString status() const { return form->MemoStatus->toPlainText(); }
};

TEST(FlashCompare, FirstDifference)
{
    HEXFile image(0x20, 0xFF);
    image.readText(":0400100001020304E2\n:00000001FF\n");
    const std::uint8_t same[] = {1, 2, 3, 4};
    const std::uint8_t third[] = {1, 2, 0, 4};
    const std::uint8_t erased[] = {0xFF, 0xFF};
    const std::uint8_t pastImage[] = {0xFF, 0x00};
    EXPECT_EQ(FirstDifference(image, 0x10, same), std::nullopt);
    EXPECT_EQ(FirstDifference(image, 0x10, third), 0x12u);
    EXPECT_EQ(FirstDifference(image, 0x00, erased), std::nullopt); // unfilled bytes are 0xFF
    EXPECT_EQ(FirstDifference(image, 0x1F, pastImage), 0x20u);
}

TEST(FlashCompare, IdenticalMemoryReadsEveryBlockOnce)
{
    Fia t;
    t.form->BtnStartClick();
    ASSERT_FALSE(t.sent.empty());
    EXPECT_EQ(t.sent.front()[FrameCommandAt], SYSTEM_SETUP_READ_REQ);
    EXPECT_EQ(t.pauses, std::vector<int>{20}); // the identity's time to come back
    t.memory[0xFC00] = 0x00;                   // above the compared memory
    t.play();
    EXPECT_EQ(t.form->Result, TFIA_Form::CompareResult::Equal);
    EXPECT_EQ(t.reads().size(), 4032u);
    EXPECT_EQ(t.form->LabelProcent->text(), "100 % done");
    EXPECT_TRUE(t.status().contains("FIA compare File is identical with firmware"));
    vcl::ScriptedDialogs::deliverPosted();
    EXPECT_EQ(t.dialogs.texts().value(0), "FIA compare File is identical with firmware");
}

TEST(FlashCompare, DifferenceReportsItsAddress)
{
    Fia t;
    t.memory[0x0122] = 0x99;
    t.form->BtnStartClick();
    t.play();
    EXPECT_EQ(t.form->Result, TFIA_Form::CompareResult::Different);
    EXPECT_EQ(t.form->DifferenceAddr, 0x122u);
    EXPECT_EQ(t.reads().back(), 0x120u);
    EXPECT_TRUE(t.status().contains("FIA compare Fail, File not the same in Adr: 0122"));
    EXPECT_TRUE(t.form->MemoTarget->toPlainText().endsWith(
        "Adr:0120 : 10:11:99:13:FF:FF:FF:FF:FF:FF:FF:FF:FF:FF:FF:FF:"));
    EXPECT_TRUE(t.form->MemoFile->toPlainText().endsWith(
        "Adr:0120 : 10:11:12:13:FF:FF:FF:FF:FF:FF:FF:FF:FF:FF:FF:FF:"));
}

// The status record of a compare: its head names the chosen file, and each
// ending closes it with a rule, except the lost contact.
TEST(FlashCompare, StatusRecordOfEachEnding)
{
    const QString rule(70, '-');
    struct Case
    {
        const char *what;
        std::function<void(Fia &)> run;
        QString ending;
    } const cases[] = {
        {"identical", [](Fia &t) { t.play(); },
         "FIA compare File is identical with firmware\n" + rule},
        {"different",
         [](Fia &t) {
             t.memory[0x0122] = 0x99;
             t.play();
         },
         "FIA compare Fail, File not the same in Adr: 0122\n" + rule},
        {"cancelled", [](Fia &t) { t.form->BtnCancelClick(); }, "User cancel compare\n" + rule},
        {"no contact",
         [](Fia &t) {
             for (int i = 0; i < 6; ++i)
                 t.form->TimerRequestTimer();
         },
         "With firmware version :\nNo contact to target"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Fia t;
        // A name typed into the edit is read, but the record names the file chosen.
        const QString typed = t.dir.path() + "/typed.hex";
        ASSERT_TRUE(QFile::copy(t.form->Path, typed));
        t.form->FileEdit->setText(typed);
        t.form->BtnStartClick();
        c.run(t);
        EXPECT_TRUE(t.status().contains("\nComparing file : " + t.form->Path + "\n"))
            << t.status().toStdString();
        EXPECT_TRUE(t.status().endsWith(c.ending)) << t.status().toStdString();
    }
}

TEST(FlashCompare, SixTriesThenNoContactNeverEqual)
{
    Fia t;
    t.form->BtnStartClick();
    for (int i = 0; i < 5; ++i)
        t.form->TimerRequestTimer();
    t.answer(0); // the sixth try is answered: the compare goes on
    EXPECT_EQ(t.reads(), (std::vector<std::uint32_t>{0, 0, 0, 0, 0, 0, 16}));
    for (int i = 0; i < 6; ++i)
        t.form->TimerRequestTimer();
    EXPECT_EQ(t.form->Result, TFIA_Form::CompareResult::NoContact);
    EXPECT_EQ(t.reads().size(), 12u);
    t.answer(16); // too late
    t.form->TimerRequestTimer();
    EXPECT_EQ(t.form->Result, TFIA_Form::CompareResult::NoContact);
    EXPECT_EQ(t.reads().size(), 12u);
    EXPECT_TRUE(t.status().contains("No contact to target"));
}

TEST(FlashCompare, StaleAndBrokenAnswersAreIgnored)
{
    Fia t;
    t.form->BtnStartClick();
    t.form->TimerRequestTimer(); // block 0 asked twice
    t.answer(0);
    t.answer(0);         // the answer to the first try, late: not block 16
    t.answer(16, 21);    // too short for 16 bytes
    t.answer(16, 22, 0); // the other node
    DeviceFrame bad(1, FIRMWARE_READ_CFM, 22);
    bad.setU16LE(4, 16).finish();
    bad.set(0, static_cast<std::uint8_t>(bad[0] ^ 1));
    t.form->HandleFrame(bad.data(), bad.length());
    EXPECT_EQ(t.form->Result, TFIA_Form::CompareResult::Running);
    EXPECT_EQ(CompareAddr, 16u);
    EXPECT_EQ(t.reads(), (std::vector<std::uint32_t>{0, 0, 16}));
}

TEST(FlashCompare, CancelIgnoresLateAnswers)
{
    Fia t;
    t.form->BtnStartClick();
    t.form->BtnCancelClick();
    t.answer(0);
    EXPECT_EQ(t.form->Result, TFIA_Form::CompareResult::Cancelled);
    EXPECT_EQ(t.reads().size(), 1u);
    EXPECT_TRUE(t.status().contains("User cancel compare"));
}

TEST(FlashCompare, FileErrorsStopBeforeAnyRequest)
{
    Fia t(":0100000001FE\n:0100010002FF\n:00000001FF\n");
    t.form->BtnStartClick();
    EXPECT_EQ(t.form->Result, TFIA_Form::CompareResult::FileError);
    EXPECT_TRUE(t.sent.empty());
    EXPECT_TRUE(
        t.dialogs.texts().value(0).startsWith("HEX file line 2: Wrong checksum for HEX record!"));

    // No file chosen: a name typed into the edit does not count.
    t.form->Path.clear();
    t.form->BtnStartClick();
    EXPECT_EQ(t.dialogs.texts().value(1), " No .hex file selectet");
    EXPECT_TRUE(t.sent.empty());
}

} // namespace
