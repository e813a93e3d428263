// Trigger codes and their positions in the trigger-source lists.
#include "config/TriggerCodes.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// The full list written out entry by entry from the unit's code table:
// "DISABLED", "+30", CH 1..CH 11, CAN 1..32, Virtual 1..20, Wiper Slow/Fast,
// Sequence 1.A..4.C.
std::map<int, int> fullListPositions()
{
    std::map<int, int> codeToIndex{{0, 0}, {255, 1}};
    const int inputs[] = {0xC0, 0xC1, 0xC2, 0xD1, 0xC4, 0xC5, 0xC6, 0xC7, 0xC3, 0xD2, 0xD3};
    int index = 2;
    for (int code : inputs)
        codeToIndex[code] = index++;
    for (int can = 1; can <= 32; ++can)
        codeToIndex[can] = index++; // index 13..44
    for (int v = 1; v <= 20; ++v)
        codeToIndex[32 + v] = index++; // 45..64
    codeToIndex[53] = index++;         // Wiper Slow, 65
    codeToIndex[54] = index++;         // Wiper Fast, 66
    for (int s = 0; s < 12; ++s)
        codeToIndex[55 + s] = index++; // 67..78
    EXPECT_EQ(index, FullTriggerListCount);
    return codeToIndex;
}

} // namespace

TEST(TriggerCodes, EveryKnownCodeMapsBothWaysOnTheFullList)
{
    for (const auto &[code, index] : fullListPositions()) {
        SCOPED_TRACE(code);
        EXPECT_EQ(TriggerCodeToListIndex(static_cast<TriggerCode>(code)), index);
        EXPECT_EQ(ListIndexToTriggerCode(index), code);
    }
}

TEST(TriggerCodes, ShortListStopsBeforeWiperAndSequences)
{
    for (const auto &[code, index] : fullListPositions()) {
        SCOPED_TRACE(code);
        const bool onShortList = index < ShortTriggerListCount;
        EXPECT_EQ(TriggerCodeToShortListIndex(static_cast<TriggerCode>(code)),
                  onShortList ? index : 0);
        if (onShortList) {
            EXPECT_EQ(ShortListIndexToTriggerCode(index), code);
        }
    }
    EXPECT_EQ(TriggerCodeToShortListIndex(53), 0);
    EXPECT_EQ(ShortListIndexToTriggerCode(65), 255);
}

TEST(TriggerCodes, UnknownCodesSelectDisabled)
{
    const auto known = fullListPositions();
    for (int code = 0; code < 256; ++code) {
        if (known.count(code))
            continue;
        SCOPED_TRACE(code);
        EXPECT_EQ(TriggerCodeToListIndex(static_cast<TriggerCode>(code)), 0);
        EXPECT_EQ(TriggerCodeToShortListIndex(static_cast<TriggerCode>(code)), 0);
    }
}

TEST(TriggerCodes, NoSelectionReadsAsNoneNeverAsPlus30)
{
    EXPECT_EQ(ListIndexToTriggerCode(-1), 0);
    EXPECT_EQ(ShortListIndexToTriggerCode(-1), 0);
    EXPECT_EQ(ListIndexToTriggerCode(-1000), 0);
    // Positions past the end of a list are a selection nobody can make.
    EXPECT_EQ(ListIndexToTriggerCode(79), 255);
    EXPECT_EQ(ListIndexToTriggerCode(1), 255);
}

TEST(TriggerCodes, InputPinChoiceOfTheCanInputs)
{
    // Entry k of "CH 1".."CH 11" is input k + 1; 0xC0 and unknown codes show entry 0.
    const struct
    {
        int code;
        int index;
    } table[] = {{0xC0, 0}, {0xC1, 1}, {0xC2, 2}, {0xD1, 3}, {0xC4, 4}, {0xC5, 5},
                 {0xC6, 6}, {0xC7, 7}, {0xC3, 8}, {0xD2, 9}, {0xD3, 10}};
    for (const auto &row : table) {
        SCOPED_TRACE(row.code);
        EXPECT_EQ(TriggerCodeToInputPinIndex(static_cast<TriggerCode>(row.code)), row.index);
        EXPECT_EQ(InputPinIndexToTriggerCode(row.index), row.code);
    }
    EXPECT_EQ(TriggerCodeToInputPinIndex(0x12), 0);
    EXPECT_EQ(InputPinIndexToTriggerCode(-1), 0xC0);
    EXPECT_EQ(InputPinIndexToTriggerCode(11), 0xC0);
}
