// What the live view shows for an output, from the unit's channel status.
// Plain logic, no windows.
#pragma once

#include <QString>

#include <cstdint>

struct ChannelStatus
{
    bool on = false;            // state byte 0xF0
    std::uint8_t errorBits = 0; // 1 negative short, 2 positive short, 4 open load, 8 overload
    std::uint16_t current = 0;  // tenths of an ampere
    bool warning = false;
};

struct ChannelView
{
    QString labelText;           // high-power outputs only
    std::uint32_t labelColour{}; // red in the low byte
    QString caption;
    std::uint32_t buttonColour{};
};

inline constexpr std::uint32_t LiveRed = 0x0000FF;
inline constexpr std::uint32_t LiveGreen = 0x00FF00;
inline constexpr std::uint32_t LiveYellow = 0x00FFFF;
inline constexpr std::uint32_t LiveWhite = 0xFFFFFF;

// "%d.%d" of a value in tenths.
QString FormatTenthsUnit(unsigned tenths, const char *unit);

// The error byte is a set of bits: the lowest set bit of 1, 2, 4, 8 names
// the fault, so a unit reporting two faults never shows a healthy output.
ChannelView HighPowerView(const ChannelStatus &s);
// Low-power outputs report faults only while on, and overload is no fault there.
ChannelView LowPowerView(const ChannelStatus &s);
