// The simulated unit's runtime error log, system log reset and EEPROM.
#include "sim/SimulatedUnit.h"

#include "link/DeviceCommands.h"
#include "sim_test_support.h"

#include <gtest/gtest.h>

using namespace devlink;
using namespace simtest;
using sim::SimulatedUnit;

TEST(SimServiceLog, ErrorLogEntriesFromOneAndReset)
{
    SimulatedUnit unit;
    sim::ErrorLogState log;
    log.entries = {{"abcdefghijklmnop", 0x1234, 5, {0x1A, 0x05}}, {"b.c", 7, 1, {}}};
    unit.setErrorLog(log);

    auto count = unit.feed(request(0, ERROR_LOG_COUNT_REQ, 4));
    ASSERT_EQ(count.size(), 1u);
    EXPECT_EQ(count[0], (Bytes{static_cast<std::uint8_t>(5 ^ 0 ^ 0xA0 ^ 2), 5, 0, 0xA0, 2}));

    // Beyond the log, an empty entry.
    struct Case
    {
        std::uint8_t index;
        std::size_t length;
        std::uint8_t nameStart;
    } cases[] = {{0, 21, 0}, {1, 23, 'a'}, {2, 21, 'b'}, {3, 21, 0}};
    for (const Case &c : cases) {
        const auto replies = unit.feed(request(0, ERROR_LOG_ENTRY_REQ, 5, {c.index}));
        ASSERT_EQ(replies.size(), 1u) << int(c.index);
        const Bytes &f = replies[0];
        EXPECT_TRUE(IsValidFrame(f.data(), f.size()));
        EXPECT_EQ(f.size(), c.length);
        EXPECT_EQ(f[3], ERROR_LOG_ENTRY_CFM);
        EXPECT_EQ(f[4], c.index);
        EXPECT_EQ(f[5], c.nameStart);
    }
    const Bytes first = unit.feed(request(0, ERROR_LOG_ENTRY_REQ, 5, {1}))[0];
    EXPECT_EQ(std::string(first.begin() + 5, first.begin() + 17), "abcdefghijkl"); // cut to 12
    EXPECT_EQ(first[17], 0x34);
    EXPECT_EQ(first[18], 0x12);
    EXPECT_EQ(first[20], 2);
    EXPECT_EQ(first[21], 0x1A);

    EXPECT_EQ(unit.feed(request(0, ERROR_LOG_RESET_REQ, 4))[0][3], ERROR_LOG_RESET_CFM);
    EXPECT_TRUE(unit.errorLog().entries.empty());
    EXPECT_EQ(unit.feed(request(1, SYSTEM_LOG_RESET_REQ, 4))[0][3], SYSTEM_LOG_RESET_CFM);
    EXPECT_EQ(unit.errorLog().systemLogResets, 1u);
}

TEST(SimServiceLog, EepromBlocksInsideTheImageOnly)
{
    SimulatedUnit unit;
    EXPECT_EQ(unit.eeprom().bytes[0], 'Q'); // the sample's header

    Bytes write = {16, 0xF0, 0x0F};
    for (std::uint8_t i = 0; i < 16; ++i)
        write.push_back(static_cast<std::uint8_t>(0xA0 + i));
    devlink::DeviceFrame w(0, EEPROM_WRITE_REQ, 23);
    for (std::size_t i = 0; i < write.size(); ++i)
        w.set(4 + i, write[i]);
    w.finish();
    const auto ack = unit.feed(SlipEncode(w.data(), w.length()));
    ASSERT_EQ(ack.size(), 1u);
    EXPECT_EQ(ack[0][3], EEPROM_WRITE_CFM);

    const auto read = unit.feed(request(0, EEPROM_READ_REQ, 7, {16, 0xF0, 0x0F}));
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].size(), 23u);
    EXPECT_EQ(read[0][5], 0xF0);
    EXPECT_EQ(read[0][6], 0x0F);
    EXPECT_EQ(read[0][7], 0xA0);
    EXPECT_EQ(read[0][22], 0xAF);

    // A block reaching beyond the image: no answer and nothing stored.
    EXPECT_TRUE(unit.feed(request(0, EEPROM_READ_REQ, 7, {16, 0xF8, 0x0F})).empty());
    const sim::EepromState before = unit.eeprom();
    w.set(5, 0xF8).finish();
    EXPECT_TRUE(unit.feed(SlipEncode(w.data(), w.length())).empty());
    EXPECT_EQ(unit.eeprom().bytes, before.bytes);
}
