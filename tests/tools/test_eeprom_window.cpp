// The EEPROM editor without a unit: ranges, answers the unit should not
// give, a transfer that is not confirmed, cell edits and image files.
#include "tools/EEPROM.h"

#include "link/DeviceCommands.h"
#include "link/FrameCodec.h"
#include "platform/vcl/TestDialogs.h"

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <array>
#include <vector>

using namespace devlink;

namespace {

struct Window
{
    vcl::ScriptedDialogs dialogs;
    TEEPROMForm form;
    // What the queue answers the window's requests.
    devlink::TxOutcome queue;
    Window()
    {
        form.Send = [this](const std::uint8_t *, std::uint8_t) { return queue; };
    }
    ~Window() { EepromOp = EepromIdle; }
    void range(const char *start, const char *end)
    {
        form.EEPROMStartEdit->setText(start);
        form.EEPROMEndEdit->setText(end);
    }
    QString cell(std::size_t address)
    {
        return form.EEStringGrid
            ->item(static_cast<int>(address / 16) + 1, static_cast<int>(address % 16) + 1)
            ->text();
    }
    QString ascii(int row) { return form.EEStringGrid->item(row, 17)->text(); }
};

// An answer in a zeroed receive buffer, as the dispatcher hands it on.
std::array<std::uint8_t, 256> ReadAnswer(std::uint16_t address, std::uint8_t first,
                                         std::uint8_t length = 23)
{
    DeviceFrame f(NodeSystem, EEPROM_READ_CFM, length);
    f.set(4, 16).setU16LE(5, address);
    for (std::size_t i = 0; i < 16 && 7 + i < length; ++i)
        f.set(7 + i, static_cast<std::uint8_t>(first + i));
    f.finish();
    std::array<std::uint8_t, 256> b{};
    std::copy_n(f.data(), f.length(), b.begin());
    return b;
}

// The unit names the block it stored; `named` false: a bare confirmation.
std::array<std::uint8_t, 256> WriteAck(std::uint16_t address, bool named = true)
{
    DeviceFrame f(NodeSystem, EEPROM_WRITE_CFM, named ? 7 : 4);
    if (named)
        f.set(4, 16).setU16LE(5, address);
    f.finish();
    std::array<std::uint8_t, 256> b{};
    std::copy_n(f.data(), f.length(), b.begin());
    return b;
}

} // namespace

