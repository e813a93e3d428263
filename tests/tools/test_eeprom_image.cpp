// EEPROM image files: the text writer and both readers, from memory and from
// files. Vectors follow the file layouts: "AAAA:" 16 cells, ',' between them,
// ';' after the last, "//" and the row's ASCII text.
#include "tools/EepromImage.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

using namespace eeprom;

namespace {

Image Sample()
{
    Image image{};
    for (std::size_t i = 0; i < ImageSize; ++i)
        image[i] = static_cast<std::uint8_t>((i * 7 + i / 256) & 0xFF);
    return image;
}

std::string WriteTemp(const QTemporaryDir &dir, const std::string &name, const std::string &bytes)
{
    const std::string path = dir.path().toStdString() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

const std::string GoodLine =
    "0010:41,42,43,20,7F,00,FF,21,7E,22,23,24,25,26,27,28;//ABC. . . . !~\"#$%&'(\n";

} // namespace

TEST(EepromImageText, LineShapeAndHexCase)
{
    ImageRow row{0x0010,
                 {0x41, 0x42, 0x43, 0x20, 0x7F, 0x00, 0xFF, 0x21, 0x7E, 0x22, 0x23, 0x24, 0x25,
                  0x26, 0x27, 0x28}};
    EXPECT_EQ(TextLine(row), GoodLine);
    EXPECT_EQ(HexByte(0xAB), "AB");
    EXPECT_EQ(HexAddress(0x0FF0), "0FF0");
}

TEST(EepromImageText, SavedRangeIsWholeRowsBelowTheEnd)
{
    const Image image = Sample();
    struct Case
    {
        std::size_t start, end, lines;
        const char *first;
    } cases[] = {
        {0x0000, 0x0020, 2, "0000:"},
        {0x0008, 0x0020, 2, "0000:"},
        {0x0010, 0x0011, 1, "0010:"},
        // Rows counted from the start, not from the row it lies in.
        {0x0008, 0x0011, 1, "0000:"},
        {0x0FF0, 0x1010, 2, "0FF0:"},
        {0x3E60, 0x4000, 1, "3E60:"}, // the grid's last row
        {0x0020, 0x0020, 0, ""},
        {0x0000, 0x1000, 256, "0000:"},
    };
    for (const Case &c : cases) {
        const std::string text = WriteTextImage(image, c.start, c.end);
        EXPECT_EQ(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')), c.lines)
            << std::hex << c.start << ".." << c.end;
        EXPECT_EQ(text.substr(0, std::string(c.first).size()), c.first);
    }
}

TEST(EepromImageText, RoundTripThroughMemoryAndFile)
{
    const Image image = Sample();
    const std::string text = WriteTextImage(image, 0, ImageSize);
    QTemporaryDir dir;
    const std::string path = WriteTemp(dir, "image.TXT", text);
    for (const ReadResult &r : {ReadTextImage(text), ReadImageFile(path)}) {
        ASSERT_TRUE(r.isValid()) << r.error;
        ASSERT_EQ(r.rows.size(), RowCount);
        Image back{};
        Apply(back, r.rows);
        EXPECT_EQ(back, image);
    }
}

TEST(EepromImageText, LenientWhereHarmless)
{
    // CR LF line ends, empty lines, lower-case digits and other separators.
    const std::string text = "\r\n0000:0a,0B,0c,0d,0e,0f,10,11,12,13,14,15,16,17,18,19;\r\n\n"
                             "0010:41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 ";
    const ReadResult r = ReadTextImage(text);
    ASSERT_TRUE(r.isValid()) << r.error;
    ASSERT_EQ(r.rows.size(), 2u);
    EXPECT_EQ(r.rows[0].bytes[0], 0x0A);
    EXPECT_EQ(r.rows[1].address, 0x0010);
    EXPECT_EQ(r.rows[1].bytes[15], 0x50);
}

TEST(EepromImageText, MalformedLinesAreSkippedAndCounted)
{
    const std::string ok = GoodLine;
    struct Case
    {
        std::string text;
        std::size_t rows, skipped;
        std::uint16_t firstAddress;
    } cases[] = {
        {"0010;41,42\n" + ok, 1, 1, 0x0010},
        {ok + "00G0:" + ok.substr(5), 1, 1, 0x0010},
        {"0018:" + ok.substr(5), 1, 0, 0x0010}, // the row holding the address
        {"1000:" + ok.substr(5), 1, 0, 0x1000}, // beyond the EEPROM, inside the grid
        {"3E70:" + ok.substr(5), 0, 1, 0},      // beyond the grid
        {ok + "\n0020:41,42,43\n", 1, 1, 0x0010},
        {"0010:41,42,4X,20,7F,00,FF,21,7E,22,23,24,25,26,27,28;//\n" + ok, 1, 1, 0x0010},
    };
    for (const Case &c : cases) {
        const ReadResult r = ReadTextImage(c.text);
        EXPECT_TRUE(r.isValid()) << c.text;
        ASSERT_EQ(r.rows.size(), c.rows) << c.text;
        EXPECT_EQ(r.skipped, c.skipped) << c.text;
        if (c.rows > 0) {
            EXPECT_EQ(r.rows[0].address, c.firstAddress) << c.text;
        }
    }
}

TEST(EepromImageBinary, BlocksOfSixteenFromAddressZero)
{
    struct Case
    {
        std::size_t size;
        bool valid;
        std::size_t rows;
    } cases[] = {
        {0, true, 0},
        {15, true, 0},
        {20, true, 1},
        {32, true, 2},
        {4096, true, 256},
        {GridSize, true, GridRowCount},
        // What lies beyond the grid is left out, the rows that fit are read.
        {GridSize + 1, true, GridRowCount},
        {GridSize + 40, true, GridRowCount},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        std::string bytes(c.size, '\0');
        for (std::size_t i = 0; i < c.size; ++i)
            bytes[i] = static_cast<char>(i * 13);
        const std::string path = WriteTemp(dir, "image" + std::to_string(c.size) + ".bin", bytes);
        const ReadResult fromMemory = ReadBinImage(
            std::span(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size()));
        const ReadResult fromFile = ReadImageFile(path);
        for (const ReadResult &r : {fromMemory, fromFile}) {
            EXPECT_EQ(r.isValid(), c.valid) << c.size;
            ASSERT_EQ(r.rows.size(), c.rows) << c.size;
            if (c.rows > 1) {
                EXPECT_EQ(r.rows[1].address, 16);
                EXPECT_EQ(r.rows[1].bytes[0], static_cast<std::uint8_t>(16 * 13));
            }
        }
    }
}

TEST(EepromImageFile, KindAndOpenErrors)
{
    EXPECT_EQ(KindOfFile("a.b/image.Txt"), FileKind::Text);
    EXPECT_EQ(KindOfFile("image.BIN"), FileKind::Binary);
    EXPECT_EQ(KindOfFile("image.txt.hex"), FileKind::Unknown);
    EXPECT_EQ(KindOfFile("image"), FileKind::Unknown);

    QTemporaryDir dir;
    const std::string missing = dir.path().toStdString() + "/missing.txt";
    EXPECT_EQ(ReadImageFile(missing).error, "Unable to open file: '" + missing + "'");
    const std::string hex = WriteTemp(dir, "image.hex", GoodLine);
    // Another kind of file reads nothing, and says nothing.
    const ReadResult other = ReadImageFile(hex);
    EXPECT_TRUE(other.isValid());
    EXPECT_TRUE(other.rows.empty());
    const std::string bad = WriteTemp(dir, "bad.txt", "0010;\n" + GoodLine);
    EXPECT_EQ(ReadImageFile(bad).skipped, 1u);
    EXPECT_EQ(WriteFile(dir.path().toStdString() + "/no/such/dir/x.txt", "x")
                  .rfind("Unable to create file: '", 0),
              0u);
}
