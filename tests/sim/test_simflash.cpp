// The unit's program memory as the firmware read returns it.
#include "sim/SimulatedUnit.h"

#include "link/DeviceCommands.h"
#include "sim_test_support.h"

#include <gtest/gtest.h>

using namespace devlink;
using namespace simtest;

namespace {

TEST(SimFlash, FirmwareReadAnswersSixteenBytesFromTheAddress)
{
    sim::SimulatedUnit unit;
    sim::ProgramMemory memory = unit.programMemory();
    // The built-in firmware starts with the bytes of its first record.
    EXPECT_EQ(memory.at(0), 0x1F);
    EXPECT_EQ(memory.at(0x1F), 0x04);
    EXPECT_EQ(memory.at(0x20), 0xFF); // erased between the records
    EXPECT_EQ(memory.at(0xF00F), 0xE9);
    memory.bytes[0xFFFF] = 0x42;
    unit.setProgramMemory(memory);

    struct Case
    {
        std::uint16_t address;
        std::uint8_t first, last;
    } cases[] = {{0x0000, 0x1F, 0x8C}, {0x0130, 0x91, 0xFB}, {0xFFF0, 0xFF, 0x42}};
    for (const Case &c : cases) {
        const auto answers =
            unit.feed(request(NodeApplication, FIRMWARE_READ_REQ, 6,
                              {std::uint8_t(c.address), std::uint8_t(c.address >> 8)}));
        ASSERT_EQ(answers.size(), 1u);
        const auto &f = answers[0];
        ASSERT_EQ(f.size(), 22u);
        EXPECT_TRUE(IsValidFrame(f.data(), f.size()));
        EXPECT_EQ(f[FrameCommandAt], FIRMWARE_READ_CFM);
        EXPECT_EQ(f[4] | f[5] << 8, c.address);
        EXPECT_EQ(f[6], c.first);
        EXPECT_EQ(f[21], c.last);
    }
}

} // namespace
