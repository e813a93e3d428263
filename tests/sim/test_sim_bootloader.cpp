// The simulated unit's bootloader: the start handshake, blocks checked by
// their sum and written to program memory, the end marker.
#include "sim/SimulatedUnit.h"

#include "sim/SimClock.h"
#include "sim/SimLine.h"

#include "link/DeviceCommands.h"
#include "tests/sim/sim_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include <memory>
#include <vector>

namespace {

using simtest::Bytes;

Bytes Block(std::uint8_t high, std::uint8_t middle, std::uint8_t fill, int sumError = 0)
{
    // Sized at once: GCC 12 sees a false array bound in growing a two-byte vector.
    Bytes b(2 + 256 + 1, fill);
    b[0] = high;
    b[1] = middle;
    b.back() = static_cast<std::uint8_t>(fill * 256 + sumError); // 256 x fill wraps to 0
    return b;
}

TEST(SimBootloader, Exchanges)
{
    struct Case
    {
        const char *what;
        std::vector<Bytes> sent;
        Bytes answered;        // the raw bytes after the announcement
        std::uint32_t address; // a byte the download leaves behind
        std::uint8_t value;
        sim::BootloaderState::Phase phase;
    } const cases[] = {
        {"page written, end marker",
         {{'<'}, Block(0x01, 0x02, 0x5A), {0xFF, 0xFF}},
         {'D', 'T', '!', '!'},
         0x10200 + 17,
         0x5A,
         sim::BootloaderState::Phase::Application},
        {"bad sum rejected",
         {{'<'}, Block(0x00, 0x00, 0x33, 1)},
         {'D', 'T', '!', '@'},
         0x0000,
         sim::ProgramMemory::builtIn().at(0),
         sim::BootloaderState::Phase::Failed},
        {"page above the memory rejected",
         {{'<'}, Block(0x02, 0x00, 0x00)},
         {'D', 'T', '!', '@'},
         0,
         sim::ProgramMemory::builtIn().at(0),
         sim::BootloaderState::Phase::Failed},
        {"no answer: the application runs",
         {},
         {},
         0,
         sim::ProgramMemory::builtIn().at(0),
         sim::BootloaderState::Phase::Application},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::SimulatedUnit unit;
        EXPECT_EQ(unit.restart(), Bytes{'>'});
        Bytes raw;
        for (const Bytes &chunk : c.sent) {
            EXPECT_TRUE(unit.feed(chunk).empty());
            const Bytes out = unit.takeRawOutput();
            raw.insert(raw.end(), out.begin(), out.end());
        }
        if (c.sent.empty()) {
            // Frames wait for the application, which starts when no '<' came.
            const auto version =
                simtest::request(devlink::NodeApplication, devlink::VERSION_REQ, 4);
            EXPECT_TRUE(unit.feed(version).empty());
            unit.advance(sim::BootloaderState::AnnounceTimeout);
            EXPECT_EQ(unit.feed(version).size(), 1u);
        }
        EXPECT_EQ(raw, c.answered);
        EXPECT_EQ(unit.programMemory().at(c.address), c.value);
        EXPECT_EQ(unit.bootloader().phase, c.phase);
        // A rejected block is kept as it came, for the unit's program to tell.
        const bool rejected = c.answered.size() == 4 && c.answered.back() == '@';
        EXPECT_EQ(unit.bootloader().rejected, rejected ? c.sent.at(1) : Bytes{});
    }
}

// The line bends the bootloader's '!': the n-th one or every one is lost
// or goes out twice, back to back or late, as the unit's program offers
// them. Paced or not, a block is answered no sooner than its time on the
// line after its first byte.
TEST(SimBootloader, ReadyFaultsOnTheLine)
{
    using Fault = sim::SimLine::BootByteFault;
    using std::chrono::milliseconds;
    const auto blockTime = sim::SimLine::transferTime(sim::BootloaderState::BlockSize);
    struct Case
    {
        const char *what;
        struct Bend
        {
            Fault fault;
            int skip, count;
            milliseconds late{0};
        };
        std::vector<Bend> bends; // in the order given
        Bytes answered;          // after the announcement, for two pages
        int bent;
        Bytes later{}; // what comes 30 ms after the second block's answer
    } const cases[] = {
        {"second lost", {{Fault::Drop, 1, 1}}, {'D', 'T', '!', '!'}, 1},
        {"every one lost", {{Fault::Drop, 0, -1}}, {'D', 'T'}, 3},
        {"third twice", {{Fault::Repeat, 2, 1}}, {'D', 'T', '!', '!', '!', '!'}, 1},
        {"every one twice", {{Fault::Repeat, 0, -1}}, {'D', 'T', '!', '!', '!', '!', '!', '!'}, 3},
        {"none of them", {{Fault::Drop, 5, 1}}, {'D', 'T', '!', '!', '!'}, 0},
        // Each fault counts from the start, whatever the one before it did.
        {"every one twice but the third lost",
         {{Fault::Repeat, 0, -1}, {Fault::Drop, 2, 1}},
         {'D', 'T', '!', '!', '!', '!'},
         3},
        {"third again 20 ms late",
         {{Fault::Repeat, 2, 1, milliseconds(20)}},
         {'D', 'T', '!', '!', '!'},
         1,
         {'!'}},
        {"second again 20 ms late: before the next block's answer",
         {{Fault::Repeat, 1, 1, milliseconds(20)}},
         {'D', 'T', '!', '!', '!', '!'},
         1},
    };
    for (const bool pacing : {false, true}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(c.what);
            SCOPED_TRACE(pacing ? "paced" : "unpaced");
            auto unit = std::make_shared<sim::SimulatedUnit>();
            auto clock = std::make_shared<sim::ManualClock>();
            sim::SimLine line(unit, clock, pacing);
            const std::uint64_t session = line.openSession().value_or(0);
            for (const Case::Bend &b : c.bends)
                line.faultBootBytes(b.fault, '!', b.skip, b.count, b.late);
            line.restartUnit();
            Bytes raw;
            const auto take = [&] {
                Bytes buffer(1024);
                std::size_t got = 0;
                ASSERT_TRUE(line.read(session, buffer, sim::Clock::duration::zero(), got));
                raw.insert(raw.end(), buffer.begin(),
                           buffer.begin() + static_cast<std::ptrdiff_t>(got));
            };
            clock->advance(milliseconds(1));
            take();
            ASSERT_EQ(raw, Bytes{'>'});
            raw.clear();
            for (const Bytes &chunk : {Bytes{'<'}, Block(0, 0, 1), Block(0, 1, 2)}) {
                ASSERT_TRUE(line.write(session, chunk));
                if (chunk.size() > 1) {
                    // Just short of the block's time on the line: no answer
                    // yet (a late copy of the one before may come meanwhile).
                    const auto before = std::count(raw.begin(), raw.end(), '!');
                    clock->advance(blockTime - std::chrono::microseconds(50));
                    take();
                    const bool late = std::any_of(c.bends.begin(), c.bends.end(),
                                                  [](const auto &b) { return b.late.count(); });
                    if (!late) {
                        EXPECT_EQ(std::count(raw.begin(), raw.end(), '!'), before);
                    }
                    clock->advance(std::chrono::microseconds(50));
                }
                clock->advance(milliseconds(5));
                take();
            }
            EXPECT_EQ(raw, c.answered);
            raw.clear();
            clock->advance(milliseconds(30));
            take();
            EXPECT_EQ(raw, c.later);
            EXPECT_EQ(line.faultedBootBytes(), c.bent);
            EXPECT_EQ(unit->bootloader().pagesWritten, 2u);
        }
    }
}