// The unit holds 0000 to 1000 (end exclusive); a unit may take an address
// past it as one from its start, so no block of a transfer may reach past it.
TEST(EepromWindow, RangesOutsideTheUnitAreRefused)
{
    constexpr bool Read = false, Write = true;
    struct Case
    {
        const char *start, *end;
        bool write;
        std::uint8_t code; // of the first frame, when the transfer starts
        std::uint16_t address;
        const char *refusal; // the box's words when refused before any frame
    } cases[] = {
        {"0000", "1000", Read, EEPROM_READ_REQ, 0x0000, nullptr},
        {"0ff0", "1000", Read, EEPROM_READ_REQ, 0x0FF0, nullptr},
        {"0000", "0018", Read, EEPROM_READ_REQ, 0x0000, nullptr},
        {"0FF0", "1000", Write, EEPROM_WRITE_REQ, 0x0FF0, nullptr},
        // The unit's block under a last block that reaches beyond the range.
        {"0FF0", "0FF8", Write, EEPROM_READ_REQ, 0x0FF0, nullptr},
        {"1000", "1020", Read, 0, 0, "0000 to 1000"},
        {"1000", "1010", Write, 0, 0, "0000 to 1000"},
        {"0FF0", "1010", Read, 0, 0, "0000 to 1000"},
        {"0FF0", "1010", Write, 0, 0, "0000 to 1000"},
        {"0008", "3E60", Read, 0, 0, "0000 to 1000"},
        // Within the range, but its one block would reach 0FF8 to 1007.
        {"0FF8", "1000", Read, 0, 0, "0000 to 1000"},
        {"0FF8", "1000", Write, 0, 0, "0000 to 1000"},
        {"0FE8", "0FFF", Write, 0, 0, "0000 to 1000"}, // its second block: 0FF8 to 1007
        {"0020", "0010", Read, 0, 0, "0000 to 1000"},
        {"0010", "0010", Read, 0, 0, "0000 to 1000"},
        {"zz", "0010", Read, 0, 0, "hexadecimal"},
        {"0000", "3E80", Read, 0, 0, "0000 to 1000"},
        {"3E68", "3E70", Write, 0, 0, "0000 to 1000"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.write ? "write " : "read ") + c.start + ".." + c.end);
        Window w;
        std::vector<std::vector<std::uint8_t>> sent;
        w.form.Send = [&](const std::uint8_t *f, std::uint8_t n) {
            sent.emplace_back(f, f + n);
            return devlink::TxOutcome{};
        };
        w.range(c.start, c.end);
        if (c.write)
            w.form.EEPROMWriteBtnClick();
        else
            w.form.EEPROMReadBtnClick();
        QPushButton *button = c.write ? w.form.EEPROMWriteBtn : w.form.EEPROMReadBtn;
        if (c.refusal) {
            EXPECT_EQ(EepromOp, EepromIdle);
            EXPECT_TRUE(sent.empty());
            EXPECT_EQ(w.dialogs.count(), 1);
            EXPECT_TRUE(w.dialogs.texts().join("").contains(c.refusal))
                << w.dialogs.texts().join("|").toStdString();
            EXPECT_TRUE(button->isEnabled());
            EXPECT_FALSE(w.form.ReadWriteTimer->isActive());
        } else {
            EXPECT_EQ(EepromOp, c.write ? EepromWriting : EepromReading);
            EXPECT_EQ(w.dialogs.count(), 0);
            EXPECT_FALSE(button->isEnabled());
            EXPECT_EQ(sent.size(), 1u);
            if (!sent.empty()) {
                EXPECT_EQ(sent[0][FrameCommandAt], c.code);
                EXPECT_EQ(sent[0][5] | sent[0][6] << 8, c.address);
            }
        }
    }
}

TEST(EepromWindow, AnswersAreBoundedByTheImage)
{
    Window w;
    const auto across = ReadAnswer(0x0008, 0x41); // fills 0x0008..0x0017
    w.form.HandleFrame(across.data(), across[1]);
    EXPECT_EQ(w.cell(0x0008), "41");
    EXPECT_EQ(w.cell(0x0017), "50");
    // A block off a row start leaves the ASCII text as it was; one on a row
    // start rebuilds its row.
    EXPECT_EQ(w.ascii(1), QString(". ").repeated(16));
    EXPECT_EQ(w.ascii(2), QString(". ").repeated(16));
    const auto aligned = ReadAnswer(0x0010, 0x51);
    w.form.HandleFrame(aligned.data(), aligned[1]);
    EXPECT_EQ(w.ascii(1), QString(". ").repeated(16));
    EXPECT_EQ(w.ascii(2), "QRSTUVWXYZ[\\]^_`");

    // Rows beyond the EEPROM stay blank until an answer fills them.
    EXPECT_EQ(w.form.EEStringGrid->rowCount(), 1000);
    EXPECT_EQ(w.cell(0x1000), "");
    const auto pastEeprom = ReadAnswer(0x0FF8, 0x61);
    w.form.HandleFrame(pastEeprom.data(), pastEeprom[1]);
    EXPECT_EQ(w.cell(0x1007), "70");
    EXPECT_EQ(w.cell(0x100F), "00");
    EXPECT_EQ(w.form.EEStringGrid->item(257, 0)->text(), "1000");

    const auto beyond = ReadAnswer(0x3E68, 0x61);
    w.form.HandleFrame(beyond.data(), beyond[1]);
    const auto shortFrame = ReadAnswer(0x0020, 0x61, 20);
    w.form.HandleFrame(shortFrame.data(), shortFrame[1]);
    EXPECT_EQ(w.form.Byte(0x3E68), 0);
    EXPECT_EQ(w.cell(0x3E68), "");
    EXPECT_EQ(w.form.Byte(0x0020), 0);
}

