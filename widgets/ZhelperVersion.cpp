#include "widgets/ZhelperVersion.h"

namespace Zhelper {

namespace {

int g_unitCount = 0;
WTypes g_kind = z_Windows;
std::uint32_t g_major = 0;
std::uint32_t g_minor = 0;
std::uint32_t g_build = 0;
win::OSVERSIONINFOA g_info;

} // namespace

void initialization()
{
    initialization(&win::GetVersionExA);
}

void initialization(const TVersionSource &source)
{
    if (g_unitCount++ != 0)
        return;
    g_info.dwOSVersionInfoSize = sizeof(win::OSVERSIONINFOA);
    // A failed query would leave a zeroed record whose platform 0 reads as
    // Win32s; the start values say less that is wrong.
    if (!source(g_info))
        return;
    switch (g_info.dwPlatformId) {
    case win::VER_PLATFORM_WIN32s:
        g_kind = z_Win32S;
        break;
    case win::VER_PLATFORM_WIN32_WINDOWS:
        g_kind = z_95;
        break;
    case win::VER_PLATFORM_WIN32_NT:
        g_kind = z_NT;
        break;
    default:
        break;
    }
    g_major = g_info.dwMajorVersion;
    g_minor = g_info.dwMinorVersion;
    g_build = g_info.dwBuildNumber & 0xFFFFu;
}

void Finalization()
{
    if (g_unitCount > 0)
        --g_unitCount;
}

WTypes WindowsType()
{
    return g_kind;
}

std::uint32_t MajorVersion()
{
    return g_major;
}

std::uint32_t MinorVersion()
{
    return g_minor;
}

std::uint32_t BuildVersion()
{
    return g_build;
}

bool IsWorkgroup()
{
    return false;
}

bool Is311()
{
    return false;
}

} // namespace Zhelper
