#include "tools/PingFrames.h"
#include "tools/UnitIdentity.h"

#include "link/DeviceCommands.h"

#include <gtest/gtest.h>

#include <vector>

using namespace devlink;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes frame(std::uint8_t node, std::uint8_t code, Bytes data)
{
    DeviceFrame f(node, code, static_cast<std::uint8_t>(4 + data.size()));
    for (std::size_t i = 0; i < data.size(); ++i)
        f.set(4 + i, data[i]);
    f.finish();
    return Bytes(f.data(), f.data() + f.length());
}

} // namespace

// ---- identity ----

// Frames from the identity table of the protocol: serial most significant
// byte first, week, year - 2000, hardware version.
TEST(UnitIdentity, FramesAreByteExact)
{
    const UnitIdentity id{4660, 60, 6, 3};
    const DeviceFrame w = EncodeIdentityWrite(id);
    const Bytes wire(w.data(), w.data() + w.length());
    EXPECT_EQ(wire, frame(1, SYSTEM_SETUP_WRITE_REQ, {0x00, 0x00, 0x12, 0x34, 60, 6, 3}));

    const Bytes answer = frame(1, SYSTEM_SETUP_READ_CFM, {0x00, 0x00, 0x12, 0x34, 60, 6, 3});
    EXPECT_EQ(DecodeIdentity(answer.data(), answer.size()), id);
    EXPECT_EQ(SerialText(id.serial), "00004660");

    // Too short, or corrupt: no identity.
    const Bytes shortAnswer = frame(1, SYSTEM_SETUP_READ_CFM, {0, 0, 0x12, 0x34, 60, 6});
    EXPECT_FALSE(DecodeIdentity(shortAnswer.data(), shortAnswer.size()));
    Bytes corrupt = answer;
    corrupt[5] ^= 1;
    EXPECT_FALSE(DecodeIdentity(corrupt.data(), corrupt.size()));
}

// What the unit holds is shown as it is, each field at least its width.
TEST(UnitIdentity, TextOfTheUnitsValues)
{
    EXPECT_EQ(SerialText(4660), "00004660");
    EXPECT_EQ(SerialText(0xFFFFFFFF), "4294967295");
    EXPECT_EQ(YearText(7), "2007");
    EXPECT_EQ(YearText(120), "20120");
    EXPECT_EQ(WeekText(0), "00");
    EXPECT_EQ(WeekText(255), "255");
    EXPECT_EQ(HardwareText(3), "03");
}

struct EntryCase
{
    const char *serial, *year, *week, *hardware;
    const char *error; // nullptr: accepted
    UnitIdentity identity;
};

// The window's edits as typed; the year bounds and message are the tool's own.
const EntryCase EntryCases[] = {
    {"00004660", "2006", "01", "00", nullptr, {4660, 1, 6, 0}},
    {"99999999", "2099", "53", "255", nullptr, {99999999, 53, 99, 255}},
    // A serial the unit holds beyond eight digits goes back as it came.
    {"100000000", "2010", "01", "00", nullptr, {100000000, 1, 10, 0}},
    {"4294967295", "2010", "01", "00", nullptr, {0xFFFFFFFF, 1, 10, 0}},
    {" 12 ", " 2010 ", "7", "3", nullptr, {12, 7, 10, 3}},
    {"00004660", "2005", "01", "00", YearError, {}},
    {"00004660", "2100", "01", "00", YearError, {}},
    {"00004660", "20x6", "01", "00", YearError, {}},
    // The form's own week "00", and a week beyond 53, go as typed.
    {"00000000", "2006", "00", "00", nullptr, {0, 0, 6, 0}},
    {"1", "2010", "60", "+3", nullptr, {1, 60, 10, 3}},
    {"1", "2010", "255", "00", nullptr, {1, 255, 10, 0}},
    // Only what would wrap its field is refused.
    {"", "2010", "01", "00", "Not a valid serial number, 0-4294967295", {}},
    {"-1", "2010", "01", "00", "Not a valid serial number, 0-4294967295", {}},
    {"4294967296", "2010", "01", "00", "Not a valid serial number, 0-4294967295", {}},
    {"12a", "2010", "01", "00", "Not a valid serial number, 0-4294967295", {}},
    {"1", "2010", "256", "00", "Not a valid production week, 0-255", {}},
    {"1", "2010", "-1", "00", "Not a valid production week, 0-255", {}},
    {"1", "2010", "1", "256", "Not a valid hardware version, 0-255", {}},
};

