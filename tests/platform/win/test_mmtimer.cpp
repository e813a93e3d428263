// The multimedia timer layer: limits and killing a timer from its own tick.
#include "platform/win/MMTimer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

void noop(std::uint32_t, std::uint32_t, std::uintptr_t, std::uintptr_t, std::uintptr_t) {}

TEST(MMTimerLayer, RefusesDelaysOutsideItsRange)
{
    EXPECT_EQ(win::timeSetEvent(0, 10, &noop, 0, win::TIME_PERIODIC), 0u);
    EXPECT_EQ(win::timeSetEvent(win::TIME_MAXPERIOD + 1, 10, &noop, 0, win::TIME_PERIODIC), 0u);
    EXPECT_EQ(win::timeSetEvent(100, 10, nullptr, 0, win::TIME_PERIODIC), 0u);
    EXPECT_EQ(win::timeKillEvent(0), win::MMSYSERR_INVALPARAM);
    const auto id = win::timeSetEvent(win::TIME_MAXPERIOD, 10, &noop, 0, win::TIME_PERIODIC);
    ASSERT_NE(id, 0u);
    EXPECT_EQ(win::timeKillEvent(id), win::TIMERR_NOERROR);
    EXPECT_EQ(win::timeKillEvent(id), win::MMSYSERR_INVALPARAM);
}

struct SelfKill
{
    std::atomic<std::uint32_t> id{0};
    std::atomic<int> calls{0};
    std::atomic<std::uint32_t> killResult{99};
};

void killSelf(std::uint32_t id, std::uint32_t, std::uintptr_t user, std::uintptr_t, std::uintptr_t)
{
    auto *s = reinterpret_cast<SelfKill *>(user);
    s->calls.fetch_add(1);
    s->killResult.store(win::timeKillEvent(id));
}

TEST(MMTimerLayer, ATickKillsItsOwnTimerWithoutWaitingForItself)
{
    SelfKill s;
    s.id = win::timeSetEvent(1, 1, &killSelf, reinterpret_cast<std::uintptr_t>(&s),
                             win::TIME_PERIODIC);
    ASSERT_NE(s.id.load(), 0u);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (s.killResult.load() == 99 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    EXPECT_EQ(s.killResult.load(), win::TIMERR_NOERROR);
    // Killed already, so this kill finds nothing; the tick ran exactly once.
    EXPECT_EQ(win::timeKillEvent(s.id), win::MMSYSERR_INVALPARAM);
    EXPECT_EQ(s.calls.load(), 1);
}

} // namespace
