#include "sim/SimLine.h"

#include "link/DeviceCommands.h"
#include "sim/SimulatedUnit.h"
#include "sim_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

using namespace devlink;
using namespace simtest;
using namespace std::chrono_literals;
using sim::Clock;
using sim::SimLine;

namespace {

Clock::duration tt(std::size_t bytes)
{
    return SimLine::transferTime(bytes);
}

class LineTest : public testing::Test
{
protected:
    explicit LineTest(bool pacing = false) : line(unit, clock, pacing) {}

    // Moves the manual clock to `t` after the start.
    void at(Clock::duration t) { clock->advance(t - clock->now()); }
    void send(const Bytes &bytes) { ASSERT_TRUE(line.write(session, bytes)); }
    Bytes readNow()
    {
        Bytes buffer(4096);
        std::size_t got = 0;
        EXPECT_TRUE(line.read(session, buffer, 0ns, got));
        buffer.resize(got);
        return buffer;
    }
    Bytes readAll()
    {
        Bytes all;
        for (Bytes b = readNow(); !b.empty(); b = readNow())
            all.insert(all.end(), b.begin(), b.end());
        return all;
    }

    std::shared_ptr<sim::ManualClock> clock = std::make_shared<sim::ManualClock>();
    std::shared_ptr<sim::SimulatedUnit> unit = std::make_shared<sim::SimulatedUnit>();
    SimLine line;
    std::uint64_t session = line.openSession().value_or(0);
    const Bytes versionReq = request(1, VERSION_REQ, 4);
};

class PacedLineTest : public LineTest
{
protected:
    PacedLineTest() : LineTest(true) {}
};

} // namespace

// 38400 baud with 11 bits a byte.
TEST(LineTiming, TransferTime)
{
    EXPECT_EQ(tt(0), 0ns);
    EXPECT_EQ(tt(1), 286459ns); // 286458.3 ns rounded up
    EXPECT_EQ(tt(6), 1718750ns);
    EXPECT_EQ(tt(384), 110ms);
    EXPECT_EQ(tt(3840), 1100ms);
}

TEST_F(LineTest, TheUnitAnswersOnlyAfterTheWriteReturned)
{
    send(versionReq);
    EXPECT_EQ(line.pendingBytes(), 0u);
    const auto got = frames(readNow());
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0][FrameCommandAt], VERSION_CFM);
    EXPECT_TRUE(readNow().empty());
}

TEST_F(PacedLineTest, AnswerBytesLeaveAtTheLineRate)
{
    sim::SimulatedUnit reference;
    const Bytes expected = stuffed(reference.feed(versionReq).at(0));
    const std::size_t n = expected.size();
    const Clock::duration arrived = tt(versionReq.size());

    send(versionReq);
    at(arrived - 1ns);
    EXPECT_TRUE(readNow().empty());
    EXPECT_EQ(line.pendingBytes(), 0u); // the request is still on its way
    at(arrived);
    EXPECT_TRUE(readNow().empty());
    EXPECT_EQ(line.pendingBytes(), n);
    at(arrived + tt(1) - 1ns);
    EXPECT_TRUE(readNow().empty());
    at(arrived + tt(1));
    Bytes got = readNow();
    EXPECT_EQ(got, Bytes{0xC0});
    at(arrived + tt(10));
    EXPECT_EQ(readNow().size(), 9u);
    at(arrived + tt(n) - 1ns);
    const Bytes middle = readNow();
    EXPECT_EQ(middle.size(), n - 11);
    at(arrived + tt(n));
    const Bytes last = readNow();
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0], 0xC0);
    EXPECT_EQ(line.pendingBytes(), 0u);
}

