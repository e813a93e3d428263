// Time source of the simulated unit and its serial line, so that tests
// drive time by hand while the program and the tool run on the real clock.
//
// Thread contract: now() and advance() may be called from any thread.
// waitUntil() is called by a thread that holds `lock`; it releases the lock
// while it waits, like std::condition_variable::wait_until.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace sim {

class Clock
{
public:
    using duration = std::chrono::nanoseconds;

    virtual ~Clock() = default;
    // Time since the clock's own start.
    virtual duration now() const = 0;
    // Waits on `cv` until `deadline`, a notification or a spurious wake-up.
    // Returns false when this clock cannot wait (time only moves when a test
    // moves it), and the caller must not loop on it.
    virtual bool waitUntil(std::unique_lock<std::mutex> &lock, std::condition_variable &cv,
                           duration deadline) const = 0;
};

// Monotonic wall time, counted from construction.
class SteadyClock : public Clock
{
public:
    duration now() const override;
    bool waitUntil(std::unique_lock<std::mutex> &lock, std::condition_variable &cv,
                   duration deadline) const override;

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Time that stands still until advance() moves it; never waits.
class ManualClock : public Clock
{
public:
    duration now() const override { return duration(now_.load()); }
    bool waitUntil(std::unique_lock<std::mutex> &, std::condition_variable &,
                   duration) const override
    {
        return false;
    }
    void advance(duration by) { now_ += by.count(); }

private:
    std::atomic<duration::rep> now_{0};
};

} // namespace sim
