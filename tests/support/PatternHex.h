// A firmware test file: a byte pattern over whole pages, as Intel HEX.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace testsupport {

// The byte a firmware test file holds at `address`.
inline std::uint8_t patternAt(std::uint32_t address)
{
    return static_cast<std::uint8_t>(address * 7 + 3);
}

// `pages` pages of 256 pattern bytes from address 0, as Intel HEX; beyond
// 64 KiB an extended linear address record opens each 64 KiB.
inline std::string patternHex(std::uint32_t pages)
{
    std::string text;
    char buf[24];
    for (std::uint32_t at = 0; at < pages * 256; at += 16) {
        if (at > 0 && at % 0x10000 == 0) {
            const unsigned segment = at >> 16;
            std::snprintf(buf, sizeof buf, ":02000004%04X%02X\n", segment,
                          (0x100 - ((6 + segment) & 0xFF)) & 0xFF);
            text += buf;
        }
        unsigned sum = 16 + ((at >> 8) & 0xFF) + (at & 0xFF);
        std::snprintf(buf, sizeof buf, ":10%04X00", static_cast<unsigned>(at & 0xFFFF));
        text += buf;
        for (std::uint32_t i = 0; i < 16; ++i) {
            std::snprintf(buf, sizeof buf, "%02X", patternAt(at + i));
            text += buf;
            sum += patternAt(at + i);
        }
        std::snprintf(buf, sizeof buf, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
        text += buf;
    }
    return text + ":00000001FF\n";
}

} // namespace testsupport
