#include "sim/SimClock.h"

namespace sim {

Clock::duration SteadyClock::now() const
{
    return std::chrono::duration_cast<duration>(std::chrono::steady_clock::now() - start_);
}

bool SteadyClock::waitUntil(std::unique_lock<std::mutex> &lock, std::condition_variable &cv,
                            duration deadline) const
{
    cv.wait_until(lock, start_ + deadline);
    return true;
}

} // namespace sim
