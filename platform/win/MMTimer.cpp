#include "platform/win/MMTimer.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace win {

namespace {

using Clock = std::chrono::steady_clock;

class TimerQueue
{
public:
    ~TimerQueue()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

    std::uint32_t add(std::uint32_t delay, LPTIMECALLBACK callback, std::uintptr_t user,
                      bool periodic)
    {
        std::lock_guard lock(m_mutex);
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
        std::uint32_t id = m_nextId;
        while (id == 0 || m_timers.count(id) != 0)
            ++id;
        m_nextId = id + 1;
        const auto period = std::chrono::milliseconds(delay);
        m_timers.emplace(id, Entry{Clock::now() + period, period, callback, user, periodic});
        m_wake.notify_all();
        return id;
    }

    std::uint32_t kill(std::uint32_t id)
    {
        std::unique_lock lock(m_mutex);
        if (m_timers.erase(id) == 0 && m_running != id)
            return MMSYSERR_INVALPARAM;
        if (m_running == id) {
            // A one-shot timer is already out of the map while it runs.
            if (std::this_thread::get_id() != m_thread.get_id())
                m_finished.wait(lock, [&] { return m_running != id; });
        }
        m_wake.notify_all();
        return TIMERR_NOERROR;
    }

private:
    struct Entry
    {
        Clock::time_point due;
        Clock::duration period;
        LPTIMECALLBACK callback;
        std::uintptr_t user;
        bool periodic;
    };

    void run()
    {
        std::unique_lock lock(m_mutex);
        while (!m_stop) {
            if (m_timers.empty()) {
                m_wake.wait(lock);
                continue;
            }
            auto next = m_timers.begin();
            for (auto it = m_timers.begin(); it != m_timers.end(); ++it)
                if (it->second.due < next->second.due)
                    next = it;
            const auto now = Clock::now();
            if (now < next->second.due) {
                // A copy: the entry may be killed while this thread waits.
                const Clock::time_point due = next->second.due;
                m_wake.wait_until(lock, due);
                continue;
            }
            const std::uint32_t id = next->first;
            const Entry entry = next->second;
            if (entry.periodic) {
                next->second.due += entry.period;
                // After a long stall the timer resumes its rate instead of
                // firing a burst of late ticks.
                if (next->second.due < now)
                    next->second.due = now + entry.period;
            } else {
                m_timers.erase(next);
            }
            m_running = id;
            lock.unlock();
            entry.callback(id, 0, entry.user, 0, 0);
            lock.lock();
            m_running = 0;
            m_finished.notify_all();
        }
    }

    std::mutex m_mutex; // guards everything below but m_thread's start
    std::condition_variable m_wake;
    std::condition_variable m_finished;
    std::map<std::uint32_t, Entry> m_timers;
    std::uint32_t m_nextId = 1;
    std::uint32_t m_running = 0; // the timer whose callback runs now
    bool m_stop = false;
    std::thread m_thread;
};

TimerQueue &queue()
{
    static TimerQueue instance;
    return instance;
}

} // namespace

std::uint32_t timeSetEvent(std::uint32_t delay, std::uint32_t resolution, LPTIMECALLBACK callback,
                           std::uintptr_t user, std::uint32_t flags)
{
    (void)resolution;
    if (delay < TIME_MINPERIOD || delay > TIME_MAXPERIOD || callback == nullptr)
        return 0;
    return queue().add(delay, callback, user, (flags & TIME_PERIODIC) != 0);
}

std::uint32_t timeKillEvent(std::uint32_t id)
{
    if (id == 0)
        return MMSYSERR_INVALPARAM;
    return queue().kill(id);
}

} // namespace win
