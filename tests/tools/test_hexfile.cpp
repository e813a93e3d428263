// The Intel HEX reader on good and bad files, from text and from a file.
#include "tools/HexFile.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// One record line with a correct checksum, as the Intel HEX format defines it.
std::string rec(unsigned address, unsigned type, const std::vector<unsigned> &data)
{
    unsigned sum = static_cast<unsigned>(data.size()) + (address >> 8) + (address & 0xFF) + type;
    char buf[8];
    std::string line = ":";
    auto hex2 = [&](unsigned v) {
        std::snprintf(buf, sizeof buf, "%02X", v & 0xFF);
        line += buf;
    };
    hex2(static_cast<unsigned>(data.size()));
    hex2(address >> 8);
    hex2(address);
    hex2(type);
    for (unsigned b : data) {
        hex2(b);
        sum += b;
    }
    hex2(0x100 - (sum & 0xFF));
    return line + "\n";
}

std::vector<unsigned> bytes(unsigned first, unsigned n)
{
    std::vector<unsigned> v;
    for (unsigned i = 0; i < n; ++i)
        v.push_back((first + i) & 0xFF);
    return v;
}

const std::string Eof = ":00000001FF\n";

struct GoodCase
{
    const char *name;
    std::int32_t size;
    std::string text;
    std::int32_t rangeStart, rangeEnd;
    std::vector<std::pair<std::int32_t, std::uint8_t>> expect; // address, byte
};

class HexGood : public testing::TestWithParam<GoodCase>
{
};

TEST_P(HexGood, ReadsImageAndRange)
{
    const GoodCase &c = GetParam();
    HEXFile image(c.size, 0xFF);
    image.readText(c.text);
    EXPECT_EQ(image.getRangeStart(), c.rangeStart);
    EXPECT_EQ(image.getRangeEnd(), c.rangeEnd);
    for (const auto &[address, value] : c.expect)
        EXPECT_EQ(image.getData(address), value) << "at " << address;
}

INSTANTIATE_TEST_SUITE_P(
    Files, HexGood,
    testing::Values(
        GoodCase{"Basic",
                 64,
                 rec(0x10, 0, bytes(1, 4)) + Eof,
                 0x10,
                 0x13,
                 {{0x0F, 0xFF}, {0x10, 1}, {0x13, 4}, {0x14, 0xFF}}},
        GoodCase{"LowerCaseAndCrLf", 64, ":0400000001020304f2\r\n:00000001ff\r\n", 0, 3, {{3, 4}}},
        GoodCase{
            "LastByteOfImage", 32, rec(0x10, 0, bytes(0xA0, 16)) + Eof, 0x10, 31, {{31, 0xAF}}},
        GoodCase{"OnlyEndRecord", 32, Eof, 32, 0, {{0, 0xFF}}},
        GoodCase{"EndRecordWithoutLineEnd", 32, rec(0, 0, {7}) + ":00000001FF", 0, 0, {{0, 7}}},
        GoodCase{"LinesAfterEndAreNotRead", 32, rec(0, 0, {7}) + Eof + "garbage\n", 0, 0, {{0, 7}}},
        GoodCase{"EmptyDataRecordLeavesRange", 32, rec(5, 0, {}) + Eof, 32, 0, {}},
        GoodCase{"StartRecordsIgnored",
                 32,
                 rec(0, 3, {0, 0, 1, 0}) + rec(0, 5, {0, 0, 1, 0}) + rec(2, 0, {9}) + Eof,
                 2,
                 2,
                 {{2, 9}}},
        // A later linear base replaces the earlier one, it does not add to it.
        GoodCase{"LinearBaseAndBack",
                 0x10100,
                 rec(0, 4, {0, 1}) + rec(0x20, 0, {1, 2}) + rec(0, 4, {0, 0}) + rec(0x30, 0, {3}) +
                     Eof,
                 0x30,
                 0x10021,
                 {{0x10020, 1}, {0x10021, 2}, {0x30, 3}, {0x20, 0xFF}}},
        GoodCase{"SegmentBase",
                 0x10100,
                 rec(0, 2, {0x10, 0}) + rec(4, 0, {5}) + Eof,
                 0x10004,
                 0x10004,
                 {{0x10004, 5}}},
        // A file that also holds the bootloader area above the image still
        // updates the part below it.
        GoodCase{"RecordsBeyondImageSkipped",
                 64,
                 rec(0, 0, {1}) + rec(0x38, 0, bytes(0, 16)) + rec(0, 4, {0, 1}) + rec(0, 0, {2}) +
                     rec(0, 4, {0, 0}) + rec(0x3F, 0, {3}) + Eof,
                 0,
                 0x3F,
                 {{0, 1}, {0x38, 0xFF}, {0x3E, 0xFF}, {0x3F, 3}}},
        // Only the first two data bytes of an extended address form the base.
        GoodCase{"ExtendedAddressWithMoreBytes",
                 0x10100,
                 rec(0, 4, {0, 1, 0x55}) + rec(0x20, 0, {7}) + rec(0, 2, {0, 1, 9, 9}) +
                     rec(0, 0, {8}) + Eof,
                 0x10,
                 0x10020,
                 {{0x10020, 7}, {0x10, 8}}}),
    [](const auto &info) { return std::string(info.param.name); });

