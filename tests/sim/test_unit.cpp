#include "sim/SimulatedUnit.h"

#include "link/DeviceCommands.h"
#include "sim_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

using namespace devlink;
using namespace simtest;
using sim::SimulatedUnit;
using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

// All answers to `bytes`, stuffed back to back as the unit sends them.
Bytes answer(SimulatedUnit &unit, const Bytes &bytes)
{
    Bytes out;
    for (const auto &f : unit.feed(bytes)) {
        const Bytes s = stuffed(f);
        out.insert(out.end(), s.begin(), s.end());
    }
    return out;
}

// A unit whose live state holds still: inputs fixed, no noise.
void steady(SimulatedUnit &unit)
{
    unit.setInputPattern(false);
    unit.setCurrentNoise(0);
    for (int i = 1; i <= sim::InputCount; ++i)
        unit.setInput(i, false);
    for (int i = 1; i <= sim::CanInputCount; ++i)
        unit.setCanInput(i, false);
}

std::vector<Bytes> channelStatus(SimulatedUnit &unit, std::uint8_t which)
{
    return unit.feed(request(1, CHANNEL_STATUS_REQ, 5, {which}));
}

unsigned u16be(const Bytes &f, std::size_t at)
{
    return unsigned(f[at]) << 8 | f[at + 1];
}

} // namespace

// Expected bytes written out from the frame layouts; checksums by hand.
TEST(SimulatedUnitAnswers, ByteExact)
{
    struct Vector
    {
        const char *what;
        std::string versionText;
        milliseconds upTime;
        Bytes request;
        Bytes expected;
    };
    const Vector vectors[] = {
        {"VERSION_REQ at power-up: text 8.52, 0 s",
         "",
         milliseconds(0),
         {0xC0, 0x03, 0x04, 0x01, 0x06, 0xC0},
         {0xC0,                                           // SLIP_END
          0x8F, 0x18, 0x01, 0x87, 0x38, 0x2E, 0x35, 0x32, // checksum, Length, node, code, text
          0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // 8..15
          0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // 16..23, seconds at 17..19
          0xC0}},
        {"VERSION_REQ after 300 s: bytes 17..19 = 00 01 2C",
         "",
         seconds(300),
         {0xC0, 0x03, 0x04, 0x01, 0x06, 0xC0},
         {0xC0,                                           // SLIP_END
          0xA2, 0x18, 0x01, 0x87, 0x38, 0x2E, 0x35, 0x32, // checksum, Length, node, code, text
          0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // 8..15
          0x00, 0x00, 0x01, 0x2C, 0x00, 0x00, 0x00, 0x00, // 16..23, seconds at 17..19
          0xC0}},
        {"VERSION_REQ with a long text: cut to 12 characters before the seconds",
         "ABCDEFGHIJKLMNOP",
         milliseconds(999),
         {0xC0, 0x03, 0x04, 0x01, 0x06, 0xC0},
         {0xC0,                                           // SLIP_END
          0x92, 0x18, 0x01, 0x87, 0x41, 0x42, 0x43, 0x44, // checksum, Length, node, code, text
          0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, // 8..15
          0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // 16..23, seconds at 17..19
          0xC0}},
        {"MODE_REQ manual -> MODE_CFM",
         "",
         milliseconds(0),
         {0xC0, 0x26, 0x05, 0x01, 0x23, 0x01, 0xC0},
         {0xC0, 0xA6, 0x04, 0x01, 0xA3, 0xC0}},
        {"bad checksum -> SERIAL_ERROR_IND on node 0",
         "",
         milliseconds(0),
         {0xC0, 0x04, 0x04, 0x01, 0x06, 0xC0},
         {0xC0, 0x05, 0x04, 0x00, 0x01, 0xC0}},
    };
    for (const auto &v : vectors) {
        SCOPED_TRACE(v.what);
        SimulatedUnit unit;
        if (!v.versionText.empty())
            unit.setVersionText(v.versionText);
        unit.advance(v.upTime);
        EXPECT_EQ(answer(unit, v.request), v.expected);
    }
}

