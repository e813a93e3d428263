// The processor instructions against what the kernel reports.
#include "platform/win/Processor.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

std::string cpuinfoField(const std::string &name)
{
    std::ifstream in("/proc/cpuinfo");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(name, 0) == 0) {
            const auto colon = line.find(':');
            return colon == std::string::npos ? std::string() : line.substr(colon + 2);
        }
    }
    return {};
}

TEST(Processor, VendorAndFamilyMatchTheKernel)
{
#if defined(__x86_64__)
    ASSERT_TRUE(win::HasCpuid());
    win::CpuidResult leaf0, leaf1;
    ASSERT_TRUE(win::Cpuid(0, leaf0));
    ASSERT_TRUE(win::Cpuid(1, leaf1));
    std::string vendor;
    for (auto reg : {leaf0.ebx, leaf0.edx, leaf0.ecx})
        for (int i = 0; i < 4; ++i)
            vendor.push_back(char((reg >> (8 * i)) & 0xFF));
    const auto kernelVendor = cpuinfoField("vendor_id");
    if (kernelVendor.empty())
        GTEST_SKIP() << "no vendor_id in /proc/cpuinfo";
    EXPECT_EQ(vendor, kernelVendor);
    // The kernel adds the extended family; bits 8-11 alone are the base.
    const int base = int((leaf1.eax >> 8) & 0xF);
    const int ext = base == 15 ? int((leaf1.eax >> 20) & 0xFF) : 0;
    EXPECT_EQ(std::to_string(base + ext), cpuinfoField("cpu family"));
    const auto t1 = win::ReadTimeStampCounter();
    EXPECT_GE(win::ReadTimeStampCounter(), t1);
#else
    EXPECT_FALSE(win::HasCpuid());
#endif
    EXPECT_EQ(win::ProcessorType(), 0u);
}

} // namespace
