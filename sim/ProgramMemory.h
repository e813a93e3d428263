// The unit's program memory as the flash compare reads it: 128 KiB of
// flash, erased to 0xFF, holding the firmware of a small built-in HEX file
// so that a test can compare the unit against that very file.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace sim {

struct ProgramMemory
{
    static constexpr std::size_t Size = 0x20000;
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(Size, 0xFF);

    // The firmware the unit ships with, as an Intel HEX file.
    static std::string_view builtInHex();
    // Erased flash with builtInHex() programmed into it.
    static ProgramMemory builtIn();

    // The byte at `address`; erased flash beyond the memory.
    std::uint8_t at(std::uint32_t address) const
    {
        return address < bytes.size() ? bytes[address] : 0xFF;
    }
};

} // namespace sim