TEST(SimulatedUnitAnswers, StatisticsLayout)
{
    SimulatedUnit unit;
    unit.setStatistics({300, 45, 2}); // 30.0 A, 45 degrees, 2 watchdog resets
    EXPECT_EQ(answer(unit, request(1, STATISTICS_REQ, 4)),
              (Bytes{0xC0, 0xD4, 0x08, 0x01, 0xDF, 0x2C, 0x01, 0x2D, 0x02, 0xC0}));
}

TEST(SimulatedUnitAnswers, FramesItCannotAcceptAreReported)
{
    const Bytes nak{0xC0, 0x05, 0x04, 0x00, 0x01, 0xC0};
    struct Case
    {
        const char *what;
        Bytes in;
    };
    const Case cases[] = {
        {"checksum off by one bit", {0xC0, 0x02, 0x04, 0x01, 0x06, 0xC0}},
        {"Length below the header", {0xC0, 0x04, 0x03, 0x01, 0x06, 0xC0}},
        {"Length beyond the bytes received", {0xC0, 0x02, 0x05, 0x01, 0x06, 0xC0}},
        {"too short to hold a header", {0xC0, 0x01, 0x01, 0xC0}},
        {"CHANNEL_STATUS_REQ without its channel byte", request(1, CHANNEL_STATUS_REQ, 4)},
        {"PASSWORD_WRITE_REQ cut short", request(1, PASSWORD_WRITE_REQ, 12)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        SimulatedUnit unit;
        EXPECT_EQ(answer(unit, c.in), nak);
    }
}

TEST(SimulatedUnitAnswers, UnknownRequestsDrawNoAnswer)
{
    SimulatedUnit unit;
    EXPECT_TRUE(unit.feed(request(1, 0x7F, 4)).empty());
    EXPECT_TRUE(unit.feed(request(2, VERSION_REQ, 4)).empty());  // no such node
    EXPECT_TRUE(unit.feed(request(1, VERSION_CFM, 24)).empty()); // an event, not a request
    EXPECT_TRUE(unit.feed(request(1, CHANNEL_SWITCH_REQ, 12, {1, 0xF0})).empty());
    // The monitor's selection byte travels outside Length: accepted, unanswered.
    DeviceFrame mon(1, CAN_MONITOR_REQ, 4);
    mon.set(4, 1).finish();
    EXPECT_TRUE(unit.feed(SlipEncode(mon.data(), 5)).empty());
}

TEST(SimulatedUnitAnswers, FrameSplitAcrossFeedsIsAnsweredOnce)
{
    SimulatedUnit unit;
    const Bytes req = request(1, VERSION_REQ, 4);
    EXPECT_TRUE(unit.feed(Bytes(req.begin(), req.begin() + 3)).empty());
    const auto answers = unit.feed(Bytes(req.begin() + 3, req.end()));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0][FrameCommandAt], VERSION_CFM);
}

// Every request of the code table that has an answer follows the reply rule,
// and the unit answers each request it implements with that code.
TEST(SimulatedUnitAnswers, CodeTableReplyRule)
{
    SimulatedUnit unit;
    int implemented = 0;
    for (const CommandInfo &c : CommandTable()) {
        if (c.direction != Direction::ToUnit || !c.answer)
            continue;
        SCOPED_TRACE(std::string(c.name));
        EXPECT_EQ(*c.answer, ReplyCode(c.node, c.code));
        const CommandInfo *event = FindCommand(c.node, *c.answer);
        ASSERT_NE(event, nullptr);
        EXPECT_EQ(event->direction, Direction::FromUnit);
        if (!unit.handles(c.node, c.code))
            continue;
        ++implemented;
        // Data that each request accepts: all channels (status, inputs,
        // outputs), automatic mode, zeros.
        const bool all =
            c.node == 1 && (c.code == CHANNEL_STATUS_REQ || c.code == INPUT_CONFIG_READ_REQ ||
                            c.code == OUTPUT_CONFIG_READ_REQ);
        // Error-log entries count from 1.
        const std::uint8_t first = all                                            ? 0xFF
                                   : c.node == 0 && c.code == ERROR_LOG_ENTRY_REQ ? 1
                                                                                  : 0;
        const auto answers = unit.feed(request(c.node, c.code, c.length, {first}));
        ASSERT_FALSE(answers.empty());
        for (const Bytes &f : answers) {
            EXPECT_TRUE(IsValidFrame(f.data(), f.size()));
            EXPECT_EQ(f[FrameNodeAt], c.node);
            EXPECT_EQ(f[FrameCommandAt], ReplyCode(c.node, c.code));
            // The table gives the bytes the tool reads; the simulated unit's
            // EEPROM write acknowledgement names the stored block beyond them.
            if (c.node == NodeSystem && c.code == EEPROM_WRITE_REQ) {
                EXPECT_GE(f[FrameLengthAt], event->length);
            } else if (event->length != 0) {
                EXPECT_EQ(f[FrameLengthAt], event->length);
            }
        }
    }
    // Version, statistics, both password requests, three status requests,
    // mode and ping; 15 settings reads and 15 writes, factory reset, reboot;
    // both diagnostic reads and the diagnostic clear; the service tools'
    // requests: identity (2), calibration (3), flash read, error log, system
    // log reset and EEPROM (6).
    EXPECT_EQ(implemented, 9 + 32 + 3 + 2 + 3 + 1 + 6);
}

