// The one-byte command and event codes of both nodes of the unit, and one
// table describing each code. The tool and the simulated unit share it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace devlink {

inline constexpr std::uint8_t NodeSystem = 0;      // bad-frame report, ping, error log, EEPROM
inline constexpr std::uint8_t NodeApplication = 1; // settings, live state, diagnostics, service

// Codes of the two nodes share one enumeration; each name belongs to one node.
enum DeviceCommand : std::uint8_t {
    // node 1, requests of the tool
    OUTPUT_CONFIG_WRITE_REQ = 0x01,
    OUTPUT_CONFIG_READ_REQ = 0x02,
    INPUT_CONFIG_WRITE_REQ = 0x03,
    INPUT_CONFIG_READ_REQ = 0x04,
    FACTORY_RESET_REQ = 0x05,
    VERSION_REQ = 0x06,
    REBOOT_REQ = 0x07,
    PWM_CONFIG_WRITE_REQ = 0x08,
    PWM_CONFIG_READ_REQ = 0x09,
    BOX_STATUS_REQ = 0x20,
    INPUT_STATUS_REQ = 0x21,
    CHANNEL_STATUS_REQ = 0x22,
    MODE_REQ = 0x23,
    CHANNEL_SWITCH_REQ = 0x24,
    CAN_SETUP_WRITE_REQ = 0x25,
    CAN_SETUP_READ_REQ = 0x26,
    LOW_BATTERY_WRITE_REQ = 0x27,
    LOW_BATTERY_READ_REQ = 0x28,
    START_KILL_WRITE_REQ = 0x29,
    START_KILL_READ_REQ = 0x2A,
    SYSTEM_SETUP_WRITE_REQ = 0x40,
    SYSTEM_SETUP_READ_REQ = 0x41,
    CAL_RATIO_WRITE_REQ = 0x42,
    CAL_CHANNEL_READ_REQ = 0x43,
    CAL_SWITCHES_REQ = 0x44,
    CAL_OFFSET_STORE_REQ = 0x45,
    DIAGNOSTIC_READ_REQ = 0x50,
    DIAGNOSTIC_CLEAR_REQ = 0x51,
    CAN_INPUT_WRITE_REQ = 0x52,
    CAN_INPUT_READ_REQ = 0x53,
    VIRTUAL_INPUT_WRITE_REQ = 0x54,
    VIRTUAL_INPUT_READ_REQ = 0x55,
    CAN_EXPORT1_WRITE_REQ = 0x56,
    CAN_EXPORT1_READ_REQ = 0x57,
    FLASH_WRITE_REQ = 0x58,
    FLASH_READ_REQ = 0x59,
    CAN_EXPORT_WRITE_REQ = 0x5A,
    CAN_EXPORT_READ_REQ = 0x5B,
    CAN_MONITOR_REQ = 0x5C,
    FIRMWARE_READ_REQ = 0x5E,
    LP_DIAGNOSTIC_READ_REQ = 0x5F,
    STATISTICS_REQ = 0x60,
    SYSTEM_LOG_RESET_REQ = 0x61,
    BOX_NAME_WRITE_REQ = 0x62,
    BOX_NAME_READ_REQ = 0x63,
    CAN_INPUT_ENABLE_WRITE_REQ = 0x64,
    CAN_INPUT_ENABLE_READ_REQ = 0x65,
    WIPER_WRITE_REQ = 0x66,
    WIPER_READ_REQ = 0x67,
    SEQUENCE_WRITE_REQ = 0x68,
    SEQUENCE_READ_REQ = 0x69,
    PASSWORD_WRITE_REQ = 0x6A,
    PASSWORD_READ_REQ = 0x6B,