TEST_F(PacedLineTest, ManyAnswersLeaveBackToBack)
{
    unit->setInputPattern(false);
    const Bytes req = request(1, CHANNEL_STATUS_REQ, 5, {0xFF});
    send(req);
    at(tt(req.size()));
    EXPECT_TRUE(readNow().empty());
    const std::size_t n = line.pendingBytes();
    EXPECT_GE(n, 34u * 12u);

    at(tt(req.size()) + tt(n) - 1ns);
    Bytes all = readNow();
    EXPECT_EQ(all.size(), n - 1);
    at(tt(req.size()) + tt(n));
    const Bytes last = readNow();
    all.insert(all.end(), last.begin(), last.end());
    const auto got = frames(all);
    ASSERT_EQ(got.size(), 34u);
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i][4], i + 1);
}

TEST_F(PacedLineTest, RequestsQueueOnTheirWayIn)
{
    sim::SimulatedUnit reference;
    const std::size_t versionBytes = stuffed(reference.feed(versionReq).at(0)).size();
    send(versionReq);
    send(request(1, STATISTICS_REQ, 4));
    // The second request follows the first over the line.
    at(tt(12) - 1ns);
    line.untilNextEvent();
    EXPECT_EQ(line.pendingBytes(), versionBytes);
    at(tt(12));
    line.untilNextEvent();
    EXPECT_EQ(line.pendingBytes(), versionBytes + 10u); // STATISTICS_CFM: 8 bytes + 2 ends
}

TEST_F(LineTest, UnitTimeFollowsTheLineClock)
{
    at(300s);
    send(versionReq);
    const auto got = frames(readNow());
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0][17], 0x00);
    EXPECT_EQ(got[0][18], 0x01);
    EXPECT_EQ(got[0][19], 0x2C);
    EXPECT_EQ(unit->upTimeMs(), 300'000u);
}

TEST_F(LineTest, DropNextAnswers)
{
    line.dropNextAnswers(1);
    send(versionReq);
    send(versionReq);
    EXPECT_EQ(frames(readAll()).size(), 1u);

    // Each of the 34 channel answers is a frame of its own.
    line.dropNextAnswers(2);
    send(request(1, CHANNEL_STATUS_REQ, 5, {0xFF}));
    const auto got = frames(readAll());
    ASSERT_EQ(got.size(), 32u);
    EXPECT_EQ(got.front()[4], 3);
}

TEST_F(LineTest, CorruptNextAnswer)
{
    line.corruptNextAnswer();
    send(versionReq);
    send(versionReq);
    auto got = frames(readAll());
    ASSERT_EQ(got.size(), 2u);
    EXPECT_FALSE(IsValidFrame(got[0].data(), got[0].size()));
    got[0][0] ^= 0xFF;
    EXPECT_TRUE(IsValidFrame(got[0].data(), got[0].size()));
    EXPECT_EQ(got[0], got[1]);
}

TEST_F(LineTest, DelayNextAnswer)
{
    line.delayNextAnswer(50ms);
    send(versionReq);
    send(request(1, STATISTICS_REQ, 4));
    EXPECT_TRUE(readNow().empty());
    at(50ms - 1ns);
    EXPECT_TRUE(readNow().empty());
    at(50ms);
    const auto got = frames(readNow());
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0][FrameCommandAt], VERSION_CFM);
    EXPECT_EQ(got[1][FrameCommandAt], STATISTICS_CFM);
}

