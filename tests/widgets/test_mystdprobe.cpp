// The processor probe against fake instructions and a fake tick count, and
// the shared hint settings.
#include "widgets/MystdHintSettings.h"
#include "widgets/MystdProbe.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// A tick count that advances one millisecond at each reading, and a cycle
// counter that runs `cyclesPerMs` cycles a millisecond.
struct FakeClock
{
    std::uint32_t now = 0;
    std::uint64_t cyclesPerMs = 0;
    int tickReads = 0;
    std::uint64_t elapsedMs = 0; // does not wrap with the tick count

    std::uint32_t tick()
    {
        ++tickReads;
        ++elapsedMs;
        return now++;
    }
    std::uint64_t tsc() const { return elapsedMs * cyclesPerMs; }
};

// A processor answering leaf 0 with the vendor registers and leaf 1 with
// the given signature.
Mystd::TProcessorServices fakeProcessor(FakeClock &clock, bool hasCpuid, std::uint32_t eax,
                                        std::uint32_t edx = 0)
{
    Mystd::TProcessorServices s;
    s.HasCpuid = [hasCpuid] { return hasCpuid; };
    s.Cpuid = [=](std::uint32_t leaf, win::CpuidResult &r) {
        if (!hasCpuid)
            return false;
        if (leaf == 0)
            r = {1, 0x68747541, 0x444D4163, 0x69746E65}; // "AuthenticAMD"
        else
            r = {eax, 0x11, 0x22, edx};
        return true;
    };
    s.ReadTimeStampCounter = [&clock] { return clock.tsc(); };
    s.GetTickCount = [&clock] { return clock.tick(); };
    s.ProcessorType = [] { return 586u; };
    return s;
}

struct SpeedCase
{
    const char *what;
    std::uint32_t startTick;
    std::uint64_t cyclesPerMs;
    std::int32_t mhz;
};

// From the first tick t0 the count starts at the edge t0 + 1 and ends at
// t0 + 1000: 999 ms of cycles, plus 0.66, rounded.
const SpeedCase kSpeedCases[] = {
    {"2 GHz", 1000, 2000000, 1999}, // 1998 + 0.66
    {"wrap during the count", 0xFFFFFF00u, 2000000, 1999},
    {"wrap at the edge", 0xFFFFFFFFu, 3000000, 2998},
    {"slow clock", 5, 1000, 2}, // 0.999 + 0.66
    {"no cycles", 7, 0, 1},
};

class ProbeSpeed : public testing::TestWithParam<SpeedCase>
{
};

