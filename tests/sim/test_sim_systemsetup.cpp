#include "sim/SimulatedUnit.h"
#include "tests/sim/sim_test_support.h"

#include "link/DeviceCommands.h"

#include <gtest/gtest.h>

using namespace devlink;
using simtest::Bytes;

// The identity frame as the system setup window reads it: serial number most
// significant byte first, then week, year - 2000 and hardware version.
TEST(SimSystemSetup, ReadAnswersTheStoredIdentity)
{
    sim::SimulatedUnit unit;
    unit.setSystemSetup({0x12345678, 7, 99, 200, 0});
    const auto answers = unit.feed(simtest::request(NodeApplication, SYSTEM_SETUP_READ_REQ, 4));
    ASSERT_EQ(answers.size(), 1u);
    const Bytes &a = answers[0];
    ASSERT_TRUE(IsValidFrame(a.data(), a.size()));
    EXPECT_EQ(Bytes(a.begin() + 1, a.end()),
              (Bytes{11, 1, SYSTEM_SETUP_READ_CFM, 0x12, 0x34, 0x56, 0x78, 7, 99, 200}));
}

// A write stores the four fields as sent (the firmware checks no range) and
// is acknowledged; a write shorter than its layout is refused as a bad frame.
TEST(SimSystemSetup, WriteStoresWhatWasSent)
{
    sim::SimulatedUnit unit;
    const sim::SystemSetupState before = unit.systemSetup();
    auto answers =
        unit.feed(simtest::request(NodeApplication, SYSTEM_SETUP_WRITE_REQ, 8, {0, 0, 0x12, 0x34}));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0][3], SERIAL_ERROR_IND);
    EXPECT_EQ(unit.systemSetup(), before);

    answers = unit.feed(simtest::request(NodeApplication, SYSTEM_SETUP_WRITE_REQ, 11,
                                         {0xFF, 0, 0x12, 0x34, 60, 6, 255}));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0], (Bytes{SYSTEM_SETUP_WRITE_CFM ^ 4 ^ 1, 4, 1, SYSTEM_SETUP_WRITE_CFM}));
    EXPECT_EQ(unit.systemSetup(), (sim::SystemSetupState{0xFF001234, 60, 6, 255, 1}));
}
