#include "sim/SettingsMemory.h"
#include "sim/SimulatedUnit.h"

#include "link/DeviceCommands.h"
#include "sim_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>

using namespace devlink;
using namespace simtest;
using sim::nameField;
using sim::SettingsMemory;
using sim::SimulatedUnit;

namespace {

struct Field
{
    std::size_t at;
    Bytes bytes;
};

// An unstuffed node-1 frame: `fields` from their offsets, every other byte 0.
Bytes frame(std::uint8_t code, std::uint8_t length, const std::vector<Field> &fields = {})
{
    DeviceFrame f(NodeApplication, code, length);
    for (const Field &field : fields)
        for (std::size_t i = 0; i < field.bytes.size(); ++i)
            f.set(field.at + i, field.bytes[i]);
    f.finish();
    return Bytes(f.data(), f.data() + f.length());
}

Bytes str(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

Bytes repeated(std::size_t count, std::uint8_t value)
{
    return Bytes(count, value);
}

Bytes operator+(Bytes a, const Bytes &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Distinct values in one record of every block (the last record where a
// block has several), defaults everywhere else. Full-width names carry no
// terminator; the sequence 3 name is erased.
SettingsMemory probe()
{
    SettingsMemory m;
    m.inputs[2] = {nameField<15>("Main beam sw"), 1};
    m.outputs[4] = {0x0123, 0x07, 0xD1, 16, nameField<15>("Fuel pump"), 0x15, 0x25, 0x0456, 0x09};
    m.lowBattery = {115, 125, {3, 34, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255}};
    m.canSetup = {500, 0x0203, 0x01A0, 7, 0x81, 5, 0x0A, 0x0512};
    m.canInputs[31] = {.enabled = 1,
                       .noCanDataState = 2,
                       .canIdOn = 0x0123,
                       .canIdOff = 0x0456,
                       .valueOn = 0x789A,
                       .valueOff = 0xBCDE,
                       .operatorOn = -1,
                       .operatorOff = 5,
                       .highByteOnPos = 1,
                       .lowByteOnPos = 2,
                       .highByteOffPos = 3,
                       .lowByteOffPos = 4,
                       .name = nameField<15>("Oil pressure lo"),
                       .rowEnabled = 1,
                       .rowIndex = 6,
                       .rowValue = 0x42,
                       .dataType = 1,
                       .dimensionName = nameField<5>("kPa"),
                       .multiplicator = 0.5f,
                       .calOffset = -3};
    m.canInputEnable = {1, 0xD2};
    m.boxName = nameField<16>("Service truck 12");
    m.virtualInputs[19] = {{255, 14, 80}, {2, -1}, nameField<15>("Last virtual"), {1, 2, 3}, 0x05};
    m.startKill.startTrigger = 0xC3;
    m.startKill.startChannels.fill(255);
    m.startKill.startChannels[0] = 1;
    m.startKill.startChannels[1] = 34;
    m.startKill.startChannels[2] = 0;
    m.startKill.killTrigger = 33;
    m.startKill.killDelay = 12;
    m.startKill.killChannels.fill(255);
    m.startKill.killChannels[0] = 3;
    m.startKill.killChannels[1] = 34;
    m.flash[4] = {1, 0, 0xC4, 3, 7, 20, {13, 14, 255, 255}, nameField<15>("Hazard flash ab")};
    m.wiper = {0xC5, 0xC6, 0xC7, 0xC3, 1, 45, 0xD2, 12};
    m.sequences[0] = {0xC0, 1, nameField<16>("Beacon")};
    m.sequences[2] = {5, 3, {}};
    m.sequences[2].name.fill('\xFF');
    m.sequences[3] = {66, 2, nameField<16>("Sixteen chars ok")};
    m.pwm = {1, 0, 1};
    m.canExport1 = {1, 0x0102, 0x0304, {}, 9};
    for (std::size_t i = 0; i < m.canExport1.dataBytes.size(); ++i)
        m.canExport1.dataBytes[i] = static_cast<std::uint8_t>(i + 1);
    m.canExports[2] = {1, 0x03E8, 0x0312, {}};
    m.canExports[2].bits[0] = 1;
    m.canExports[2].bits[33] = 34;
    m.canExports[2].bits[34] = 35;
    m.canExports[2].bits[63] = 46;
    return m;
}

// One block: its requests and answers, and the bytes of probe() written out
// by hand from the frame layouts. A write request and the read answer carry
// the same fields.
struct BlockCodes
{
    std::uint8_t readRequest, readLength, number; // number: byte 4 when readLength is 5
    std::uint8_t writeRequest, writeLength;
    std::uint8_t answer, answerLength;
    std::uint8_t ack, ackLength; // a 5-byte acknowledgement repeats the number
};
struct BlockVector
{
    const char *what;
    BlockCodes c;
    std::vector<Field> fields;
};

const std::vector<BlockVector> &blockVectors()
{
    static const std::vector<BlockVector> vectors = {
        {"input 3",
         {0x04, 5, 3, 0x03, 21, 0x84, 21, 0x83, 4},
         {{4, {3}}, {5, str("Main beam sw")}, {20, {1}}}},
        {"channel 5: maximum current big-endian, low current little-endian",
         {0x02, 5, 5, 0x01, 30, 0x82, 30, 0x81, 4},
         {{4, {5, 0x01, 0x23, 0x07, 0xD1, 16}},
          {10, str("Fuel pump")},
          {25, {0x15, 0x25, 0x56, 0x04, 0x09}}}},
        {"low battery",
         {0x28, 4, 0, 0x27, 18, 0xA8, 18, 0xA7, 4},
         {{4, Bytes{115, 125, 3, 34} + repeated(10, 255)}}},
        {"CAN setup: 500 kbit/s, byte 4 stays 0",
         {0x26, 4, 0, 0x25, 17, 0xA6, 17, 0xA5, 4},
         {{5, {0xF4, 0x01, 0x03, 0x02, 0xA0, 0x01, 7, 0x81, 5, 0x0A, 0x12, 0x05}}}},
        {"CAN input record 31: flags, LE words, signed operator, float",
         {0x53, 5, 31, 0x52, 49, 0xD3, 49, 0xD2, 5},
         {{4, {31, 0x05, 0x23, 0x01, 0x56, 0x04, 0x9A, 0x78, 0xDE, 0xBC, 0xFF, 5, 1, 2, 3, 4}},
          {20, str("Oil pressure lo")},
          {35, {1, 6, 0x42, 1, 'k', 'P', 'a'}},
          {44, {0x00, 0x00, 0x00, 0x3F, 0xFD}}}},
        {"CAN input enable: 20-byte write, 6-byte answer",
         {0x65, 4, 0, 0x64, 20, 0xE4, 6, 0xE3, 4},
         {{4, {1, 0xD2}}}},
        {"unit name filling its 16 bytes",
         {0x63, 4, 0, 0x62, 20, 0xE2, 20, 0xE1, 4},
         {{4, str("Service truck 12")}}},
        {"virtual input record 19",
         {0x55, 5, 19, 0x54, 31, 0xD5, 31, 0xD4, 5},
         {{4, {19}}, {6, {255, 14, 80, 2, 0xFF}}, {11, str("Last virtual")}, {26, {1, 2, 3, 5}}}},
        {"start and kill buttons",
         {0x2A, 4, 0, 0x29, 35, 0xAA, 35, 0xA9, 4},
         {{4, Bytes{0xC3, 1, 34, 0} + repeated(11, 255)},
          {19, Bytes{33, 12, 3, 34} + repeated(12, 255)}}},
        {"flash record 4",
         {0x59, 5, 4, 0x58, 30, 0xD9, 30, 0xD8, 5},
         {{4, {4, 1, 0, 0xC4, 3, 7, 20, 13, 14, 255, 255}}, {15, str("Hazard flash ab")}}},
        {"wiper",
         {0x67, 4, 0, 0x66, 12, 0xE6, 12, 0xE5, 4},
         {{4, {0xC5, 0xC6, 0xC7, 0xC3, 1, 45, 0xD2, 12}}}},
        {"sequences at 4, 23, 42, 61; sequence 3 erased",
         {0x69, 4, 0, 0x68, 80, 0xE8, 80, 0xE7, 4},
         {{4, {0xC0, 1}},
          {6, str("Beacon")},
          {42, Bytes{5, 3} + repeated(16, 0xFF)},
          {61, {66, 2}},
          {63, str("Sixteen chars ok")}}},
        {"PWM: 12-byte write, 7-byte answer",
         {0x09, 4, 0, 0x08, 12, 0x8A, 7, 0x89, 4},
         {{4, {1, 0, 1}}}},
        {"CAN export 1",
         {0x57, 5, 0, 0x56, 29, 0xD7, 29, 0xD6, 4},
         {{5, {1, 0x02, 0x01, 0x04, 0x03}},
          {10, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}},
          {28, {9}}}},
        {"CAN export 4 (record 2), 64 bit selections",
         {0x5B, 5, 2, 0x5A, 74, 0xDB, 74, 0xDA, 5},
         {{4, {2, 1, 0xE8, 0x03, 0x12, 0x03, 1}}, {43, {34, 35}}, {73, {46}}}},
    };
    return vectors;
}

Bytes readRequest(const BlockVector &v)
{
    return v.c.readLength == 5 ? request(1, v.c.readRequest, 5, {v.c.number})
                               : request(1, v.c.readRequest, v.c.readLength);
}

Bytes writeRequest(const BlockVector &v)
{
    return stuffed(frame(v.c.writeRequest, v.c.writeLength, v.fields));
}

Bytes acknowledgement(const BlockVector &v)
{
    return v.c.ackLength == 5 ? frame(v.c.ack, 5, {{4, {v.c.number}}}) : frame(v.c.ack, 4);
}

} // namespace

TEST(SimulatedUnitSettings, ReadAnswersAreByteExact)
{
    SimulatedUnit unit;
    unit.setSettings(probe());
    for (const BlockVector &v : blockVectors()) {
        SCOPED_TRACE(v.what);
        const auto answers = unit.feed(readRequest(v));
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_EQ(answers[0], frame(v.c.answer, v.c.answerLength, v.fields));
        // The code table agrees on the answer's code and, where it fixes one, its length.
        EXPECT_EQ(v.c.answer, ReplyCode(NodeApplication, v.c.readRequest));
        const CommandInfo *event = FindCommand(NodeApplication, v.c.answer);
        ASSERT_NE(event, nullptr);
        if (event->length != 0) {
            EXPECT_EQ(event->length, v.c.answerLength);
        }
        EXPECT_EQ(FindCommand(NodeApplication, v.c.writeRequest)->length, v.c.writeLength);
    }
}

// Writing every block into an empty memory stores exactly probe(), and each
// block reads back with the bytes that were written.
TEST(SimulatedUnitSettings, WriteThenReadReturnsTheSameBytes)
{
    SimulatedUnit unit;
    unit.setSettings(SettingsMemory{});
    for (const BlockVector &v : blockVectors()) {
        SCOPED_TRACE(v.what);
        const auto acks = unit.feed(writeRequest(v));
        ASSERT_EQ(acks.size(), 1u);
        EXPECT_EQ(acks[0], acknowledgement(v));
        EXPECT_EQ(v.c.ack, ReplyCode(NodeApplication, v.c.writeRequest));
        const auto answers = unit.feed(readRequest(v));
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_EQ(answers[0], frame(v.c.answer, v.c.answerLength, v.fields));
    }
    EXPECT_TRUE(unit.settings() == probe());
}

TEST(SimulatedUnitSettings, InputsAndOutputsAllInAscendingOrder)
{
    SimulatedUnit unit;
    const SettingsMemory factory = SettingsMemory::factory();
    struct Case
    {
        std::uint8_t request, answer, length;
        int count;
    };
    for (const Case &c : {Case{0x04, 0x84, 21, 11}, Case{0x02, 0x82, 30, 34}}) {
        const auto answers = unit.feed(request(1, c.request, 5, {0xFF}));
        ASSERT_EQ(answers.size(), std::size_t(c.count));
        for (int n = 1; n <= c.count; ++n) {
            const Bytes &f = answers[std::size_t(n - 1)];
            ASSERT_TRUE(IsValidFrame(f.data(), f.size()));
            EXPECT_EQ(f[FrameCommandAt], c.answer);
            EXPECT_EQ(f[FrameLengthAt], c.length);
            EXPECT_EQ(f[4], n);
        }
    }
    // Spot checks of the factory names and the big-endian current on the wire.
    const Bytes in1 = unit.feed(request(1, 0x04, 5, {1})).at(0);
    EXPECT_EQ(std::string(in1.begin() + 5, in1.begin() + 13), "Ignition");
    EXPECT_EQ(in1[13], 0);
    const Bytes out5 = unit.feed(request(1, 0x02, 5, {5})).at(0);
    EXPECT_EQ(out5[5] << 8 | out5[6], factory.outputs[4].maxCurrentTenths);
    EXPECT_EQ(sim::nameText(factory.outputs[4].name), "Fuel pump");
}

// The requests of a full read in the tool's order, one at a time, each
// answered with the block it asks for. Decoding the answers rebuilds
// exactly what the unit holds.
TEST(SimulatedUnitSettings, FullReadChain)
{
    struct Step
    {
        std::uint8_t request, requestLength;
        int items; // requests with byte 4 = 0..items-1; 0: one request (0xFF for the tables)
        std::uint8_t answer, answerLength;
        int answers; // per request
    };
    const Step chain[] = {
        {0x04, 5, 0, 0x84, 21, 11}, {0x02, 5, 0, 0x82, 30, 34}, {0x28, 4, 0, 0xA8, 18, 1},
        {0x26, 4, 0, 0xA6, 17, 1},  {0x53, 5, 32, 0xD3, 49, 1}, {0x65, 4, 0, 0xE4, 6, 1},
        {0x63, 4, 0, 0xE2, 20, 1},  {0x55, 5, 20, 0xD5, 31, 1}, {0x2A, 4, 0, 0xAA, 35, 1},
        {0x59, 5, 5, 0xD9, 30, 1},  {0x67, 4, 0, 0xE6, 12, 1},  {0x69, 4, 0, 0xE8, 80, 1},
        {0x09, 4, 0, 0x8A, 7, 1},   {0x57, 5, 0, 0xD7, 29, 1},  {0x5B, 5, 3, 0xDB, 74, 1},
    };
    SimulatedUnit unit;
    SettingsMemory read = probe(); // every field the chain misses would stay probe()'s
    int requests = 0;
    for (const Step &s : chain) {
        const int count = std::max(s.items, 1);
        for (int item = 0; item < count; ++item) {
            SCOPED_TRACE(testing::Message() << "request " << int(s.request) << " item " << item);
            const std::uint8_t number =
                s.items > 0 ? std::uint8_t(item) : (s.request <= 0x04 ? 0xFF : 0);
            const Bytes req = s.requestLength == 5 ? request(1, s.request, 5, {number})
                                                   : request(1, s.request, 4);
            ++requests;
            const auto answers = unit.feed(req);
            ASSERT_EQ(answers.size(), std::size_t(s.answers));
            for (const Bytes &f : answers) {
                ASSERT_TRUE(IsValidFrame(f.data(), f.size()));
                EXPECT_EQ(f[FrameNodeAt], NodeApplication);
                EXPECT_EQ(f[FrameCommandAt], s.answer);
                EXPECT_EQ(f[FrameLengthAt], s.answerLength);
                if (s.items > 0) {
                    EXPECT_EQ(f[4], item);
                }
                const sim::SettingsBlockInfo *info = sim::findSettingsBlock(s.request);
                ASSERT_NE(info, nullptr);
                EXPECT_TRUE(sim::decodeSettings(read, *info, f));
            }
        }
    }
    EXPECT_EQ(requests, 71);
    EXPECT_TRUE(read == SettingsMemory::factory());
    EXPECT_TRUE(unit.settings() == SettingsMemory::factory());
}

// Numbers the unit has no record for: reads of the numbered blocks answer
// with the number and zero data, input and output reads stay unanswered,
// writes store nothing and are still acknowledged. Short frames are refused.
TEST(SimulatedUnitSettings, RecordNumbersOutOfRange)
{
    struct Case
    {
        const char *what;
        Bytes in;
        Bytes expected; // empty: no answer
    };
    const Bytes nak{0x05, 0x04, 0x00, 0x01};
    const Case cases[] = {
        {"input 0", request(1, 0x04, 5, {0}), {}},
        {"input 12", request(1, 0x04, 5, {12}), {}},
        {"input 0xFE", request(1, 0x04, 5, {0xFE}), {}},
        {"channel 0", request(1, 0x02, 5, {0}), {}},
        {"channel 35", request(1, 0x02, 5, {35}), {}},
        {"CAN input 32", request(1, 0x53, 5, {32}), frame(0xD3, 49, {{4, {32}}})},
        {"CAN input 255", request(1, 0x53, 5, {255}), frame(0xD3, 49, {{4, {255}}})},
        {"virtual input 20", request(1, 0x55, 5, {20}), frame(0xD5, 31, {{4, {20}}})},
        {"virtual input 255", request(1, 0x55, 5, {255}), frame(0xD5, 31, {{4, {255}}})},
        {"flash 5", request(1, 0x59, 5, {5}), frame(0xD9, 30, {{4, {5}}})},
        {"flash 255", request(1, 0x59, 5, {255}), frame(0xD9, 30, {{4, {255}}})},
        {"CAN export 3", request(1, 0x5B, 5, {3}), frame(0xDB, 74, {{4, {3}}})},
        {"CAN export 255", request(1, 0x5B, 5, {255}), frame(0xDB, 74, {{4, {255}}})},
        {"write input 0", stuffed(frame(0x03, 21, {{4, {0, 'X'}}})), frame(0x83, 4)},
        {"write input 12", stuffed(frame(0x03, 21, {{4, {12, 'X'}}})), frame(0x83, 4)},
        {"write channel 35", stuffed(frame(0x01, 30, {{4, {35, 1, 2, 3}}})), frame(0x81, 4)},
        {"write CAN input 32", stuffed(frame(0x52, 49, {{4, {32, 1, 2, 3}}})),
         frame(0xD2, 5, {{4, {32}}})},
        {"write virtual input 255", stuffed(frame(0x54, 31, {{4, {255, 0, 1}}})),
         frame(0xD4, 5, {{4, {255}}})},
        {"write flash 5", stuffed(frame(0x58, 30, {{4, {5, 1, 1}}})), frame(0xD8, 5, {{4, {5}}})},
        {"write CAN export 7", stuffed(frame(0x5A, 74, {{4, {7, 1, 1}}})),
         frame(0xDA, 5, {{4, {7}}})},
        {"CAN input write cut short", request(1, 0x52, 30, {0, 1}), nak},
        {"sequence write cut short", request(1, 0x68, 79), nak},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SimulatedUnit unit;
        const auto answers = unit.feed(c.in);
        if (c.expected.empty()) {
            EXPECT_TRUE(answers.empty());
        } else {
            ASSERT_EQ(answers.size(), 1u);
            EXPECT_EQ(answers[0], c.expected);
        }
        EXPECT_TRUE(unit.settings() == SettingsMemory::factory());
    }
}

TEST(SimulatedUnitSettings, FactoryResetAndReboot)
{
    SimulatedUnit unit;
    unit.setSettings(probe());
    EXPECT_EQ(unit.feed(request(1, REBOOT_REQ, 4)), std::vector<Bytes>{frame(REBOOT_CFM, 4)});
    EXPECT_TRUE(unit.settings() == probe()); // settings survive a reboot
    EXPECT_EQ(unit.feed(request(1, FACTORY_RESET_REQ, 4)),
              std::vector<Bytes>{frame(FACTORY_RESET_CFM, 4)});
    EXPECT_TRUE(unit.settings() == SettingsMemory::factory());
}

// The factory set names its inputs and outputs, triggers outputs from
// known sources only and lists channels that exist.
TEST(SimulatedUnitSettings, FactorySettingsArePlausible)
{
    const SettingsMemory m = SettingsMemory::factory();
    const Bytes inputCodes{0xC0, 0xC1, 0xC2, 0xD1, 0xC4, 0xC5, 0xC6, 0xC7, 0xC3, 0xD2, 0xD3};
    const auto isInput = [&](std::uint8_t c) {
        return std::find(inputCodes.begin(), inputCodes.end(), c) != inputCodes.end();
    };
    const auto isTrigger = [&](std::uint8_t c) { return c <= 66 || c == 255 || isInput(c); };
    const auto isChannelOrUnused = [](std::uint8_t c) { return c == 255 || (c >= 1 && c <= 34); };

    for (const auto &in : m.inputs)
        EXPECT_FALSE(sim::nameText(in.name).empty());
    int triggeredByInputs = 0;
    for (int ch = 1; ch <= sim::ChannelCount; ++ch) {
        SCOPED_TRACE(ch);
        const sim::OutputSettings &o = m.outputs[std::size_t(ch - 1)];
        EXPECT_FALSE(sim::nameText(o.name).empty());
        EXPECT_TRUE(isTrigger(o.trigger));
        EXPECT_TRUE(o.triggerLevel == 1 || o.triggerLevel == 16);
        triggeredByInputs += isInput(o.trigger);
        if (ch > sim::HighPowerChannelCount) {
            EXPECT_EQ(o.maxCurrentTenths, 0xFFFF);
            EXPECT_EQ(o.lowCurrentTenths, 0);
        }
    }
    EXPECT_GE(triggeredByInputs, 3);
    EXPECT_EQ(m.canSetup.bitRateKbit, 250);
    EXPECT_TRUE(std::any_of(m.canInputs.begin(), m.canInputs.end(),
                            [](const auto &c) { return c.enabled && c.canIdOn != 0; }));
    EXPECT_TRUE(std::any_of(m.sequences.begin(), m.sequences.end(),
                            [](const auto &s) { return s.type != 0; }));
    EXPECT_FALSE(sim::nameText(m.boxName).empty());
    for (const auto &f : m.flash) {
        EXPECT_TRUE(isTrigger(f.trigger));
        EXPECT_TRUE(std::all_of(f.channels.begin(), f.channels.end(), isChannelOrUnused));
    }
    EXPECT_TRUE(std::all_of(m.lowBattery.shedChannels.begin(), m.lowBattery.shedChannels.end(),
                            isChannelOrUnused));
    EXPECT_TRUE(isInput(m.canInputEnable.inputPin));
}