TEST(UnitIdentity, TypedEntriesAreCheckedNeverWrapped)
{
    for (const EntryCase &c : EntryCases) {
        const IdentityEntry e = ParseIdentity(c.serial, c.year, c.week, c.hardware);
        if (c.error) {
            EXPECT_FALSE(e.identity) << c.serial << " " << c.year;
            EXPECT_EQ(e.error, c.error);
        } else {
            ASSERT_TRUE(e.identity) << e.error.toStdString();
            EXPECT_EQ(*e.identity, c.identity);
        }
    }
}

// ---- ping ----

TEST(PingFrames, RequestLayout)
{
    PingBuffer buffer;
    buffer.fill(0xEE);
    const Bytes data{1, 2, 254};
    BuildPingRequest(buffer, data);
    Bytes expected(21, 0);
    expected[1] = 21;
    expected[2] = 0;
    expected[3] = PING_REQ;
    expected[4] = 3;
    expected[5] = 1, expected[6] = 2, expected[7] = 254;
    expected[0] = FrameChecksum(expected.data() + 1, 20);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 21), expected);
    EXPECT_TRUE(std::all_of(buffer.begin() + 21, buffer.end(), [](auto b) { return b == 0; }));
}

struct EchoCase
{
    const char *what;
    Bytes answer; // the whole answer frame, checksum included
    PingEcho expected;
    std::size_t shown; // echoed bytes the log line may show
};

TEST(PingFrames, EchoIsComparedByteForByte)
{
    PingBuffer sent;
    BuildPingRequest(sent, Bytes{10, 20, 30});
    const Bytes good = frame(0, PING_CFM, {3, 10, 20, 30});
    Bytes countTooLarge = frame(0, PING_CFM, {200, 10, 20, 30});
    const EchoCase cases[] = {
        {"same bytes", good, PingEcho::Match, 3},
        {"one byte differs", frame(0, PING_CFM, {3, 10, 21, 30}), PingEcho::WrongData, 3},
        {"fewer bytes", frame(0, PING_CFM, {2, 10, 20}), PingEcho::WrongCount, 2},
        {"none echoed", frame(0, PING_CFM, {0}), PingEcho::Match, 0},
        // The count claims more than the frame holds: never read beyond it.
        {"count beyond the frame", countTooLarge, PingEcho::Truncated, 3},
        {"no count byte", frame(0, PING_CFM, {}), PingEcho::Truncated, 0},
    };
    for (const EchoCase &c : cases) {
        EXPECT_EQ(CheckPingEcho(sent, c.answer.data(), c.answer.size()), c.expected) << c.what;
        EXPECT_EQ(PingEchoData(c.answer.data(), c.answer.size()).size(), c.shown) << c.what;
    }

    PingBuffer empty;
    BuildPingRequest(empty, {});
    const Bytes none = frame(0, PING_CFM, {0});
    EXPECT_EQ(CheckPingEcho(empty, none.data(), none.size()), PingEcho::Match);
}

TEST(PingFrames, LogLine)
{
    const Bytes data{0x0A, 0xFE, 0x00};
    EXPECT_EQ(PingLogLine(QTime(10, 20, 7, 45), "PING_REQ", data),
              "7:45: PING_REQ - Data: 0A:FE:00:");
    EXPECT_EQ(PingLogLine(QTime(0, 0, 0, 0), "PING_CFM", {}), "0:0: PING_CFM - Data: ");
}