struct BadCase
{
    const char *name;
    std::string text;
    std::string message;
    int line;
};

class HexBad : public testing::TestWithParam<BadCase>
{
};

TEST_P(HexBad, ThrowsMessageWithLine)
{
    const BadCase &c = GetParam();
    HEXFile image(64, 0xFF);
    try {
        image.readText(c.text);
        FAIL() << "no error";
    } catch (const ErrorMsg &e) {
        EXPECT_EQ(e.getMessage(), c.message);
        EXPECT_EQ(e.lineNumber(), c.line);
    }
}

// 100 data bytes, the first one changed after the checksum was made.
const std::string LongBad = ":64" + rec(0, 0, bytes(0, 100)).substr(3, 6) + "1" +
                            rec(0, 0, bytes(0, 100)).substr(10, 200 + 2 - 1);

const std::string Sixteen = ":10000000000102030405060708090A0B0C0D0E0F00";

const std::string Ellipsis = "\xE2\x80\xA6";

// A megabyte of bytes 0x80 to 0xFF over and over, without a line end: a
// binary file picked by mistake.
std::string binaryMegabyte()
{
    std::string text(1 << 20, '\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char>(0x80 | (i & 0x7F));
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Files, HexBad,
    testing::Values(
        BadCase{"Checksum", rec(0x20, 0, {1}) + Sixteen + "\n" + Eof,
                "Wrong checksum for HEX record! Line from file was: (" + Sixteen + ").", 2},
        BadCase{"InvalidDigit", ":0100000G01FE\n" + Eof, "Invalid hex digit found!", 1},
        BadCase{"ShortLine", ":000000\n",
                "Wrong HEX file format, missing fields! Line from file was: (:000000).", 1},
        BadCase{"EmptyLine", "\n" + Eof,
                "Wrong HEX file format, missing fields! Line from file was: ().", 1},
        BadCase{
            "NoColon", "0000000001FF\n",
            "Wrong HEX file format, does not start with colon! Line from file was: (0000000001FF).",
            1},
        BadCase{"LengthBeyondLine", ":10000000000102030405060708\n",
                "Wrong HEX file format, missing fields! Line from file was: "
                "(:10000000000102030405060708).",
                1},
        BadCase{"UnknownType", ":00000006FA\n",
                "Unsupported HEX record format! Line from file was: (:00000006FA).", 1},
        // A line longer than any real record is quoted in its first 60 characters.
        BadCase{"LongLineCut", rec(0, 0, {1}) + LongBad + "\n" + Eof,
                "Wrong checksum for HEX record! Line from file was: (" + LongBad.substr(0, 60) +
                    Ellipsis + ").",
                2},
        BadCase{"SixtyCharactersQuotedWhole", std::string(60, 'y') + "\n",
                "Wrong HEX file format, does not start with colon! Line from file was: (" +
                    std::string(60, 'y') + ").",
                1},
        // Bytes that are no printable text show as escapes; a picture's
        // header ends its first line early.
        BadCase{"BinaryLineEscaped", std::string("\x89PNG\r\n\x1A\n\0\0", 10),
                "Wrong HEX file format, missing fields! Line from file was: (\\x89PNG).", 1},
        BadCase{"SixtyOneCharactersCut", std::string(61, 'y') + "\n",
                "Wrong HEX file format, does not start with colon! Line from file was: (" +
                    std::string(60, 'y') + Ellipsis + ").",
                1},
        BadCase{"ControlBytesEscapedInAQuote", std::string("\0\x01\x7F\t abcdefgh\n", 14),
                "Wrong HEX file format, does not start with colon! Line from file was: "
                "(\\x00\\x01\\x7F\\x09 abcdefgh).",
                1},
        // Fifteen escapes fill the 60 characters; the rest of the megabyte is left out.
        BadCase{"BinaryMegabyteCut", binaryMegabyte(),
                "Wrong HEX file format, does not start with colon! Line from file was: "
                "(\\x80\\x81\\x82\\x83\\x84\\x85\\x86\\x87\\x88\\x89\\x8A\\x8B\\x8C"
                "\\x8D\\x8E" +
                    Ellipsis + ").",
                1},
        BadCase{
            "ShortExtendedAddress", ":0100000401FA\n",
            "Extended address record needs two data bytes! Line from file was: (:0100000401FA).",
            1},
        BadCase{"MissingEndRecord", rec(0, 0, {1}),
                "Premature end of file encountered! Make sure file contains an EOF-record.", 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(HexFile, RecordsBeforeAnErrorStay)
{
    HEXFile image(64, 0xFF);
    EXPECT_THROW(image.readText(rec(4, 0, {1, 2}) + rec(0x3F, 0, {1, 2}) + ":0100" + Eof),
                 ErrorMsg);
    EXPECT_EQ(image.getData(4), 1);
    EXPECT_EQ(image.getData(0x3F), 0xFF); // the straddling record stored nothing
    EXPECT_EQ(image.getRangeStart(), 4);
    EXPECT_EQ(image.getRangeEnd(), 5);
}

TEST(HexFile, ImageLimits)
{
    EXPECT_THROW(HEXFile(0, 0xFF), ErrorMsg);
    HEXFile image(16, 0xAA);
    EXPECT_EQ(image.getData(15), 0xAA);
    EXPECT_THROW(image.getData(16), ErrorMsg);
    EXPECT_THROW(image.getData(-1), ErrorMsg);
    image.clearAll(0x11);
    EXPECT_EQ(image.getData(0), 0x11);
}

TEST(HexFile, ReadsFromFile)
{
    const QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::filesystem::path path = dir.filePath(QStringLiteral("image.hex")).toStdString();
    {
        std::ofstream out(path, std::ios::binary);
        out << rec(0x100, 0, bytes(0x40, 16)) << Eof;
    }
    HEXFile image(0x200, 0xFF);
    image.readFile(path);
    std::filesystem::remove(path);
    EXPECT_EQ(image.getRangeStart(), 0x100);
    EXPECT_EQ(image.getRangeEnd(), 0x10F);
    EXPECT_EQ(image.getData(0x10F), 0x4F);
    try {
        image.readFile(path);
        FAIL() << "no error";
    } catch (const ErrorMsg &e) {
        EXPECT_EQ(e.getMessage(), "Error opening HEX file for input!");
    }
}

} // namespace