// Faults aimed at one kind of answer: the 34 channel answers to one status
// request, with channel 5 (or any channel) picked out.
TEST_F(LineTest, AnswerFaults)
{
    using Fault = SimLine::AnswerFault;
    const struct
    {
        const char *what;
        Fault fault;
        std::optional<std::uint8_t> record;
        int count;
        std::size_t frames;     // of the first request's answers
        std::size_t validOnes;  // of those, with a good checksum
        std::size_t secondTime; // answers to the same request sent again
    } cases[] = {
        {"drop channel 5 once", Fault::Drop, 5, 1, 33, 33, 34},
        {"drop channel 5 for good", Fault::Drop, 5, -1, 33, 33, 33},
        {"drop every channel once", Fault::Drop, std::nullopt, 1, 33, 33, 34},
        {"repeat channel 5", Fault::Repeat, 5, 1, 35, 35, 34},
        {"repeat two answers", Fault::Repeat, std::nullopt, 2, 36, 36, 34},
        {"bad-frame report for channel 5", Fault::SerialError, 5, 1, 34, 34, 34},
        {"corrupt channel 5", Fault::Corrupt, 5, 1, 34, 33, 34},
        {"silent from channel 5 on", Fault::Silence, 5, 1, 4, 4, 0},
        {"no such record", Fault::Drop, 99, 1, 34, 34, 34},
    };
    const Bytes statusAll = request(1, CHANNEL_STATUS_REQ, 5, {0xFF});
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        line.clearAnswerFaults();
        line.faultAnswers(c.fault, {CHANNEL_STATUS_CFM, c.record}, c.count);
        send(statusAll);
        const auto got = frames(readAll());
        ASSERT_EQ(got.size(), c.frames);
        std::size_t valid = 0;
        for (const Bytes &f : got)
            valid += IsValidFrame(f.data(), f.size()) ? 1 : 0;
        EXPECT_EQ(valid, c.validOnes);
        if (c.fault == Fault::SerialError) {
            EXPECT_EQ(got[4], frames(request(0, SERIAL_ERROR_IND, 4))[0]);
            EXPECT_EQ(got[5][4], 6);
        }
        if (c.fault == Fault::Repeat && c.record) {
            EXPECT_EQ(got[4], got[5]);
        }
        if (c.fault == Fault::Corrupt) {
            EXPECT_FALSE(IsValidFrame(got[4].data(), got[4].size()));
        }
        send(statusAll);
        EXPECT_EQ(frames(readAll()).size(), c.secondTime);
    }
    // A renumbered answer is a valid frame with the other number.
    line.clearAnswerFaults();
    line.renumberAnswers({CHANNEL_STATUS_CFM, 5}, 40);
    send(statusAll);
    const auto renumbered = frames(readAll());
    ASSERT_EQ(renumbered.size(), 34u);
    EXPECT_EQ(renumbered[4][4], 40);
    EXPECT_TRUE(IsValidFrame(renumbered[4].data(), renumbered[4].size()));

    // Other answers pass untouched.
    line.clearAnswerFaults();
    line.faultAnswers(Fault::Drop, {CHANNEL_STATUS_CFM, std::nullopt}, -1);
    send(versionReq);
    EXPECT_EQ(frames(readAll()).size(), 1u);
}

TEST_F(LineTest, SplitReads)
{
    line.setMaxBytesPerRead(5);
    send(request(1, CHANNEL_STATUS_REQ, 5, {0xFF}));
    Bytes all;
    int reads = 0;
    for (Bytes b = readNow(); !b.empty(); b = readNow(), ++reads) {
        EXPECT_LE(b.size(), 5u);
        all.insert(all.end(), b.begin(), b.end());
    }
    EXPECT_GE(reads, 34 * 12 / 5);
    EXPECT_EQ(frames(all).size(), 34u);
}

TEST_F(LineTest, InjectedBytesArriveUnasked)
{
    const Bytes monitor = stuffed({0x00, 9, 1, CAN_MONITOR_IND, 0x34, 0x12, 2, 0xC0, 0xDB});
    line.inject(monitor);
    EXPECT_EQ(readNow(), monitor);
}