TEST(SimulatedUnitAnswers, PingEchoesItsBytes)
{
    SimulatedUnit unit;
    const auto answers = unit.feed(request(0, PING_REQ, 21, {3, 0xC0, 0xDB, 0x07}));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0], (Bytes{answers[0][0], 8, 0, PING_CFM, 3, 0xC0, 0xDB, 0x07}));
}

TEST(SimulatedUnitChannels, AllChannelsInAscendingOrder)
{
    SimulatedUnit unit;
    steady(unit);
    unit.feed(request(1, MODE_REQ, 5, {1}));
    unit.feed(request(1, CHANNEL_SWITCH_REQ, 12, {3, 0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    unit.feed(request(1, CHANNEL_SWITCH_REQ, 12, {19, 0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    unit.setChannelWarning(20, true);

    const auto all = channelStatus(unit, 0xFF);
    ASSERT_EQ(all.size(), 34u);
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Bytes &f = all[i];
        const int ch = static_cast<int>(i) + 1;
        SCOPED_TRACE(ch);
        ASSERT_TRUE(IsValidFrame(f.data(), f.size()));
        EXPECT_EQ(f[FrameLengthAt], 10);
        EXPECT_EQ(f[FrameCommandAt], CHANNEL_STATUS_CFM);
        EXPECT_EQ(f[4], ch);
        const bool on = ch == 3 || ch == 19;
        EXPECT_EQ(f[5] == 0xF0, on);
        EXPECT_EQ(f[6], 0);
        // Only the high-power channels measure current.
        EXPECT_EQ(u16be(f, 7), ch == 3 ? unit.output(3).loadTenths : 0u);
        EXPECT_EQ(f[9] != 0, ch == 20);
    }
    EXPECT_GT(unit.output(3).loadTenths, 0);

    ASSERT_EQ(channelStatus(unit, 5).size(), 1u);
    EXPECT_EQ(channelStatus(unit, 5)[0][4], 5);
    EXPECT_TRUE(channelStatus(unit, 0).empty());
    EXPECT_TRUE(channelStatus(unit, 35).empty());
}

TEST(SimulatedUnitChannels, FaultHook)
{
    struct Case
    {
        std::uint8_t fault;
        int channel;
        bool staysOn; // an open load stays switched, the others trip
    };
    const Case cases[] = {
        {sim::FaultNegativeShort, 4, false},  {sim::FaultPositiveShort, 4, false},
        {sim::FaultOpenLoad, 4, true},        {sim::FaultOverload, 4, false},
        {sim::FaultNegativeShort, 30, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "fault " << int(c.fault) << " on " << c.channel);
        SimulatedUnit unit;
        steady(unit);
        unit.feed(request(1, MODE_REQ, 5, {1}));
        unit.feed(request(1, CHANNEL_SWITCH_REQ, 12,
                          {std::uint8_t(c.channel), 0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
        unit.setChannelFault(c.channel, c.fault);

        const Bytes f = channelStatus(unit, std::uint8_t(c.channel)).at(0);
        EXPECT_EQ(f[5] == 0xF0, c.staysOn);
        EXPECT_EQ(f[6], c.fault);
        EXPECT_EQ(u16be(f, 7), 0u);
        const Bytes box = unit.feed(request(1, BOX_STATUS_REQ, 4)).at(0);
        const bool high = c.channel <= sim::HighPowerChannelCount;
        EXPECT_EQ(box[4], high ? 1 : 0);
        EXPECT_EQ(box[5], high ? 0 : 1);

        unit.setChannelFault(c.channel, sim::FaultNone);
        const Bytes cleared = channelStatus(unit, std::uint8_t(c.channel)).at(0);
        EXPECT_EQ(cleared[5], 0xF0);
        EXPECT_EQ(cleared[6], 0);
        EXPECT_EQ(u16be(cleared, 7), high ? unit.output(c.channel).loadTenths : 0u);
    }
}

TEST(SimulatedUnitLive, BoxAndInputStatusLayouts)
{
    SimulatedUnit unit;
    steady(unit);
    unit.setInput(1, true);
    unit.setInput(9, true);
    unit.setInput(11, true);
    unit.setCanInput(1, true);
    unit.setCanInput(32, true);
    unit.setChannelFault(30, sim::FaultOpenLoad);

    const Bytes in = unit.feed(request(1, INPUT_STATUS_REQ, 4)).at(0);
    EXPECT_EQ(in, (Bytes{in[0], 10, 1, INPUT_STATUS_CFM, 0x01, 0x05, 0x01, 0x00, 0x00, 0x80}));

    // By the built-in wiring inputs 1, 9 and 11 drive the high-power
    // channels 1, 12, 9 and 11 (and some low-power ones, which measure nothing).
    unsigned total = 0;
    for (int ch = 1; ch <= 34; ++ch)
        total += unit.output(ch).currentTenths;
    EXPECT_EQ(total, unsigned(unit.output(1).loadTenths + unit.output(9).loadTenths +
                              unit.output(11).loadTenths + unit.output(12).loadTenths));
    const Bytes box = unit.feed(request(1, BOX_STATUS_REQ, 4)).at(0);
    EXPECT_EQ(box[FrameLengthAt], 10);
    EXPECT_EQ(box[4], 0);
    EXPECT_EQ(box[5], 1);
    EXPECT_EQ(u16be(box, 6), total);
    EXPECT_EQ(box[8], 138 - total / 50);
    EXPECT_EQ(box[9], 25);
}

// With the built-in input pattern the state moves on with time, and in
// automatic mode every output follows the input that triggers it.
TEST(SimulatedUnitLive, OutputsFollowTheirInputsOverTime)
{
    SimulatedUnit unit;
    std::uint16_t firstInputs = unit.live().inputs;
    bool inputsChanged = false, currentChanged = false;
    std::uint16_t lastCurrent = 0;
    for (int step = 0; step < 200; ++step) {
        unit.advance(milliseconds(250));
        const sim::LiveState s = unit.live();
        inputsChanged = inputsChanged || s.inputs != firstInputs;
        for (int ch = 1; ch <= 34; ++ch) {
            const sim::OutputState &o = s.outputs[std::size_t(ch - 1)];
            ASSERT_EQ(o.on, bool(s.inputs >> (o.trigger - 1) & 1)) << "channel " << ch;
            if (ch > 18 || !o.on) {
                EXPECT_EQ(o.currentTenths, 0);
            } else {
                EXPECT_LE(std::abs(int(o.currentTenths) - int(o.loadTenths)), 3);
            }
        }
        currentChanged = currentChanged || (step > 0 && s.totalCurrentTenths != lastCurrent);
        lastCurrent = s.totalCurrentTenths;
        EXPECT_GE(s.supplyTenths, 110); // all 18 loads on: 110.7 A
        EXPECT_LE(s.supplyTenths, 139);
    }
    EXPECT_TRUE(inputsChanged);
    EXPECT_TRUE(currentChanged);
    EXPECT_EQ(unit.upTimeMs(), 50'000u);
}

TEST(SimulatedUnitLive, LoadWarmsTheUnitAndRaisesTheMaxima)
{
    SimulatedUnit unit;
    steady(unit);
    unit.feed(request(1, MODE_REQ, 5, {1}));
    for (std::uint8_t ch = 1; ch <= 18; ++ch)
        unit.feed(request(1, CHANNEL_SWITCH_REQ, 12, {ch, 0xF0}));
    const unsigned total = unit.live().totalCurrentTenths;
    EXPECT_GT(total, 500u);
    unit.advance(seconds(300));
    const sim::StatisticsState stats = unit.statistics();
    EXPECT_EQ(stats.maxCurrentTenths, total);
    EXPECT_GT(stats.maxTemperature, 25);
    EXPECT_GE(stats.maxTemperature, unit.live().temperatureMilli / 1000);
}

TEST(SimulatedUnitModes, ManualSwitchingAndModeChanges)
{
    SimulatedUnit unit;
    steady(unit);
    const Bytes on1 =
        request(1, CHANNEL_SWITCH_REQ, 12, {1, 0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    const Bytes off1 =
        request(1, CHANNEL_SWITCH_REQ, 12, {1, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});

    // Automatic mode ignores switch commands.
    unit.feed(on1);
    EXPECT_FALSE(unit.output(1).on);

    // Outputs keep their state when manual mode begins.
    unit.setInput(1, true);
    ASSERT_TRUE(unit.output(1).on);
    ASSERT_EQ(unit.feed(request(1, MODE_REQ, 5, {1})).size(), 1u);
    EXPECT_EQ(unit.mode(), sim::UnitMode::Manual);
    unit.setInput(1, false);
    EXPECT_TRUE(unit.output(1).on);

    unit.feed(off1);
    EXPECT_FALSE(unit.output(1).on);
    unit.feed(request(1, CHANNEL_SWITCH_REQ, 12, {1, 0x55}));
    EXPECT_FALSE(unit.output(1).on); // neither on nor off: ignored
    unit.feed(on1);
    EXPECT_TRUE(unit.output(1).on);

    // Back in automatic mode the input rules again.
    unit.feed(request(1, MODE_REQ, 5, {0}));
    EXPECT_EQ(unit.mode(), sim::UnitMode::Automatic);
    EXPECT_FALSE(unit.output(1).on);

    ASSERT_EQ(unit.feed(request(1, MODE_REQ, 5, {2})).size(), 1u);
    EXPECT_EQ(unit.mode(), sim::UnitMode::Calibration);
    EXPECT_TRUE(unit.feed(request(1, MODE_REQ, 5, {3})).empty());
    EXPECT_EQ(unit.mode(), sim::UnitMode::Calibration);
}

TEST(SimulatedUnitPasswords, ReadWriteAndErased)
{
    SimulatedUnit unit;
    const Bytes read = request(1, PASSWORD_READ_REQ, 4);
    // Empty passwords by default: every byte 0.
    Bytes empty{0xC0, 0xFD, 0x16, 0x01, 0xEA};
    empty.insert(empty.end(), 18, 0x00);
    empty.push_back(0xC0);
    EXPECT_EQ(answer(unit, read), empty);

    unit.erasePasswords();
    Bytes erased{0xC0, 0xFD, 0x16, 0x01, 0xEA};
    erased.insert(erased.end(), 18, 0xFF);
    erased.push_back(0xC0);
    EXPECT_EQ(answer(unit, read), erased);

    // Write as the set-password window does: 8 bytes, a 0, 8 bytes, two 0.
    EXPECT_EQ(answer(unit, request(1, PASSWORD_WRITE_REQ, 23,
                                   {'r', 'o', 0, 0, 0, 0, 0, 0, 0, 'R', 'W', 'p', 'a', 's', 's',
                                    '1', '2'})),
              (Bytes{0xC0, 0xEC, 0x04, 0x01, 0xE9, 0xC0}));
    const Bytes f = unit.feed(read).at(0);
    EXPECT_EQ(f[FrameLengthAt], 22);
    EXPECT_EQ(Bytes(f.begin() + 4, f.begin() + 13), (Bytes{'r', 'o', 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Bytes(f.begin() + 13, f.begin() + 22),
              (Bytes{'R', 'W', 'p', 'a', 's', 's', '1', '2', 0}));

    unit.setPasswords("123456789", "");
    const Bytes g = unit.feed(read).at(0);
    EXPECT_EQ(Bytes(g.begin() + 4, g.begin() + 13),
              (Bytes{'1', '2', '3', '4', '5', '6', '7', '8', 0}));
    EXPECT_EQ(g[13], 0);
}
