// Multimedia timers: periodic or one-shot callbacks on a timer thread of
// their own, at a fixed rate (deadlines do not drift with the callbacks'
// run time).
//
// Thread contract: any thread may set and kill timers. Every callback runs
// on the one timer thread, so callbacks never overlap. timeKillEvent waits
// for a running callback of that timer to return (unless it is called from
// that callback), so after it returns the callback is never entered again
// and its user value may be freed.
#pragma once

#include <cstdint>

namespace win {

using LPTIMECALLBACK = void (*)(std::uint32_t id, std::uint32_t msg, std::uintptr_t user,
                                std::uintptr_t dw1, std::uintptr_t dw2);

constexpr std::uint32_t TIME_ONESHOT = 0;
constexpr std::uint32_t TIME_PERIODIC = 1;
constexpr std::uint32_t TIMERR_NOERROR = 0;
constexpr std::uint32_t MMSYSERR_INVALPARAM = 11;
// The delays the system accepts, in milliseconds.
constexpr std::uint32_t TIME_MINPERIOD = 1;
constexpr std::uint32_t TIME_MAXPERIOD = 1000000;

// Starts a timer; its id, or 0 for a delay outside TIME_MINPERIOD to
// TIME_MAXPERIOD or no callback. The resolution is only a hint.
std::uint32_t timeSetEvent(std::uint32_t delay, std::uint32_t resolution, LPTIMECALLBACK callback,
                           std::uintptr_t user, std::uint32_t flags);
// Stops a timer: TIMERR_NOERROR, or MMSYSERR_INVALPARAM for an unknown id.
std::uint32_t timeKillEvent(std::uint32_t id);

} // namespace win