TEST_P(ProbeSpeed, CountsCyclesOverTheMeasuredTicks)
{
    FakeClock clock{GetParam().startTick, GetParam().cyclesPerMs};
    const auto mhz =
        Mystd::MeasureCPUSpeed([&] { return clock.tick(); }, [&] { return clock.tsc(); });
    EXPECT_EQ(mhz, GetParam().mhz) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(Fake, ProbeSpeed, testing::ValuesIn(kSpeedCases));

TEST(Probe, ReadsSignatureVendorAndSpeed)
{
    FakeClock clock{0, 2000000};
    // Family 6, model 0xA, stepping 3.
    const auto probe = Mystd::ProbeProcessor(fakeProcessor(clock, true, 0x06A3));
    EXPECT_TRUE(probe.CpuIdPresent);
    EXPECT_EQ(probe.CpuSignature[0], 0x06A3u);
    EXPECT_EQ(probe.CpuSignature[3], 0u);
    EXPECT_EQ(probe.CpuVendorId, "AuthenticAMD");
    EXPECT_EQ(probe.CpuSpeedMHz, 1999);
    EXPECT_EQ(Mystd::CpuFamily(probe, 0), 6);
}

TEST(Probe, FamilyFourIsNotMeasured)
{
    FakeClock clock{0, 2000000};
    const auto probe = Mystd::ProbeProcessor(fakeProcessor(clock, true, 0x0435));
    EXPECT_EQ(probe.CpuSpeedMHz, -1);
    EXPECT_EQ(clock.tickReads, 0);
}

TEST(Probe, WithoutCpuidDegrades)
{
    FakeClock clock{0, 2000000};
    const auto probe = Mystd::ProbeProcessor(fakeProcessor(clock, false, 0));
    EXPECT_FALSE(probe.CpuIdPresent);
    for (auto word : probe.CpuSignature)
        EXPECT_EQ(word, 0xFFFFFFFFu);
    EXPECT_EQ(probe.CpuSpeedMHz, 0);
    EXPECT_TRUE(probe.CpuVendorId.empty());
    EXPECT_EQ(Mystd::CpuFamily(probe, 586), 5);
    EXPECT_EQ(Mystd::CpuFamily(probe, 0), 0);
    EXPECT_EQ(clock.tickReads, 0);
}

TEST(Probe, FamilyNames)
{
    const struct
    {
        int family;
        const char *name;
    } rows[] = {{2, "80286"}, {3, "80386"}, {4, "80486"}, {5, "Pentium"}, {6, "PentiumPro"},
                {1, ""},      {7, ""},      {15, ""},     {-1, ""}};
    for (const auto &r : rows)
        EXPECT_EQ(Mystd::CpuFamilyNames[r.family], QString::fromLatin1(r.name)) << r.family;
}

// Each step of the probe on its own, against the fake processor.
TEST(Probe, StepsReadTheirRegisters)
{
    FakeClock clock;
    const auto present = fakeProcessor(clock, true, 0x06A3, 0x800000);
    EXPECT_TRUE(Mystd::HasCPUID(present));
    EXPECT_FALSE(Mystd::HasCPUID(fakeProcessor(clock, false, 0)));
    const std::array<std::uint32_t, 4> signature{0x06A3, 0x11, 0x22, 0x800000};
    EXPECT_EQ(Mystd::ReadCPUIDSignature(present), signature);
    EXPECT_EQ(Mystd::ReadCPUVendor(present), "AuthenticAMD");
    EXPECT_EQ(clock.tickReads, 0);
}

// The start-up runs its probe once; the readings follow the probe, and the
// hint settings are back at their start values.
TEST(Probe, StartUpRunsOnceAndReadingsFollow)
{
    FakeClock clock{0, 1000000};
    Mystd::HintSettings().PartOfScreen = 7;
    Mystd::initialization(fakeProcessor(clock, true, 0x05C2, 1u << 23));
    EXPECT_EQ(Mystd::HintSettings().PartOfScreen, 2);
    const int reads = clock.tickReads;
    Mystd::initialization(fakeProcessor(clock, false, 0));
    EXPECT_EQ(clock.tickReads, reads);
    EXPECT_EQ(Mystd::CpuID(), 5);
    EXPECT_EQ(Mystd::CpuVendor(), "AuthenticAMD");
    EXPECT_EQ(Mystd::CpuModel(), 0xC);
    EXPECT_EQ(Mystd::CpuStepping(), 2);
    EXPECT_TRUE(Mystd::CpuMMX());
    EXPECT_EQ(Mystd::CpuSpeed(), 1000);
    Mystd::Finalization();
    Mystd::HintSettings().Use3D = false;
    Mystd::Finalization(); // the last one frees the hint settings
    EXPECT_TRUE(Mystd::HintSettings().Use3D);
}

TEST(HintSettings, StartValuesAndReset)
{
    for (void (*reset)() : {&Mystd::ResetHintSettings, &Mystd::FreeHintSettings}) {
        auto &s = Mystd::HintSettings();
        s.HintPosition = hpRightUnder;
        s.OnHintPaint = [](QObject *) {};
        s.Font.Name = "Other";
        s.Font.Style = fsBold;
        reset();
        EXPECT_EQ(s.HintPosition, hpLeftAbove);
        EXPECT_EQ(s.PartOfScreen, 2);
        EXPECT_EQ(s.MoveBeforeOff, 5);
        EXPECT_TRUE(s.MultiLine);
        EXPECT_TRUE(s.Use3D);
        EXPECT_FALSE(s.OnHintPaint);
        EXPECT_FALSE(s.OnHintShow);
        EXPECT_EQ(s.ShadowColor, 0x80000010u);
        EXPECT_EQ(s.HighLightColor, 0x80000014u);
        EXPECT_EQ(s.Font, THintFont{});
        EXPECT_EQ(s.Font.Name, "MS Sans Serif");
        EXPECT_EQ(s.Font.Height, -11);
        EXPECT_EQ(s.Font.Color, 0x80000008u);
        EXPECT_EQ(&Mystd::HintSettings(), &s);
    }
}

} // namespace