TEST_F(LineTest, UnplugAndReplug)
{
    send(versionReq);
    send(Bytes(versionReq.begin(), versionReq.begin() + 3)); // a frame cut off by the plug
    line.untilNextEvent();
    EXPECT_GT(line.pendingBytes(), 0u);

    line.unplug();
    EXPECT_FALSE(line.plugged());
    Bytes buffer(64);
    std::size_t got = 0;
    EXPECT_FALSE(line.read(session, buffer, 0ns, got));
    EXPECT_FALSE(line.write(session, versionReq));
    EXPECT_FALSE(line.openSession());
    EXPECT_EQ(line.pendingBytes(), 0u);

    line.replug();
    EXPECT_FALSE(line.sessionAlive(session)); // the old handle stays dead
    EXPECT_FALSE(line.read(session, buffer, 0ns, got));
    const auto fresh = line.openSession();
    ASSERT_TRUE(fresh);
    session = *fresh;
    // The cut-off bytes are gone: the next frame is not glued to them.
    send(request(1, STATISTICS_REQ, 4));
    const auto answers = frames(readAll());
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0][FrameCommandAt], STATISTICS_CFM);
}

// A clock whose waits end at once at the time waited for: a blocking read
// runs its whole course in virtual time.
class JumpClock : public Clock
{
public:
    duration now() const override { return now_; }
    bool waitUntil(std::unique_lock<std::mutex> &, std::condition_variable &,
                   duration deadline) const override
    {
        now_ = std::max(now_, deadline);
        ++waits;
        return true;
    }
    mutable int waits = 0;

private:
    mutable duration now_{};
};

