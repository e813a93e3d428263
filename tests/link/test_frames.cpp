#include "link/DeviceCommands.h"
#include "link/FrameCodec.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace devlink;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes encode(std::uint8_t node, std::uint8_t cmd, Bytes data, int count = -1)
{
    DeviceFrame f(node, cmd, static_cast<std::uint8_t>(4 + data.size()));
    for (std::size_t i = 0; i < data.size(); ++i)
        f.set(4 + i, data[i]);
    f.finish();
    return SlipEncode(f.data(), count < 0 ? f.length() : static_cast<std::size_t>(count));
}

struct Collector
{
    std::vector<Bytes> frames;
    RxFrameDecoder decoder{[this](const std::uint8_t *f, std::size_t n) {
        frames.emplace_back(f, f + n);
        // Everything behind the decoded bytes must read as zero.
        for (std::size_t i = n; i < 256; ++i)
            if (f[i] != 0)
                ADD_FAILURE() << "stale byte at " << i;
    }};
    void feed(const Bytes &b)
    {
        for (auto x : b)
            decoder.PutByte(x);
    }
};

} // namespace

// Byte-exact frames of the protocol's documented examples.
TEST(FrameEncoding, DocumentedExamples)
{
    EXPECT_EQ(encode(1, VERSION_REQ, {}), (Bytes{0xC0, 0x03, 0x04, 0x01, 0x06, 0xC0}));
    EXPECT_EQ(encode(1, MODE_REQ, {0x01}), (Bytes{0xC0, 0x26, 0x05, 0x01, 0x23, 0x01, 0xC0}));
    // The monitor's selection travels outside Length and checksum.
    DeviceFrame mon(1, CAN_MONITOR_REQ, 4);
    mon.set(4, 1).finish();
    EXPECT_EQ(SlipEncode(mon.data(), 5), (Bytes{0xC0, 0x59, 0x04, 0x01, 0x5C, 0x01, 0xC0}));
    mon.set(4, 0);
    EXPECT_EQ(SlipEncode(mon.data(), 5), (Bytes{0xC0, 0x59, 0x04, 0x01, 0x5C, 0x00, 0xC0}));
}

TEST(FrameEncoding, SpecialBytesAreEscapedAndComeBackUnchanged)
{
    const Bytes wire = encode(1, 0x24, {0xC0, 0xDB, 0x00});
    // Two escapes add two bytes.
    EXPECT_EQ(wire.size(), 2u + 7u + 2u);
    Collector c;
    c.feed(wire);
    ASSERT_EQ(c.frames.size(), 1u);
    EXPECT_EQ(c.frames[0][4], 0xC0);
    EXPECT_EQ(c.frames[0][5], 0xDB);
    EXPECT_TRUE(IsValidFrame(c.frames[0].data(), c.frames[0].size()));
    // A checksum that happens to be 0xC0 is escaped too.
    DeviceFrame f(1, 0xC5, 5); // 0x05 ^ 0x01 ^ 0xC5 ^ 0x01 = 0xC0
    f.set(4, 0x01).finish();
    EXPECT_EQ(f[0], 0xC0);
    const Bytes w = SlipEncode(f.data(), 5);
    EXPECT_EQ(w[1], SLIP_ESC);
    EXPECT_EQ(w[2], SLIP_ESC_END);
}

TEST(FrameDecoding, EndMarksAloneDeliverNothing)
{
    Collector c;
    c.feed({0xC0, 0xC0, 0xC0});
    EXPECT_TRUE(c.frames.empty());
}

TEST(FrameDecoding, OverflowDiscardsUpToTheNextEndMark)
{
    Collector c;
    Bytes exact(200, 0x11);
    exact.insert(exact.begin(), 0xC0);
    exact.push_back(0xC0);
    c.feed(exact);
    ASSERT_EQ(c.frames.size(), 1u);
    EXPECT_EQ(c.frames[0].size(), 200u);

    Bytes tooLong(205, 0x22);
    tooLong.push_back(0xC0);
    c.feed(tooLong);
    EXPECT_EQ(c.frames.size(), 1u) << "the tail of an overlong frame must not arrive as a frame";
    c.feed(encode(1, VERSION_REQ, {}));
    ASSERT_EQ(c.frames.size(), 2u);
    EXPECT_EQ(c.frames[1], (Bytes{0x03, 0x04, 0x01, 0x06}));
}

