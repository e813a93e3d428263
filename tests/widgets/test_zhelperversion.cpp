// The operating-system version, read once at start-up.
#include "widgets/ZhelperVersion.h"

#include <gtest/gtest.h>

namespace {

// Each test program starts the unit once; a second start-up does nothing.
TEST(ZhelperVersion, NtRecordOnceAndBuildCut)
{
    Zhelper::initialization([](win::OSVERSIONINFOA &info) {
        EXPECT_EQ(info.dwOSVersionInfoSize, 148u);
        info.dwPlatformId = win::VER_PLATFORM_WIN32_NT;
        info.dwMajorVersion = 5;
        info.dwMinorVersion = 1;
        info.dwBuildNumber = 0x0A280A28; // the high word is not the build
        return true;
    });
    Zhelper::initialization([](win::OSVERSIONINFOA &info) {
        info.dwPlatformId = win::VER_PLATFORM_WIN32_WINDOWS;
        return true;
    });
    EXPECT_EQ(Zhelper::WindowsType(), z_NT);
    EXPECT_EQ(Zhelper::MajorVersion(), 5u);
    EXPECT_EQ(Zhelper::MinorVersion(), 1u);
    EXPECT_EQ(Zhelper::BuildVersion(), 0x0A28u);
    EXPECT_FALSE(Zhelper::IsWorkgroup());
    EXPECT_FALSE(Zhelper::Is311());
    Zhelper::Finalization();
    Zhelper::Finalization();
}

TEST(ZhelperVersion, LinuxGivesNoWindowsVersion)
{
    win::OSVERSIONINFOA info;
    info.dwMajorVersion = 9;
    EXPECT_FALSE(win::GetVersionExA(info));
    EXPECT_EQ(info.dwMajorVersion, 9u);
}

} // namespace
