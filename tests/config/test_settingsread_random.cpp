// Random blocks from a misbehaving unit: whatever the bytes, lengths and item
// numbers, storing them never reads or writes outside what exists (run under
// AddressSanitizer), and item numbers out of range store nothing.
#include "config_fixture.h"

#include "config/SettingsRead.h"
#include "link/DeviceCommands.h"

#include <array>
#include <random>

namespace {

using namespace devlink;
using RandomBlocks = ConfigPagesTest;

TEST_F(RandomBlocks, NoStoreReachesOutsideItsTables)
{
    using Store = bool (*)(const ReadBlock &);
    const struct
    {
        std::uint8_t code;
        Store store;
    } stores[] = {{LOW_BATTERY_READ_CFM, StoreLowBattery},
                  {CAN_SETUP_READ_CFM, StoreCanSetup},
                  {CAN_INPUT_READ_CFM, StoreCanInput},
                  {CAN_INPUT_ENABLE_READ_CFM, StoreCanInputEnable},
                  {BOX_NAME_READ_CFM, StoreBoxName},
                  {VIRTUAL_INPUT_READ_CFM, StoreVirtualInput},
                  {START_KILL_READ_CFM, StoreStartKill},
                  {FLASH_READ_CFM, StoreFlash},
                  {WIPER_READ_CFM, StoreWiper},
                  {SEQUENCE_READ_CFM, StoreSequences},
                  {PWM_CONFIG_READ_CFM, StorePwm},
                  {CAN_EXPORT1_READ_CFM, StoreCanExport1},
                  {CAN_EXPORT_READ_CFM, StoreCanExport}};
    int stored = 0;
    std::mt19937 rng(20261207);
    std::array<std::uint8_t, 256> frame{};
    for (int round = 0; round < 3000; ++round) {
        frame.fill(0);
        const std::size_t count = rng() % 100;
        for (std::size_t i = 0; i < count; ++i)
            frame[i] = static_cast<std::uint8_t>(rng());
        if (rng() % 2)
            frame[1] = static_cast<std::uint8_t>(count); // a plausible Length half the time
        frame[2] = devlink::NodeApplication;
        for (const auto &s : stores) {
            frame[3] = s.code;
            stored += s.store(ReadBlock(frame.data(), count));
        }
        frame[3] = INPUT_CONFIG_READ_CFM;
        const int input = StoreInputConfig(ReadBlock(frame.data(), count));
        EXPECT_TRUE(input == 0 || (input >= 1 && input <= 11)) << input;
        frame[3] = OUTPUT_CONFIG_READ_CFM;
        const int output = StoreOutputConfig(ReadBlock(frame.data(), count));
        EXPECT_TRUE(output == 0 || (output >= 1 && output <= 34)) << output;
    }
    EXPECT_GT(stored, 1000) << "the random blocks must reach the stores";
}

} // namespace
