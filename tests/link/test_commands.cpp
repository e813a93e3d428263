#include "link/DeviceCommands.h"

#include <gtest/gtest.h>

#include <set>

using namespace devlink;

// Every request that draws an answer follows the protocol's reply rule.
TEST(CommandTable, AnsweredRequestsFollowTheReplyRule)
{
    int answered = 0;
    for (const CommandInfo &c : CommandTable()) {
        if (c.direction != Direction::ToUnit || !c.answer)
            continue;
        ++answered;
        EXPECT_EQ(*c.answer, ReplyCode(c.node, c.code)) << c.name;
        const CommandInfo *reply = FindCommand(c.node, *c.answer);
        ASSERT_NE(reply, nullptr) << c.name << " has no answer in the table";
        EXPECT_EQ(reply->direction, Direction::FromUnit) << c.name;
    }
    EXPECT_GT(answered, 50);
}

TEST(CommandTable, ReplyRuleExceptionsAndSharedCodes)
{
    EXPECT_EQ(ReplyCode(1, FACTORY_RESET_REQ), 0x86);
    EXPECT_EQ(ReplyCode(1, FIRMWARE_READ_REQ), 0xDD);
    EXPECT_EQ(ReplyCode(1, CAL_CHANNEL_READ_REQ), 0xC3);
    EXPECT_EQ(ReplyCode(1, PASSWORD_READ_REQ), 0xEA);
    EXPECT_EQ(ReplyCode(0, PING_REQ), 0x80);
    EXPECT_EQ(FindCommand(1, 0x50)->name, "DIAGNOSTIC_READ_REQ");
    EXPECT_EQ(FindCommand(0, 0x50)->name, "ERROR_LOG_COUNT_REQ");
    EXPECT_EQ(FindCommand(1, 0xA0)->name, "BOX_STATUS_CFM");
    EXPECT_EQ(FindCommand(0, 0xA0)->name, "ERROR_LOG_COUNT_CFM");
}

TEST(CommandTable, NamesAndCodesAreUniquePerNode)
{
    std::set<std::string_view> names;
    std::set<std::pair<int, int>> codes;
    for (const CommandInfo &c : CommandTable()) {
        EXPECT_TRUE(names.insert(c.name).second) << c.name;
        EXPECT_TRUE(codes.insert({c.node, c.code}).second) << c.name;
        EXPECT_EQ(FindCommand(c.name), &c);
    }
}

// Lengths as the protocol's code table gives them; 0 where the length
// follows the data. Node 0 whole, and the node 1 codes that share its numbers.
TEST(CommandTable, LengthsOfTheProtocolTable)
{
    const struct
    {
        std::uint8_t node, code, length;
    } lengths[] = {
        {0, SERIAL_ERROR_IND, 4},      {0, PING_REQ, 21},           {0, PING_CFM, 0},
        {0, ERROR_LOG_COUNT_REQ, 4},   {0, ERROR_LOG_COUNT_CFM, 5}, {0, ERROR_LOG_ENTRY_REQ, 5},
        {0, ERROR_LOG_ENTRY_CFM, 0},   {0, ERROR_LOG_RESET_REQ, 4}, {0, ERROR_LOG_RESET_CFM, 4},
        {0, EEPROM_READ_REQ, 7},       {0, EEPROM_READ_CFM, 23},    {0, EEPROM_WRITE_REQ, 23},
        {0, EEPROM_WRITE_CFM, 4},      {1, DIAGNOSTIC_READ_REQ, 4}, {1, BOX_STATUS_CFM, 10},
        {1, CAL_CHANNEL_READ_CFM, 12}, {1, CAN_MONITOR_REQ, 4},     {1, LP_DIAGNOSTIC_READ_CFM, 0},
    };
    for (const auto &l : lengths) {
        const CommandInfo *c = FindCommand(l.node, l.code);
        ASSERT_NE(c, nullptr) << int(l.node) << ":" << int(l.code);
        EXPECT_EQ(c->length, l.length) << c->name;
    }
}
