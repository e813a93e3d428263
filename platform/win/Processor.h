// The processor instructions and the tick count the start-up probe reads.
// All functions may be called from any thread.
#pragma once

#include <cstdint>

namespace win {

struct CpuidResult
{
    std::uint32_t eax = 0;
    std::uint32_t ebx = 0;
    std::uint32_t ecx = 0;
    std::uint32_t edx = 0;
};

// True when the processor has the CPUID instruction (always on x86-64,
// never on another architecture).
bool HasCpuid();
// Executes CPUID for `leaf`; false (and `out` untouched) without CPUID.
bool Cpuid(std::uint32_t leaf, CpuidResult &out);
// The time-stamp counter; 0 where the processor has none.
std::uint64_t ReadTimeStampCounter();
// Milliseconds since the system started, wrapping after 49.7 days.
std::uint32_t GetTickCount();
// The system's processor-type number (386, 486, 586, ...). Linux does not
// report one, so this is 0.
std::uint32_t ProcessorType();

} // namespace win
