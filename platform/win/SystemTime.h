// System services the tool needs from the window system's run-time.
// All functions may be called from any thread.
#pragma once

#include <cstdint>

namespace win {

// Milliseconds since the system started (wraps after 49.7 days).
std::uint32_t timeGetTime();

// Suspends the calling thread.
void Sleep(std::uint32_t milliseconds);

} // namespace win
