// The unit's node-0 service memory: the runtime error log and the EEPROM.
// Plain values; SimulatedUnit owns one of each under its lock.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

namespace sim {

struct ErrorLogEntry
{
    std::string fileName; // at most 12 characters go on the wire
    std::uint16_t line = 0;
    std::uint8_t count = 0;
    std::vector<std::uint8_t> data; // at most MaxData bytes go on the wire
};

struct ErrorLogState
{
    static constexpr std::size_t FileNameSize = 12;
    // An answer must fit the tool's 200-byte receive buffer.
    static constexpr std::size_t MaxData = 32;
    std::vector<ErrorLogEntry> entries; // entry 1 first
    std::uint32_t systemLogResets = 0;  // SYSTEM_LOG_RESET_REQ received

    // A few faults as a unit in service logs them.
    static ErrorLogState sample()
    {
        ErrorLogState s;
        s.entries = {
            {"can_rx.c", 412, 3, {0x1A, 0x05}},
            {"outputs.c", 1187, 1, {0x12, 0x00, 0x7F, 0x41}},
            {"eeprom_drv.c", 96, 27, {}},
            {"watchdog.c", 58, 2, {0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0x01}},
        };
        return s;
    }
};

struct EepromState
{
    static constexpr std::size_t Size = 4096;
    static constexpr std::size_t Block = 16;
    std::array<std::uint8_t, Size> bytes{};

    // What a unit in service holds: an identity header, calibration ratios,
    // counters, and the rest erased.
    static EepromState sample()
    {
        EepromState s;
        s.bytes.fill(0xFF);
        const std::string header = "QM5230 EEPROM 01";
        for (std::size_t i = 0; i < header.size(); ++i)
            s.bytes[i] = static_cast<std::uint8_t>(header[i]);
        // Serial number, production week and year, hardware version.
        const std::uint8_t identity[] = {0x00, 0x00, 0x12, 0x34, 23, 24, 3};
        std::copy(std::begin(identity), std::end(identity), s.bytes.begin() + 0x10);
        // Calibration ratios of the 18 high-power channels (u16 LE) from 0x20.
        for (std::size_t ch = 0; ch < 18; ++ch) {
            const std::uint16_t ratio = static_cast<std::uint16_t>(1000 + ch * 7);
            s.bytes[0x20 + 2 * ch] = static_cast<std::uint8_t>(ratio & 0xFF);
            s.bytes[0x20 + 2 * ch + 1] = static_cast<std::uint8_t>(ratio >> 8);
        }
        // Operating hours and power-up count.
        const std::uint8_t counters[] = {0x10, 0x27, 0x00, 0x00, 0xE8, 0x03};
        std::copy(std::begin(counters), std::end(counters), s.bytes.begin() + 0x100);
        return s;
    }
};

} // namespace sim
