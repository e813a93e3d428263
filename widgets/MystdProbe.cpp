#include "widgets/MystdProbe.h"

#include "widgets/MystdHintSettings.h"

#include <cmath>
#include <limits>

namespace Mystd {

namespace {

int g_unitCount = 0;
TProcessorProbe g_probe;
// The services of the start-up's probe, for the readings that query again.
TProcessorServices g_services;

std::uint32_t bits(std::uint32_t value, int first, int count)
{
    return (value >> first) & ((1u << count) - 1u);
}

void appendRegister(std::string &text, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        text.push_back(static_cast<char>((value >> (8 * i)) & 0xFFu));
}

} // namespace

TProcessorServices TProcessorServices::System()
{
    return {&win::HasCpuid, &win::Cpuid, &win::ReadTimeStampCounter, &win::GetTickCount,
            &win::ProcessorType};
}

std::int32_t MeasureCPUSpeed(const std::function<std::uint32_t()> &getTickCount,
                             const std::function<std::uint64_t()> &readTimeStampCounter)
{
    const std::uint32_t t0 = getTickCount();
    while (getTickCount() == t0) {
    }
    const std::uint64_t start = readTimeStampCounter();
    while (static_cast<std::uint32_t>(getTickCount() - t0) < 1000u) {
    }
    const std::uint64_t end = readTimeStampCounter();
    const long double mhz =
        (static_cast<long double>(end) - static_cast<long double>(start)) / 1000000.0L + 0.66L;
    const long double rounded = std::nearbyint(mhz);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max()))
        return -1;
    return static_cast<std::int32_t>(rounded);
}

int CpuFamily(const TProcessorProbe &probe, std::uint32_t processorType)
{
    if (probe.CpuIdPresent)
        return static_cast<int>(bits(probe.CpuSignature[0], 8, 4));
    const std::string digits = std::to_string(processorType);
    return digits[0] >= '0' && digits[0] <= '9' ? digits[0] - '0' : 0;
}

bool HasCPUID(const TProcessorServices &services)
{
    return services.HasCpuid();
}

std::array<std::uint32_t, 4> ReadCPUIDSignature(const TProcessorServices &services)
{
    win::CpuidResult leaf1;
    services.Cpuid(1, leaf1);
    return {leaf1.eax, leaf1.ebx, leaf1.ecx, leaf1.edx};
}

std::string ReadCPUVendor(const TProcessorServices &services)
{
    win::CpuidResult leaf0;
    services.Cpuid(0, leaf0);
    std::string vendor;
    appendRegister(vendor, leaf0.ebx);
    appendRegister(vendor, leaf0.edx);
    appendRegister(vendor, leaf0.ecx);
    return vendor;
}

TProcessorProbe ProbeProcessor(const TProcessorServices &services)
{
    TProcessorProbe probe;
    probe.CpuIdPresent = HasCPUID(services);
    if (!probe.CpuIdPresent) {
        probe.CpuSignature.fill(0xFFFFFFFFu);
        return probe;
    }
    probe.CpuSignature = ReadCPUIDSignature(services);
    probe.CpuVendorId = ReadCPUVendor(services);
    if (CpuFamily(probe, 0) > 4) {
        try {
            probe.CpuSpeedMHz =
                MeasureCPUSpeed(services.GetTickCount, services.ReadTimeStampCounter);
        } catch (...) {
            probe.CpuSpeedMHz = -1;
        }
    } else {
        probe.CpuSpeedMHz = -1;
    }
    return probe;
}

void initialization()
{
    initialization(TProcessorServices::System());
}

void initialization(const TProcessorServices &services)
{
    if (g_unitCount++ != 0)
        return;
    g_services = services;
    g_probe = ProbeProcessor(services);
    ResetHintSettings();
}

void Finalization()
{
    if (g_unitCount == 0 || --g_unitCount != 0)
        return;
    FreeHintSettings();
}

const TProcessorProbe &Processor()
{
    return g_probe;
}

int CpuID()
{
    return CpuFamily(g_probe, g_services.ProcessorType ? g_services.ProcessorType() : 0);
}

QString TCpuFamilyNames::operator[](int family) const
{
    static const char *const names[] = {"80286", "80386", "80486", "Pentium", "PentiumPro"};
    if (family < 2 || family > 6)
        return {};
    return QString::fromLatin1(names[family - 2]);
}

QString CpuVendor()
{
    if (!g_probe.CpuIdPresent)
        return QStringLiteral("-unknown-");
    return QString::fromLatin1(g_probe.CpuVendorId.data(),
                               static_cast<qsizetype>(g_probe.CpuVendorId.size()));
}

int CpuStepping()
{
    return g_probe.CpuIdPresent ? static_cast<int>(bits(g_probe.CpuSignature[0], 0, 4)) : -1;
}

int CpuModel()
{
    return g_probe.CpuIdPresent ? static_cast<int>(bits(g_probe.CpuSignature[0], 4, 4)) : -1;
}

bool CpuMMX()
{
    if (!g_probe.CpuIdPresent || !g_services.Cpuid)
        return false;
    win::CpuidResult leaf1;
    if (!g_services.Cpuid(1, leaf1))
        return false;
    return (leaf1.edx >> 23) & 1u;
}

std::int32_t CpuSpeed()
{
    return g_probe.CpuSpeedMHz;
}

} // namespace Mystd