// A block bent on its way is answered '@' as any bad block is, after each
// restart; the ones before it are written.
TEST(SimBootloader, BentBlockIsRejected)
{
    auto unit = std::make_shared<sim::SimulatedUnit>();
    auto clock = std::make_shared<sim::ManualClock>();
    sim::SimLine line(unit, clock, false);
    const std::uint64_t session = line.openSession().value_or(0);
    unit->setProgramMemory(sim::ProgramMemory{});
    unit->bendBootBlock(2);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        line.restartUnit();
        Bytes raw;
        for (const Bytes &chunk : {Bytes{'<'}, Block(0, 0, 1), Block(0, 1, 2), Block(0, 2, 3)}) {
            ASSERT_TRUE(line.write(session, chunk));
            clock->advance(std::chrono::milliseconds(80));
            Bytes buffer(1024);
            std::size_t got = 0;
            ASSERT_TRUE(line.read(session, buffer, sim::Clock::duration::zero(), got));
            raw.insert(raw.end(), buffer.begin(),
                       buffer.begin() + static_cast<std::ptrdiff_t>(got));
        }
        EXPECT_EQ(raw, (Bytes{'>', 'D', 'T', '!', '!', '@'}));
        const sim::BootloaderState boot = unit->bootloader();
        EXPECT_EQ(boot.pagesWritten, 1u);
        EXPECT_EQ(boot.blocksRejected, 1u);
        EXPECT_EQ(boot.phase, sim::BootloaderState::Phase::Failed);
        EXPECT_EQ(unit->programMemory().at(0x0000), 1);
        EXPECT_EQ(unit->programMemory().at(0x0100), 0xFF);
    }
}

} // namespace
