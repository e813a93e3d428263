// Start-up and shut-down of the Mystd widget unit: the processor probe read
// once when the program starts, and the shared hint settings.
#pragma once

#include "platform/win/Processor.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace Mystd {

// What the probe reads from the processor and the system; the tests put
// fakes in place of the real instructions and clock.
struct TProcessorServices
{
    std::function<bool()> HasCpuid;
    std::function<bool(std::uint32_t leaf, win::CpuidResult &)> Cpuid;
    std::function<std::uint64_t()> ReadTimeStampCounter;
    std::function<std::uint32_t()> GetTickCount;
    std::function<std::uint32_t()> ProcessorType;

    static TProcessorServices System();
};

// The probe's results.
struct TProcessorProbe
{
    bool CpuIdPresent = false;
    // CPUID leaf 1: EAX (signature), EBX, ECX, EDX; all 0xFFFFFFFF without CPUID.
    std::array<std::uint32_t, 4> CpuSignature{};
    // Leaf 0 vendor text from EBX, EDX, ECX; empty without CPUID.
    std::string CpuVendorId;
    // -1 for family 4 or lower or a failed measurement; 0 without CPUID.
    std::int32_t CpuSpeedMHz = 0;
};

// The steps of the probe. HasCPUID: whether the processor has the CPUID
// instruction. ReadCPUIDSignature: the four registers of CPUID leaf 1 (EAX,
// EBX, ECX, EDX). ReadCPUVendor: the 12 vendor characters of leaf 0 from EBX,
// EDX, ECX, each register low byte first.
bool HasCPUID(const TProcessorServices &services = TProcessorServices::System());
std::array<std::uint32_t, 4>
ReadCPUIDSignature(const TProcessorServices &services = TProcessorServices::System());
std::string ReadCPUVendor(const TProcessorServices &services = TProcessorServices::System());

// Reads the processor; measures its clock (about one second of spinning)
// when the family is above 4.
TProcessorProbe ProbeProcessor(const TProcessorServices &services);
// Counts time-stamp cycles from the next tick edge until 1000 ms after the
// first tick read, and gives them in MHz (plus 0.66, rounded half to even);
// -1 when the result is no clock. The tick difference is taken modulo 2^32,
// so a tick count that wraps during the measurement does no harm.
std::int32_t MeasureCPUSpeed(const std::function<std::uint32_t()> &getTickCount,
                             const std::function<std::uint64_t()> &readTimeStampCounter);
// Family of a probe: signature bits 8-11, or without CPUID the first decimal
// digit of the system's processor type.
int CpuFamily(const TProcessorProbe &probe, std::uint32_t processorType);

// Runs once, however often it is called, before the program creates its
// windows: probes the processor and sets the hint settings to their start
// values. The overload takes other services for the tests.
void initialization();
void initialization(const TProcessorServices &services);
// The last call matching an initialization() releases the hint settings
// (FreeHintSettings).
void Finalization();

// The start-up's results (all zero and empty before it ran).
const TProcessorProbe &Processor();
// The processor family of the start-up's probe.
int CpuID();
// Names of the families 2 to 6, for processors without CPUID, indexed by
// the family: CpuFamilyNames[5] is "Pentium"; other families give empty text.
struct TCpuFamilyNames
{
    QString operator[](int family) const;
};
inline constexpr TCpuFamilyNames CpuFamilyNames{};

// Readings of the start-up's probe.
QString CpuVendor(); // the vendor text, or "-unknown-" without CPUID
int CpuStepping();   // signature bits 0-3, or -1 without CPUID
int CpuModel();      // signature bits 4-7, or -1 without CPUID
bool CpuMMX();       // executes CPUID leaf 1 again: EDX bit 23
std::int32_t CpuSpeed();

} // namespace Mystd