    // node 1, events of the unit
    CAN_MONITOR_IND = 0x5D,
    OUTPUT_CONFIG_WRITE_CFM = 0x81,
    OUTPUT_CONFIG_READ_CFM = 0x82,
    INPUT_CONFIG_WRITE_CFM = 0x83,
    INPUT_CONFIG_READ_CFM = 0x84,
    FACTORY_RESET_CFM = 0x86,
    VERSION_CFM = 0x87,
    REBOOT_CFM = 0x88,
    PWM_CONFIG_WRITE_CFM = 0x89,
    PWM_CONFIG_READ_CFM = 0x8A,
    BOX_STATUS_CFM = 0xA0,
    INPUT_STATUS_CFM = 0xA1,
    CHANNEL_STATUS_CFM = 0xA2,
    MODE_CFM = 0xA3,
    CAN_SETUP_WRITE_CFM = 0xA5,
    CAN_SETUP_READ_CFM = 0xA6,
    LOW_BATTERY_WRITE_CFM = 0xA7,
    LOW_BATTERY_READ_CFM = 0xA8,
    START_KILL_WRITE_CFM = 0xA9,
    START_KILL_READ_CFM = 0xAA,
    SYSTEM_SETUP_WRITE_CFM = 0xC0,
    SYSTEM_SETUP_READ_CFM = 0xC1,
    CAL_RATIO_WRITE_CFM = 0xC2,
    CAL_CHANNEL_READ_CFM = 0xC3,
    CAL_OFFSET_STORE_CFM = 0xC5,
    DIAGNOSTIC_READ_CFM = 0xD0,
    DIAGNOSTIC_CLEAR_CFM = 0xD1,
    CAN_INPUT_WRITE_CFM = 0xD2,
    CAN_INPUT_READ_CFM = 0xD3,
    VIRTUAL_INPUT_WRITE_CFM = 0xD4,
    VIRTUAL_INPUT_READ_CFM = 0xD5,
    CAN_EXPORT1_WRITE_CFM = 0xD6,
    CAN_EXPORT1_READ_CFM = 0xD7,
    FLASH_WRITE_CFM = 0xD8,
    FLASH_READ_CFM = 0xD9,
    CAN_EXPORT_WRITE_CFM = 0xDA,
    CAN_EXPORT_READ_CFM = 0xDB,
    UNUSED_EVENT_DC = 0xDC, // no meaning in the tool; ignored
    FIRMWARE_READ_CFM = 0xDD,
    LP_DIAGNOSTIC_READ_CFM = 0xDE,
    STATISTICS_CFM = 0xDF,
    SYSTEM_LOG_RESET_CFM = 0xE0,
    BOX_NAME_WRITE_CFM = 0xE1,
    BOX_NAME_READ_CFM = 0xE2,
    CAN_INPUT_ENABLE_WRITE_CFM = 0xE3,
    CAN_INPUT_ENABLE_READ_CFM = 0xE4,
    WIPER_WRITE_CFM = 0xE5,
    WIPER_READ_CFM = 0xE6,
    SEQUENCE_WRITE_CFM = 0xE7,
    SEQUENCE_READ_CFM = 0xE8,
    PASSWORD_WRITE_CFM = 0xE9,
    PASSWORD_READ_CFM = 0xEA,

    // node 0
    SERIAL_ERROR_IND = 0x01,
    PING_REQ = 0x30,
    PING_CFM = 0x80,
    ERROR_LOG_COUNT_REQ = 0x50,
    ERROR_LOG_COUNT_CFM = 0xA0,
    ERROR_LOG_ENTRY_REQ = 0x51,
    ERROR_LOG_ENTRY_CFM = 0xA1,
    ERROR_LOG_RESET_REQ = 0x52,
    ERROR_LOG_RESET_CFM = 0xA2,
    EEPROM_READ_REQ = 0x53,
    EEPROM_READ_CFM = 0xA3,
    EEPROM_WRITE_REQ = 0x54,
    EEPROM_WRITE_CFM = 0xA4,
};

enum class Direction : std::uint8_t { ToUnit, FromUnit };

// One row of the code table. `length` is what the tool sends for a request
// and what its handler reads for an event (0: varies). `answer` is the code
// the unit answers a request with, when the tool handles one.
struct CommandInfo
{
    std::uint8_t node;
    std::uint8_t code;
    std::string_view name;
    Direction direction;
    std::uint8_t length;
    std::optional<std::uint8_t> answer;
};

std::span<const CommandInfo> CommandTable();
const CommandInfo *FindCommand(std::uint8_t node, std::uint8_t code);
const CommandInfo *FindCommand(std::string_view name);

// The reply rule of the protocol: the code that answers `request` on `node`.
std::uint8_t ReplyCode(std::uint8_t node, std::uint8_t request);

} // namespace devlink
