// Decoding ERROR_LOG_ENTRY_CFM: [4] index, [5..16] name, [17..18] line LE,
// [19] count, [20] data length, [21..] data. Frames built by hand below.
#include "tools/ErrorLogEntry.h"

#include "link/DeviceCommands.h"
#include "link/FrameCodec.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

// An entry frame whose Length says `length`, in a zeroed receive buffer.
std::array<std::uint8_t, 256> EntryFrame(const std::string &name, std::uint8_t dataLength,
                                         const std::vector<std::uint8_t> &data, std::uint8_t length)
{
    devlink::DeviceFrame f(devlink::NodeSystem, devlink::ERROR_LOG_ENTRY_CFM, length);
    f.set(4, 2).set(17, 0x34).set(18, 0x12).set(19, 7).set(20, dataLength);
    for (std::size_t i = 0; i < name.size(); ++i)
        f.set(5 + i, static_cast<std::uint8_t>(name[i]));
    for (std::size_t i = 0; i < data.size(); ++i)
        f.set(21 + i, data[i]);
    f.finish();
    std::array<std::uint8_t, 256> buffer{};
    std::copy_n(f.data(), 256, buffer.begin());
    return buffer;
}

} // namespace

TEST(ErrorLogEntry, DecodesOnlyWhatArrived)
{
    struct Case
    {
        const char *what;
        std::string name;
        std::uint8_t dataLength;
        std::vector<std::uint8_t> data;
        std::uint8_t length; // the frame's Length byte
        std::size_t decoded; // bytes the receiver delivered
        bool decodes;
        std::string expectedName;
        std::vector<std::uint8_t> shown;
        const char *dataLine;
        const char *lengthLine;
    } cases[] = {
        {"whole",
         "can_rx.c",
         2,
         {0x1A, 0x05},
         23,
         23,
         true,
         "can_rx.c",
         {0x1A, 0x05},
         "Data        : 0x1A:0x05:",
         "Data len    : 2"},
        {"no data", "x.c", 0, {}, 21, 21, true, "x.c", {}, "Data        : ", "Data len    : 0"},
        {"name of 12",
         "abcdefghijkl",
         0,
         {},
         21,
         21,
         true,
         "abcdefghijkl",
         {},
         "Data        : ",
         "Data len    : 0"},
        {"length beyond Length",
         "a.c",
         200,
         {0xAB, 0xCD, 0xEF},
         24,
         24,
         true,
         "a.c",
         {0xAB, 0xCD, 0xEF},
         "Data        : 0xAB:0xCD:0xEF:",
         "Data len    : 200 (3 received)"},
        {"Length beyond decoded",
         "a.c",
         3,
         {0xAB, 0xCD, 0xEF},
         24,
         22,
         true,
         "a.c",
         {0xAB},
         "Data        : 0xAB:",
         "Data len    : 3 (1 received)"},
        {"fixed fields cut", "a.c", 0, {}, 20, 20, false, "", {}, "", ""},
        {"decoded short", "a.c", 0, {}, 21, 19, false, "", {}, "", ""},
    };
    for (const Case &c : cases) {
        const auto frame = EntryFrame(c.name, c.dataLength, c.data, c.length);
        const auto entry = errorlog::DecodeEntry(frame.data(), c.decoded);
        ASSERT_EQ(entry.has_value(), c.decodes) << c.what;
        if (!entry)
            continue;
        EXPECT_EQ(entry->index, 2) << c.what;
        EXPECT_EQ(entry->fileName, c.expectedName) << c.what;
        EXPECT_EQ(entry->line, 4660) << c.what; // bytes 0x34 0x12
        EXPECT_EQ(entry->count, 7) << c.what;
        EXPECT_EQ(entry->data, c.shown) << c.what;
        const auto lines = errorlog::EntryLines(*entry);
        ASSERT_EQ(lines.size(), 6u);
        EXPECT_EQ(lines[0], std::string(53, '-'));
        EXPECT_EQ(lines[1], "File name   : " + c.expectedName);
        EXPECT_EQ(lines[2], "Line number : 4660");
        EXPECT_EQ(lines[3], "Count       : 7");
        EXPECT_EQ(lines[4], c.lengthLine) << c.what;
        EXPECT_EQ(lines[5], c.dataLine) << c.what;
    }
}
