// The Zhelper widget unit's reading of the operating-system version, taken
// once at start-up.
#pragma once

#include "platform/win/OsVersion.h"

#include <cstdint>
#include <functional>

enum WTypes : std::uint8_t { z_Windows = 0, z_WFW = 1, z_Win32S = 2, z_NT = 3, z_95 = 4 };

namespace Zhelper {

using TVersionSource = std::function<bool(win::OSVERSIONINFOA &)>;

// Runs once, however often it is called; later calls do nothing until the
// matching Finalization() calls. The overload takes another source for the
// tests. On Linux the system gives no Windows version, so the values keep
// their start values (z_Windows, 0.0, build 0).
void initialization();
void initialization(const TVersionSource &source);
void Finalization();

// Thread contract: any thread, after start-up (the values never change).
WTypes WindowsType();
std::uint32_t MajorVersion();
std::uint32_t MinorVersion();
std::uint32_t BuildVersion(); // the low 16 bits of the build number
bool IsWorkgroup();           // always false
bool Is311();                 // always false

} // namespace Zhelper