// How a blocking read ends: at its time-out with nothing, or once the bytes
// on their way have come and the line has been quiet for the gap after them,
// or when the buffer is full; never at the first byte of a frame. A read that
// starts after a pause takes what came meanwhile at the pause's end. The
// reader wakes where the read ends and where a request arrives, not at the
// pause's end or at every byte. A cut raised in the pause ends the read at
// the end of the part that may be cut, with nothing taken.
TEST(LineReads, EndWhenTheLineFallsQuiet)
{
    constexpr Clock::duration quiet = 900us;
    sim::SimulatedUnit reference;
    const Bytes versionReq = request(1, VERSION_REQ, 4);
    const std::size_t answer = stuffed(reference.feed(versionReq).at(0)).size();
    const Bytes statisticsReq = request(1, STATISTICS_REQ, 4);
    const std::size_t answer2 = stuffed(reference.feed(statisticsReq).at(0)).size();
    const Clock::duration arrived = tt(versionReq.size());
    struct Case
    {
        const char *name;
        std::vector<Bytes> requests;
        Bytes injected;
        std::size_t buffer;
        Clock::duration timeout;
        std::size_t got;
        Clock::duration endsAt;
        Clock::duration startAfter;
        int waits;          // wake-ups of the reader
        std::size_t unread; // the unit's bytes left for the next read
        Clock::duration cutWithin = {};
        bool cut = false; // raised before the read
    };
    const Clock::duration midAnswer = arrived + tt(2);
    const Case cases[] = {
        {"nothing comes", {}, {}, 4096, 5ms, 0, 5ms, 0ms, 1, 0},
        {"a whole answer", {versionReq}, {}, 4096, 50ms, answer, arrived + tt(answer) + quiet, 0ms,
         2, 0},
        {"answers back to back", {versionReq, statisticsReq}, {}, 4096, 50ms, answer + answer2,
         arrived + tt(answer) + tt(answer2) + quiet, 0ms, 3, 0},
        {"the time-out cuts an answer", {versionReq}, {}, 4096, 5ms,
         std::size_t((5ms - arrived) / tt(1)), 5ms, 0ms, 2,
         answer - std::size_t((5ms - arrived) / tt(1))},
        {"a full buffer", {versionReq}, {}, 5, 50ms, 5, arrived + tt(5), 0ms, 2, answer - 5},
        {"a lone byte", {}, {0x21}, 4096, 5ms, 1, tt(1) + quiet, 0ms, 1, 0},
        {"nothing comes after a pause", {}, {}, 4096, 5ms, 0, 15ms, 10ms, 1, 0},
        {"an answer that came during the pause", {versionReq}, {}, 4096, 5ms, answer, 50ms, 50ms,
         1, 0},
        {"an answer still coming when the pause ends", {versionReq}, {}, 4096, 50ms, answer,
         arrived + tt(answer) + quiet, midAnswer, 1, 0},
        {"a buffer filled during the pause", {versionReq}, {}, 5, 5ms, 5, 50ms, 50ms, 1,
         answer - 5},
        {"the time-out cuts an answer after a pause", {versionReq}, {}, 4096, 1ms,
         std::size_t((tt(2) + 1ms) / tt(1)), midAnswer + 1ms, midAnswer, 1,
         answer - std::size_t((tt(2) + 1ms) / tt(1))},
        {"a cut pause ends where it may be cut, the answer left for the next read", {versionReq},
         {}, 4096, 5ms, 0, 5ms, 15ms, 1, answer, 5ms, true},
        {"a pause that may not be cut drops the cut", {}, {}, 4096, 5ms, 0, 15ms, 10ms, 1, 0, 0ms,
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto unit = std::make_shared<sim::SimulatedUnit>();
        auto clock = std::make_shared<JumpClock>();
        SimLine line(unit, clock, true);
        const std::uint64_t session = *line.openSession();
        for (const Bytes &r : c.requests)
            ASSERT_TRUE(line.write(session, r));
        if (!c.injected.empty())
            line.inject(c.injected);
        Bytes buffer(c.buffer);
        std::size_t got = 0;
        std::atomic<bool> cut{c.cut};
        ASSERT_TRUE(
            line.read(session, buffer, c.timeout, got, quiet, c.startAfter, {c.cutWithin, &cut}));
        EXPECT_EQ(got, c.got);
        EXPECT_EQ(clock->now(), c.endsAt);
        EXPECT_EQ(clock->waits, c.waits);
        Bytes rest(4096);
        ASSERT_TRUE(line.read(session, rest, 100ms, got, quiet));
        EXPECT_EQ(got, c.unread);
        EXPECT_FALSE(cut) << "the read takes the cut, used or not";
    }
}

// A reader on the real clock blocks for bytes; another thread's request
// wakes it and the answer arrives.
TEST(LineThreads, BlockingReaderGetsTheAnswer)
{
    auto unit = std::make_shared<sim::SimulatedUnit>();
    SimLine line(unit, std::make_shared<sim::SteadyClock>(), true);
    const std::uint64_t session = *line.openSession();

    std::vector<Bytes> got;
    std::thread reader([&] {
        Bytes stream;
        Bytes buffer(4096);
        // Bounded: 2000 reads of at most 5 ms each.
        for (int i = 0; i < 2000 && got.empty(); ++i) {
            std::size_t n = 0;
            if (!line.read(session, buffer, 5ms, n))
                return;
            stream.insert(stream.end(), buffer.begin(), buffer.begin() + std::ptrdiff_t(n));
            got = frames(stream);
        }
    });
    EXPECT_TRUE(line.write(session, request(1, VERSION_REQ, 4)));
    reader.join();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0][FrameCommandAt], VERSION_CFM);
}

// Without the wake-up the read would wait out its ten minutes and the test
// would hang instead of failing quietly. An unplug fails the read; a cut of
// its pause ends it with nothing, once the part that may be cut is over.
TEST(LineThreads, UnplugOrACutWakesABlockedReader)
{
    struct Case
    {
        const char *name;
        bool unplug;
        bool result;
    };
    const Case cases[] = {{"unplugged", true, false}, {"its pause cut", false, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto unit = std::make_shared<sim::SimulatedUnit>();
        SimLine line(unit, std::make_shared<sim::SteadyClock>(), true);
        const std::uint64_t session = *line.openSession();
        std::atomic<bool> cut{false};
        bool result = !c.result;
        std::size_t n = 1;
        std::thread reader([&] {
            Bytes buffer(16);
            result = line.read(session, buffer, 10min, n, {}, 10min, {2ms, &cut});
        });
        if (c.unplug) {
            line.unplug();
        } else {
            cut = true;
            line.wakeReader();
        }
        reader.join();
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(n, 0u);
    }
}
