// The bookkeeping of a read of all settings: which blocks came, which one to
// ask for next, and how often a block may be asked for.
#include "config/ReadProgress.h"

#include <gtest/gtest.h>

namespace {

TEST(ReadProgress, NextMissingLooksAheadThenBack)
{
    const struct
    {
        std::vector<int> stored;
        int after;
        std::optional<int> next;
    } cases[] = {
        {{}, -1, 0},                    // a part just begun
        {{0, 1, 2}, 2, 3},              // the chain in order
        {{0, 1, 3}, 3, 4},              // a gap behind is left for later
        {{0, 1, 3, 4}, 4, 2},           // then the gap
        {{0, 1, 2, 3, 4}, 4, std::nullopt},
        {{0, 2, 3, 4}, 255, 1},         // a number beyond the part
    };
    for (const auto &c : cases) {
        ReadProgress p;
        for (int b : c.stored)
            p.store(ReadPart::Flash, b);
        EXPECT_EQ(p.nextMissing(ReadPart::Flash, c.after), c.next) << c.after;
        EXPECT_EQ(p.complete(ReadPart::Flash), !c.next.has_value());
    }
}

TEST(ReadProgress, AsksAreCountedPerBlock)
{
    ReadProgress p;
    for (int i = 0; i < ReadProgress::MaxAsks; ++i) {
        EXPECT_TRUE(p.ask(ReadPart::CanInputs, 7));
        EXPECT_TRUE(p.ask(ReadPart::Inputs, i)); // the inputs are asked for as one
    }
    EXPECT_FALSE(p.ask(ReadPart::CanInputs, 7));
    EXPECT_FALSE(p.ask(ReadPart::Inputs, 10));
    EXPECT_TRUE(p.ask(ReadPart::CanInputs, 8));
    EXPECT_FALSE(p.ask(ReadPart::CanInputs, 32)) << "no such block";
    p.reset();
    EXPECT_TRUE(p.ask(ReadPart::CanInputs, 7));
}

TEST(ReadProgress, CompleteOnlyWithEveryBlockOfEveryPart)
{
    ReadProgress p;
    int total = 0;
    for (int part = 0; part < ReadPartCount; ++part)
        for (int b = 0; b < ReadProgress::blocks(static_cast<ReadPart>(part)); ++b, ++total)
            if (!(part == int(ReadPart::Outputs) && b == 9))
                p.store(static_cast<ReadPart>(part), b);
    EXPECT_EQ(total, 11 + 34 + 1 + 1 + 32 + 1 + 1 + 20 + 1 + 5 + 1 + 1 + 1 + 1 + 3);
    EXPECT_FALSE(p.complete());
    const auto missing = p.missing();
    ASSERT_EQ(missing.size(), 1u);
    EXPECT_EQ(missing[0].first, ReadPart::Outputs);
    EXPECT_EQ(missing[0].second, std::vector<int>{9});
    p.store(ReadPart::Outputs, 34); // out of range: nothing
    EXPECT_FALSE(p.complete());
    p.store(ReadPart::Outputs, 9);
    EXPECT_TRUE(p.complete());
}

} // namespace
