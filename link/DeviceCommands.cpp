#include "link/DeviceCommands.h"

#include <array>

namespace devlink {

namespace {
// Transcribed from the protocol's code table; lengths of 0 vary with the data.
constexpr std::array kTable = {
    CommandInfo{1, 0x01, "OUTPUT_CONFIG_WRITE_REQ", Direction::ToUnit, 30, std::uint8_t(0x81)},
    CommandInfo{1, 0x02, "OUTPUT_CONFIG_READ_REQ", Direction::ToUnit, 5, std::uint8_t(0x82)},
    CommandInfo{1, 0x03, "INPUT_CONFIG_WRITE_REQ", Direction::ToUnit, 21, std::uint8_t(0x83)},
    CommandInfo{1, 0x04, "INPUT_CONFIG_READ_REQ", Direction::ToUnit, 5, std::uint8_t(0x84)},
    CommandInfo{1, 0x05, "FACTORY_RESET_REQ", Direction::ToUnit, 4, std::uint8_t(0x86)},
    CommandInfo{1, 0x06, "VERSION_REQ", Direction::ToUnit, 4, std::uint8_t(0x87)},
    CommandInfo{1, 0x07, "REBOOT_REQ", Direction::ToUnit, 4, std::uint8_t(0x88)},
    CommandInfo{1, 0x08, "PWM_CONFIG_WRITE_REQ", Direction::ToUnit, 12, std::uint8_t(0x89)},
    CommandInfo{1, 0x09, "PWM_CONFIG_READ_REQ", Direction::ToUnit, 4, std::uint8_t(0x8A)},
    CommandInfo{1, 0x20, "BOX_STATUS_REQ", Direction::ToUnit, 4, std::uint8_t(0xA0)},
    CommandInfo{1, 0x21, "INPUT_STATUS_REQ", Direction::ToUnit, 4, std::uint8_t(0xA1)},
    CommandInfo{1, 0x22, "CHANNEL_STATUS_REQ", Direction::ToUnit, 5, std::uint8_t(0xA2)},
    CommandInfo{1, 0x23, "MODE_REQ", Direction::ToUnit, 5, std::uint8_t(0xA3)},
    CommandInfo{1, 0x24, "CHANNEL_SWITCH_REQ", Direction::ToUnit, 12, std::nullopt},
    CommandInfo{1, 0x25, "CAN_SETUP_WRITE_REQ", Direction::ToUnit, 17, std::uint8_t(0xA5)},
    CommandInfo{1, 0x26, "CAN_SETUP_READ_REQ", Direction::ToUnit, 4, std::uint8_t(0xA6)},
    CommandInfo{1, 0x27, "LOW_BATTERY_WRITE_REQ", Direction::ToUnit, 18, std::uint8_t(0xA7)},
    CommandInfo{1, 0x28, "LOW_BATTERY_READ_REQ", Direction::ToUnit, 4, std::uint8_t(0xA8)},
    CommandInfo{1, 0x29, "START_KILL_WRITE_REQ", Direction::ToUnit, 35, std::uint8_t(0xA9)},
    CommandInfo{1, 0x2A, "START_KILL_READ_REQ", Direction::ToUnit, 4, std::uint8_t(0xAA)},
    CommandInfo{1, 0x40, "SYSTEM_SETUP_WRITE_REQ", Direction::ToUnit, 11, std::uint8_t(0xC0)},
    CommandInfo{1, 0x41, "SYSTEM_SETUP_READ_REQ", Direction::ToUnit, 4, std::uint8_t(0xC1)},
    CommandInfo{1, 0x42, "CAL_RATIO_WRITE_REQ", Direction::ToUnit, 7, std::uint8_t(0xC2)},
    CommandInfo{1, 0x43, "CAL_CHANNEL_READ_REQ", Direction::ToUnit, 5, std::uint8_t(0xC3)},
    CommandInfo{1, 0x44, "CAL_SWITCHES_REQ", Direction::ToUnit, 6, std::nullopt},
    CommandInfo{1, 0x45, "CAL_OFFSET_STORE_REQ", Direction::ToUnit, 4, std::uint8_t(0xC5)},
    CommandInfo{1, 0x50, "DIAGNOSTIC_READ_REQ", Direction::ToUnit, 4, std::uint8_t(0xD0)},
    CommandInfo{1, 0x51, "DIAGNOSTIC_CLEAR_REQ", Direction::ToUnit, 4, std::uint8_t(0xD1)},
    CommandInfo{1, 0x52, "CAN_INPUT_WRITE_REQ", Direction::ToUnit, 49, std::uint8_t(0xD2)},
    CommandInfo{1, 0x53, "CAN_INPUT_READ_REQ", Direction::ToUnit, 5, std::uint8_t(0xD3)},
    CommandInfo{1, 0x54, "VIRTUAL_INPUT_WRITE_REQ", Direction::ToUnit, 31, std::uint8_t(0xD4)},
    CommandInfo{1, 0x55, "VIRTUAL_INPUT_READ_REQ", Direction::ToUnit, 5, std::uint8_t(0xD5)},
    CommandInfo{1, 0x56, "CAN_EXPORT1_WRITE_REQ", Direction::ToUnit, 29, std::uint8_t(0xD6)},
    CommandInfo{1, 0x57, "CAN_EXPORT1_READ_REQ", Direction::ToUnit, 5, std::uint8_t(0xD7)},
    CommandInfo{1, 0x58, "FLASH_WRITE_REQ", Direction::ToUnit, 30, std::uint8_t(0xD8)},
    CommandInfo{1, 0x59, "FLASH_READ_REQ", Direction::ToUnit, 5, std::uint8_t(0xD9)},
    CommandInfo{1, 0x5A, "CAN_EXPORT_WRITE_REQ", Direction::ToUnit, 74, std::uint8_t(0xDA)},
    CommandInfo{1, 0x5B, "CAN_EXPORT_READ_REQ", Direction::ToUnit, 5, std::uint8_t(0xDB)},
    CommandInfo{1, 0x5C, "CAN_MONITOR_REQ", Direction::ToUnit, 4, std::nullopt},
    CommandInfo{1, 0x5E, "FIRMWARE_READ_REQ", Direction::ToUnit, 6, std::uint8_t(0xDD)},
    CommandInfo{1, 0x5F, "LP_DIAGNOSTIC_READ_REQ", Direction::ToUnit, 4, std::uint8_t(0xDE)},
    CommandInfo{1, 0x60, "STATISTICS_REQ", Direction::ToUnit, 4, std::uint8_t(0xDF)},
    CommandInfo{1, 0x61, "SYSTEM_LOG_RESET_REQ", Direction::ToUnit, 4, std::uint8_t(0xE0)},
    CommandInfo{1, 0x62, "BOX_NAME_WRITE_REQ", Direction::ToUnit, 20, std::uint8_t(0xE1)},
    CommandInfo{1, 0x63, "BOX_NAME_READ_REQ", Direction::ToUnit, 4, std::uint8_t(0xE2)},
    CommandInfo{1, 0x64, "CAN_INPUT_ENABLE_WRITE_REQ", Direction::ToUnit, 20, std::uint8_t(0xE3)},
    CommandInfo{1, 0x65, "CAN_INPUT_ENABLE_READ_REQ", Direction::ToUnit, 4, std::uint8_t(0xE4)},
    CommandInfo{1, 0x66, "WIPER_WRITE_REQ", Direction::ToUnit, 12, std::uint8_t(0xE5)},
    CommandInfo{1, 0x67, "WIPER_READ_REQ", Direction::ToUnit, 4, std::uint8_t(0xE6)},
    CommandInfo{1, 0x68, "SEQUENCE_WRITE_REQ", Direction::ToUnit, 80, std::uint8_t(0xE7)},
    CommandInfo{1, 0x69, "SEQUENCE_READ_REQ", Direction::ToUnit, 4, std::uint8_t(0xE8)},
    CommandInfo{1, 0x6A, "PASSWORD_WRITE_REQ", Direction::ToUnit, 23, std::uint8_t(0xE9)},
    CommandInfo{1, 0x6B, "PASSWORD_READ_REQ", Direction::ToUnit, 4, std::uint8_t(0xEA)},
    CommandInfo{1, 0x5D, "CAN_MONITOR_IND", Direction::FromUnit, 0, std::nullopt},
    CommandInfo{1, 0x81, "OUTPUT_CONFIG_WRITE_CFM", Direction::FromUnit, 4, std::nullopt},
    CommandInfo{1, 0x82, "OUTPUT_CONFIG_READ_CFM", Direction::FromUnit, 30, std::nullopt},
    CommandInfo{1, 0x83, "INPUT_CONFIG_WRITE_CFM", Direction::FromUnit, 4, std::nullopt},
    CommandInfo{1, 0x84, "INPUT_CONFIG_READ_CFM", Direction::FromUnit, 21, std::nullopt},
    CommandInfo{1, 0x86, "FACTORY_RESET_CFM", Direction::FromUnit, 4, std::nullopt},
    CommandInfo{1, 0x87, "VERSION_CFM", Direction::FromUnit, 24, std::nullopt},
    CommandInfo{1, 0x88, "REBOOT_CFM", Direction::FromUnit, 4, std::nullopt},
    CommandInfo{1, 0x89, "PWM_CONFIG_WRITE_CFM", Direction::FromUnit, 4, std::nullopt},
    CommandInfo{1, 0x8A, "PWM_CONFIG_READ_CFM", Direction::FromUnit, 7, std::nullopt},
    CommandInfo{1, 0xA0, "BOX_STATUS_CFM", Direction::FromUnit, 10, std::nullopt},
    CommandInfo{1, 0xA1, "INPUT_STATUS_CFM", Direction::FromUnit, 10, std::nullopt},
    CommandInfo{1, 0xA2, "CHANNEL_STATUS_CFM", Direction::FromUnit, 10, std::nullopt},
    CommandInfo{1, 0xA3, "MODE_CFM", Direction::FromUnit, 4, std::nullopt},
    CommandInfo{1, 0xA5, "CAN_SETUP_WRITE_CFM", Direction::FromUnit, 4, std::nullopt},
    CommandInfo{1, 0xA6, "CAN_SETUP_READ_CFM", Direction::FromUnit, 17, std::nullopt},
    CommandInfo{1, 0xA7, "LOW_BATTERY_WRITE_CFM", Direction::FromUnit, 4, std::nullopt},
    CommandInfo{1, 0xA8, "LOW_BATTERY_READ_CFM", Direction::FromUnit, 18, std::nullopt},
    CommandInfo{1, 0xA9, "START_KILL_WRITE_CFM", Direction::FromUnit, 4, std::nullopt},
    CommandInfo{1, 0xAA, "START_KILL_READ_CFM", Direction::FromUnit, 35, std::nullopt},
    CommandInfo{1, 0xC0, "SYSTEM_SETUP_WRITE_CFM", Direction::FromUnit, 4, std::nullopt},
    CommandInfo{1, 0xC1, "SYSTEM_SETUP_READ_CFM", Direction::FromUnit, 11, std::nullopt},
    CommandInfo{1, 0xC2, "CAL_RATIO_WRITE_CFM", Direction::FromUnit, 5, std::nullopt},
    CommandInfo{1, 0xC3, "CAL_CHANNEL_READ_CFM", Direction::FromUnit, 12, std::nullopt},
    CommandInfo{1, 0xC5, "CAL_OFFSET_STORE_CFM", Direction::FromUnit, 4, std::nullopt},
    CommandInfo{1, 0xD0, "DIAGNOSTIC_READ_CFM", Direction::FromUnit, 58, std::nullopt},
    CommandInfo{1, 0xD1, "DIAGNOSTIC_CLEAR_CFM", Direction::FromUnit, 4, std::nullopt},
    CommandInfo{1, 0xD2, "CAN_INPUT_WRITE_CFM", Direction::FromUnit, 5, std::nullopt},
    CommandInfo{1, 0xD3, "CAN_INPUT_READ_CFM", Direction::FromUnit, 49, std::nullopt},
    CommandInfo{1, 0xD4, "VIRTUAL_INPUT_WRITE_CFM", Direction::FromUnit, 5, std::nullopt},
    CommandInfo{1, 0xD5, "VIRTUAL_INPUT_READ_CFM", Direction::FromUnit, 31, std::nullopt},
    CommandInfo{1, 0xD6, "CAN_EXPORT1_WRITE_CFM", Direction::FromUnit, 4, std::nullopt},
    CommandInfo{1, 0xD7, "CAN_EXPORT1_READ_CFM", Direction::FromUnit, 29, std::nullopt},
    CommandInfo{1, 0xD8, "FLASH_WRITE_CFM", Direction::FromUnit, 5, std::nullopt},
    CommandInfo{1, 0xD9, "FLASH_READ_CFM", Direction::FromUnit, 30, std::nullopt},
    CommandInfo{1, 0xDA, "CAN_EXPORT_WRITE_CFM", Direction::FromUnit, 5, std::nullopt},
    CommandInfo{1, 0xDB, "CAN_EXPORT_READ_CFM", Direction::FromUnit, 74, std::nullopt},
    CommandInfo{1, 0xDD, "FIRMWARE_READ_CFM", Direction::FromUnit, 22, std::nullopt},
    CommandInfo{1, 0xDE, "LP_DIAGNOSTIC_READ_CFM", Direction::FromUnit, 0, std::nullopt},
    CommandInfo{1, 0xDF, "STATISTICS_CFM", Direction::FromUnit, 8, std::nullopt},
    CommandInfo{1, 0xE0, "SYSTEM_LOG_RESET_CFM", Direction::FromUnit, 4, std::nullopt},
    CommandInfo{1, 0xE1, "BOX_NAME_WRITE_CFM", Direction::FromUnit, 4, std::nullopt},
    CommandInfo{1, 0xE2, "BOX_NAME_READ_CFM", Direction::FromUnit, 20, std::nullopt},
    CommandInfo{1, 0xE3, "CAN_INPUT_ENABLE_WRITE_CFM", Direction::FromUnit, 4, std::nullopt},
    CommandInfo{1, 0xE4, "CAN_INPUT_ENABLE_READ_CFM", Direction::FromUnit, 6, std::nullopt},
    CommandInfo{1, 0xE5, "WIPER_WRITE_CFM", Direction::FromUnit, 4, std::nullopt},
    CommandInfo{1, 0xE6, "WIPER_READ_CFM", Direction::FromUnit, 0, std::nullopt},
    CommandInfo{1, 0xE7, "SEQUENCE_WRITE_CFM", Direction::FromUnit, 4, std::nullopt},
    CommandInfo{1, 0xE8, "SEQUENCE_READ_CFM", Direction::FromUnit, 80, std::nullopt},
    CommandInfo{1, 0xE9, "PASSWORD_WRITE_CFM", Direction::FromUnit, 4, std::nullopt},
    CommandInfo{1, 0xEA, "PASSWORD_READ_CFM", Direction::FromUnit, 22, std::nullopt},
    CommandInfo{0, 0x01, "SERIAL_ERROR_IND", Direction::FromUnit, 4, std::nullopt},
    CommandInfo{0, 0x30, "PING_REQ", Direction::ToUnit, 21, std::uint8_t(0x80)},
    CommandInfo{0, 0x80, "PING_CFM", Direction::FromUnit, 0, std::nullopt},
    CommandInfo{0, 0x50, "ERROR_LOG_COUNT_REQ", Direction::ToUnit, 4, std::uint8_t(0xA0)},
    CommandInfo{0, 0xA0, "ERROR_LOG_COUNT_CFM", Direction::FromUnit, 5, std::nullopt},
    CommandInfo{0, 0x51, "ERROR_LOG_ENTRY_REQ", Direction::ToUnit, 5, std::uint8_t(0xA1)},
    CommandInfo{0, 0xA1, "ERROR_LOG_ENTRY_CFM", Direction::FromUnit, 0, std::nullopt},
    CommandInfo{0, 0x52, "ERROR_LOG_RESET_REQ", Direction::ToUnit, 4, std::uint8_t(0xA2)},
    CommandInfo{0, 0xA2, "ERROR_LOG_RESET_CFM", Direction::FromUnit, 4, std::nullopt},
    CommandInfo{0, 0x53, "EEPROM_READ_REQ", Direction::ToUnit, 7, std::uint8_t(0xA3)},
    CommandInfo{0, 0xA3, "EEPROM_READ_CFM", Direction::FromUnit, 23, std::nullopt},
    CommandInfo{0, 0x54, "EEPROM_WRITE_REQ", Direction::ToUnit, 23, std::uint8_t(0xA4)},
    CommandInfo{0, 0xA4, "EEPROM_WRITE_CFM", Direction::FromUnit, 4, std::nullopt},
};
} // namespace

std::span<const CommandInfo> CommandTable()
{
    return kTable;
}

const CommandInfo *FindCommand(std::uint8_t node, std::uint8_t code)
{
    for (const auto &c : kTable)
        if (c.node == node && c.code == code)
            return &c;
    return nullptr;
}

const CommandInfo *FindCommand(std::string_view name)
{
    for (const auto &c : kTable)
        if (c.name == name)
            return &c;
    return nullptr;
}

std::uint8_t ReplyCode(std::uint8_t node, std::uint8_t request)
{
    if (node == NodeSystem)
        return static_cast<std::uint8_t>(request + 0x50);
    if (request >= 0x05 && request <= 0x09)
        return static_cast<std::uint8_t>(request + 0x81);
    if (request >= 0x5E && request <= 0x6B)
        return static_cast<std::uint8_t>(request + 0x7F);
    return static_cast<std::uint8_t>(request + 0x80);
}

} // namespace devlink