TEST(FrameDecoding, TrailingEscapeAndUnknownEscapeStayInsideTheBuffer)
{
    Collector c;
    c.feed({0xC0, 0x01, 0x02, 0xDB, 0xC0});
    ASSERT_EQ(c.frames.size(), 1u);
    EXPECT_EQ(c.frames[0], (Bytes{0x01, 0x02}));
    c.feed({0xC0, 0xDB, 0x07, 0xC0});
    ASSERT_EQ(c.frames.size(), 2u);
    EXPECT_EQ(c.frames[1].size(), 1u);
}

TEST(FrameDecoding, ResetDropsAPartFrame)
{
    Collector c;
    c.feed({0xC0, 0x01, 0x02});
    c.decoder.Reset();
    c.feed(encode(1, VERSION_REQ, {}));
    ASSERT_EQ(c.frames.size(), 1u);
    EXPECT_EQ(c.frames[0].size(), 4u);
}

// Random frames, concatenated and cut at random places, come out whole.
TEST(FrameDecoding, RandomRoundTripWithArbitrarySplits)
{
    std::mt19937 rng(12345);
    for (int round = 0; round < 200; ++round) {
        std::vector<Bytes> sent;
        Bytes stream;
        const int n = 1 + static_cast<int>(rng() % 5);
        for (int i = 0; i < n; ++i) {
            Bytes data(rng() % 80);
            for (auto &b : data)
                b = static_cast<std::uint8_t>(rng() % 4 == 0 ? (rng() % 2 ? 0xC0 : 0xDB) : rng());
            DeviceFrame f(1, static_cast<std::uint8_t>(rng()),
                          static_cast<std::uint8_t>(4 + data.size()));
            for (std::size_t k = 0; k < data.size(); ++k)
                f.set(4 + k, data[k]);
            f.finish();
            sent.emplace_back(f.data(), f.data() + f.length());
            const Bytes w = SlipEncode(f.data(), f.length());
            stream.insert(stream.end(), w.begin(), w.end());
        }
        Collector c;
        std::size_t at = 0;
        while (at < stream.size()) {
            const std::size_t take = std::min<std::size_t>(1 + rng() % 17, stream.size() - at);
            c.feed(Bytes(stream.begin() + static_cast<long>(at),
                         stream.begin() + static_cast<long>(at + take)));
            at += take;
        }
        ASSERT_EQ(c.frames, sent);
        for (const auto &f : c.frames)
            EXPECT_TRUE(IsValidFrame(f.data(), f.size()));
    }
}

TEST(FrameValidity, LengthMustFitWhatWasDecoded)
{
    std::uint8_t buf[256] = {};
    struct Case
    {
        std::uint8_t length;
        std::size_t decoded;
        bool valid;
    } cases[] = {{0, 4, false}, {1, 4, false}, {3, 4, false}, {255, 10, false},
                 {8, 6, false}, {4, 3, false}, {4, 4, true},  {6, 9, true}};
    for (const auto &c : cases) {
        buf[1] = c.length;
        buf[2] = 1;
        buf[3] = 0x87;
        const std::size_t len = c.length >= 1 ? c.length : 1;
        buf[0] = FrameChecksum(buf + 1, std::min<std::size_t>(len - 1, 255));
        EXPECT_EQ(IsValidFrame(buf, c.decoded), c.valid)
            << "Length " << int(c.length) << " decoded " << c.decoded;
    }
    buf[1] = 4;
    buf[0] = 0x55;
    EXPECT_FALSE(IsValidFrame(buf, 4)) << "bad checksum";
}
