// The simulated unit's calibration: readings relate the live current to a raw
// A/D value through each channel's sensor; ratios and offsets are stored and
// confirmed with the layouts the tool expects.
#include "sim_test_support.h"

#include "link/DeviceCommands.h"
#include "sim/SimulatedUnit.h"

#include <gtest/gtest.h>

using namespace devlink;
using namespace simtest;
using sim::SimulatedUnit;

namespace {

// Channel 1 drawing exactly 10.0 A, held on through calibration mode.
void loadChannel1(SimulatedUnit &unit)
{
    unit.setCurrentNoise(0);
    for (int input = 2; input <= sim::InputCount; ++input)
        unit.setInput(input, false);
    unit.setInput(1, true); // channel 1 follows input 1, channel 2 input 2
    unit.setChannelLoad(1, 100);
}

Bytes only(const std::vector<sim::Frame> &replies)
{
    return replies.size() == 1 ? replies.front() : Bytes{};
}

} // namespace

TEST(SimulatedUnitCalibration, ReadingFollowsTheLiveCurrent)
{
    SimulatedUnit unit;
    loadChannel1(unit);
    ASSERT_EQ(unit.feed(request(1, MODE_REQ, 5, {2})).size(), 1u);
    ASSERT_TRUE(unit.output(1).on);
    // Channel 1's sensor: offset 3 + 1 % 7 = 4, ratio 9000 + 111 = 9111, so
    // 10.0 A is 4 + round(10e6 / (9111 * 10.39)) = 4 + 106 = 110 counts; with
    // nothing stored (offset 0, ratio 10000) the unit reports
    // 110 * 10000 * 10.39 / 1e5 = 114.29 -> 11.4 A.
    const Bytes expected{0x00, 12, 0x01, 0xC3, 1, 0, 0x27, 0x10, 0x00, 114, 0x00, 110};
    Bytes reply = only(unit.feed(request(1, CAL_CHANNEL_READ_REQ, 5, {1})));
    ASSERT_EQ(reply.size(), 12u);
    EXPECT_TRUE(IsValidFrame(reply.data(), reply.size()));
    EXPECT_EQ(Bytes(reply.begin() + 1, reply.end()), Bytes(expected.begin() + 1, expected.end()));

    // A channel the unit has no high-power output for comes back without data.
    for (std::uint8_t ch : {0, 19}) {
        reply = only(unit.feed(request(1, CAL_CHANNEL_READ_REQ, 5, {ch})));
        ASSERT_EQ(reply.size(), 12u);
        EXPECT_EQ(Bytes(reply.begin() + 1, reply.end()),
                  (Bytes{12, 0x01, 0xC3, ch, 0, 0, 0, 0, 0, 0, 0}));
    }
}

TEST(SimulatedUnitCalibration, RatioAndOffsetsStoredAndConfirmed)
{
    SimulatedUnit unit;
    loadChannel1(unit);
    unit.feed(request(1, MODE_REQ, 5, {2}));
    const Bytes confirm = only(unit.feed(request(1, CAL_RATIO_WRITE_REQ, 7, {1, 0x23, 0x28})));
    ASSERT_EQ(confirm.size(), 5u);
    EXPECT_EQ(Bytes(confirm.begin() + 1, confirm.end()), (Bytes{5, 0x01, 0xC2, 1}));
    EXPECT_EQ(unit.calibration().channels[0].storedRatio, 9000);

    // Acknowledged, as every write, but a channel beyond 18 stores nothing.
    const sim::CalibrationState before = unit.calibration();
    const Bytes beyond = only(unit.feed(request(1, CAL_RATIO_WRITE_REQ, 7, {19, 0x23, 0x28})));
    ASSERT_EQ(beyond.size(), 5u);
    EXPECT_EQ(beyond[4], 19);
    EXPECT_EQ(unit.calibration().channels, before.channels);

    // The new ratio turns the same 110 counts into 110 * 9000 * 10.39 / 1e5 = 102.9 -> 10.3 A.
    const Bytes reading = only(unit.feed(request(1, CAL_CHANNEL_READ_REQ, 5, {1})));
    ASSERT_EQ(reading.size(), 12u);
    EXPECT_EQ(reading[6] << 8 | reading[7], 9000);
    EXPECT_EQ(reading[8] << 8 | reading[9], 103);

    // The offsets are the raw values of the moment: channel 1's 110 counts
    // under load, the bare sensor zero elsewhere.
    const Bytes stored = only(unit.feed(request(1, CAL_OFFSET_STORE_REQ, 4)));
    ASSERT_EQ(stored.size(), 4u);
    EXPECT_EQ(stored[3], 0xC5);
    EXPECT_EQ(unit.calibration().channels[0].storedOffset, 110);
    EXPECT_EQ(unit.calibration().channels[1].storedOffset, 3 + 2 % 7);
}
