#include "platform/win/Processor.h"

#include "platform/win/SystemTime.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define QM_HAVE_X86 1
#else
#define QM_HAVE_X86 0
#endif

namespace win {

bool HasCpuid()
{
#if QM_HAVE_X86
    return __get_cpuid_max(0, nullptr) != 0;
#else
    return false;
#endif
}

bool Cpuid(std::uint32_t leaf, CpuidResult &out)
{
#if QM_HAVE_X86
    if (!HasCpuid())
        return false;
    unsigned a = 0, b = 0, c = 0, d = 0;
    __cpuid(leaf, a, b, c, d);
    out = {a, b, c, d};
    return true;
#else
    (void)leaf;
    (void)out;
    return false;
#endif
}

std::uint64_t ReadTimeStampCounter()
{
#if QM_HAVE_X86
    return __rdtsc();
#else
    return 0;
#endif
}

std::uint32_t GetTickCount()
{
    return timeGetTime();
}

std::uint32_t ProcessorType()
{
    return 0;
}

} // namespace win
