// The operating-system version record of the window system's run-time.
// May be called from any thread.
#pragma once

#include <cstdint>

namespace win {

constexpr std::uint32_t VER_PLATFORM_WIN32s = 0;
constexpr std::uint32_t VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr std::uint32_t VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFOA
{
    std::uint32_t dwOSVersionInfoSize = 0;
    std::uint32_t dwMajorVersion = 0;
    std::uint32_t dwMinorVersion = 0;
    std::uint32_t dwBuildNumber = 0;
    std::uint32_t dwPlatformId = 0;
    char szCSDVersion[128] = {};
};
static_assert(sizeof(OSVERSIONINFOA) == 148);

// Fills the record; false when the system gives no Windows version, which
// is always so on Linux (the record is then left as it was).
bool GetVersionExA(OSVERSIONINFOA &info);

} // namespace win