TEST(EepromWindow, OnlyTheAwaitedBlockMovesATransferOn)
{
    struct Step
    {
        std::uint16_t ackFor;
        bool named;
        std::uint16_t addrAfter;
        int progressAfter;
        // The unit's answer to the read of a last block that reaches beyond
        // the range, instead of a write confirmation.
        bool tailRead = false;
    };
    struct Case
    {
        const char *what, *start, *end;
        std::vector<Step> steps;
        bool done;
    } const cases[] = {
        {"repeated confirmations",
         "0000",
         "0030",
         {{0x0000, true, 0x0010, 33},
          {0x0000, true, 0x0010, 33},
          {0x0010, true, 0x0020, 66},
          {0x0010, true, 0x0020, 66},
          {0x0020, true, 0x0030, 100}},
         true},
        {"a bare confirmation still counts",
         "0000",
         "0020",
         {{0, false, 0x0010, 50}, {0, false, 0x0020, 100}},
         true},
        // Hundredths of the range: 16 / (4096 / 100) = 0.
        {"progress in integer hundredths", "0000", "1000", {{0x0000, true, 0x0010, 0}}, false},
        // The last block reaches beyond the end: it is read from the unit
        // first, and a confirmation before its write moves nothing.
        {"unaligned start and end",
         "0008",
         "0021",
         {{0x0008, true, 0x0018, 64},
          {0x0018, true, 0x0018, 64},
          {0x0018, true, 0x0018, 64, true},
          {0x0018, true, 0x0028, 100}},
         true},
        {"end inside the only block",
         "0000",
         "0008",
         {{0x0000, true, 0x0000, 0}, {0x0000, true, 0x0000, 0, true}, {0x0000, true, 0x0010, 100}},
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Window w;
        w.range(c.start, c.end);
        w.form.EEPROMWriteBtnClick();
        ASSERT_EQ(EepromOp, EepromWriting);
        for (const Step &s : c.steps) {
            const auto ack = s.tailRead ? ReadAnswer(s.ackFor, 0x41) : WriteAck(s.ackFor, s.named);
            w.form.HandleFrame(ack.data(), ack[1]);
            // The unit's bytes under the last block are not shown.
            EXPECT_EQ(w.cell(s.ackFor), "00");
            EXPECT_EQ(EepromAddr, s.addrAfter);
            EXPECT_EQ(w.form.EEPROMProgressBar->value(), s.progressAfter);
        }
        EXPECT_EQ(EepromOp == EepromIdle, c.done);
    }
}

TEST(EepromWindow, WriteNotConfirmedIsReportedAndEndsTheTransfer)
{
    Window w;
    w.range("0000", "0030");
    w.form.EEPROMWriteBtnClick();
    ASSERT_EQ(EepromOp, EepromWriting);
    const auto ack = WriteAck(0x0000);
    w.form.HandleFrame(ack.data(), ack[1]);
    EXPECT_EQ(EepromAddr, 0x0010);
    EXPECT_EQ(w.form.EEPROMWriteBtn->text(), "Writing");
    EXPECT_EQ(w.form.EEPROMProgressBar->value(), 33);

    w.form.ReadWriteTimerTimer();
    EXPECT_EQ(w.dialogs.texts(), QStringList{"Please power up the Target and try again"});
    EXPECT_EQ(EepromOp, EepromIdle);
    EXPECT_FALSE(w.form.ReadWriteTimer->isActive());
    EXPECT_TRUE(w.form.EEPROMWriteBtn->isEnabled());
    EXPECT_EQ(w.form.EEPROMWriteBtn->text(), "Write");
    // A late confirmation does not carry the abandoned write on.
    const auto late = WriteAck(0x0010);
    w.form.HandleFrame(late.data(), late[1]);
    EXPECT_EQ(EepromAddr, 0x0010);
}

TEST(EepromWindow, CellEdits)
{
    struct Case
    {
        const char *typed;
        const char *shows;
        bool beeps;
    } cases[] = {
        {"5", "A5", false},   {"B7", "B7", false}, {"3a", "3A", false},  {"", "3A", false},
        {"100", "00", false}, {"zz", "00", true},  {"0FF", "FF", false},
    };
    for (const Case &c : cases) {
        Window w;
        w.form.SetByte(0x0021, 0x3A);
        w.form.EEStringGridSetEditText(2, 3, c.typed);
        EXPECT_EQ(w.cell(0x0021), c.shows) << c.typed;
        EXPECT_EQ(w.form.Byte(0x0021), w.cell(0x0021).toUInt(nullptr, 16)) << c.typed;
    }
    // Typing into the grid goes the same way.
    Window w;
    w.form.EEStringGrid->item(1, 1)->setText("41");
    EXPECT_EQ(w.form.Byte(0), 0x41);
    EXPECT_TRUE(w.ascii(1).startsWith("A. "));
}

TEST(EepromWindow, FilesAndFills)
{
    QTemporaryDir dir;
    Window w;
    w.form.FillGrid(0x0000, 0x0020, 0xFF);
    EXPECT_EQ(w.cell(0x001F), "FF");
    EXPECT_EQ(w.cell(0x0020), "00");
    // Rows counted from the start: 0008 to 0011 is one row.
    w.form.FillGrid(0x0028, 0x0031, 0x11);
    EXPECT_EQ(w.cell(0x0020), "11");
    EXPECT_EQ(w.cell(0x0030), "00");
    // Fills and files keep the grid's rows beyond the unit's EEPROM.
    w.form.FillStartEdit->setText("0FF0");
    w.form.FillEndEdit->setText("1010");
    w.form.BufferFillFFBtnClick();
    EXPECT_EQ(w.cell(0x100F), "FF");
    EXPECT_EQ(w.dialogs.count(), 0);

    // A malformed line is skipped and counted; the good ones are taken.
    const QString bad = dir.filePath("bad.txt");
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("0000:01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F,10;//\n0010:zz\n");
    f.close();
    EXPECT_TRUE(w.form.LoadFile(bad));
    EXPECT_EQ(w.cell(0x0000), "01");
    EXPECT_EQ(w.cell(0x0010), "FF");
    ASSERT_EQ(w.dialogs.count(), 1);
    EXPECT_TRUE(w.dialogs.last().text.startsWith("1 line(s) skipped"));

    // Another kind of file reads nothing and says nothing.
    const QString other = dir.filePath("image.hex");
    QFile::copy(bad, other);
    w.form.FillGrid(0x0000, 0x0010, 0x22);
    EXPECT_TRUE(w.form.LoadFile(other));
    EXPECT_EQ(w.cell(0x0000), "22");
    EXPECT_EQ(w.dialogs.count(), 1);

    // Answering No to the overwrite question leaves the file as it was.
    const QString saved = dir.filePath("saved.txt");
    QFile::copy(bad, saved);
    w.form.ChooseFileToSave = [&] { return saved; };
    w.dialogs.answer(vcl::MsgButton::No);
    w.form.FileSaveBtnClick();
    EXPECT_EQ(w.dialogs.last().text, "File already exists: '" + saved + "'\nOverwrite ?");
    QFile out(saved);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_TRUE(out.readAll().endsWith("0010:zz\n"));

    // A name typed without an extension is saved as a text image.
    w.form.FileStartEdit->setText("0000");
    w.form.FileEndEdit->setText("0010");
    w.form.ChooseFileToSave = [&] { return dir.filePath("plain"); };
    w.form.FileSaveBtnClick();
    EXPECT_TRUE(QFile::exists(dir.filePath("plain.txt")));
    w.form.FileStartEdit->setText("0FF0");
    w.form.FileEndEdit->setText("1010");
    const QString beyond = dir.filePath("beyond.txt");
    ASSERT_TRUE(w.form.SaveFile(beyond));
    QFile rows(beyond);
    ASSERT_TRUE(rows.open(QIODevice::ReadOnly));
    EXPECT_TRUE(rows.readAll().contains("\n1000:FF,"));
}

TEST(EepromWindow, GridColumnsFitAtTheDefaultSize)
{
    Window w;
    w.form.show();
    QCoreApplication::processEvents();
    QTableWidget *grid = w.form.EEStringGrid;
    int columns = 0;
    for (int c = 0; c < grid->columnCount(); ++c)
        columns += grid->columnWidth(c);
    EXPECT_LE(columns, grid->viewport()->width());
    EXPECT_EQ(grid->horizontalScrollBar()->maximum(), 0);
}
