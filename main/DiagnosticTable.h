// The unit's diagnostic counters as the "Diagnostic" page shows them.
// Plain logic, no windows.
#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

inline constexpr int DiagnosticHighPowerCount = 18;
inline constexpr int DiagnosticLowPowerCount = 16;

// DIAGNOSTIC_READ_CFM: three arrays, one byte per high-power output 1..18.
struct HighPowerDiagnostics
{
    static constexpr std::size_t ErrorsAt = 4, TripCurrentAt = 22, LowCurrentAt = 40;
    static constexpr std::size_t Length = 58;
    // low nibble short-circuit count, high nibble trip-level count
    std::array<std::uint8_t, DiagnosticHighPowerCount> errors{};
    // current drawn at the trip, in steps of 0.4 A (0 none)
    std::array<std::uint8_t, DiagnosticHighPowerCount> tripCurrent{};
    // low nibble low-current count
    std::array<std::uint8_t, DiagnosticHighPowerCount> lowCurrent{};
};

// LP_DIAGNOSTIC_READ_CFM: one byte per low-power output 19..34, the
// short-circuit count in its low nibble.
struct LowPowerDiagnostics
{
    static constexpr std::size_t ErrorsAt = 4;
    static constexpr std::size_t Length = 20;
    std::array<std::uint8_t, DiagnosticLowPowerCount> errors{};
};

// The tables of a frame whose Length covers them; nullopt for a shorter frame
// or one whose Length claims more than the `count` bytes decoded.
std::optional<HighPowerDiagnostics> DecodeDiagnosticRead(const std::uint8_t *frame,
                                                         std::size_t count);
std::optional<LowPowerDiagnostics> DecodeLowPowerDiagnosticRead(const std::uint8_t *frame,
                                                                std::size_t count);

// A count cell: a 4-bit count, where 15 stands for fifteen or more.
struct DiagnosticCount
{
    QString text; // "3", or "> 15"
    bool red = false;
};
DiagnosticCount DiagnosticCountCell(unsigned count);

// The trip-level current in amperes: "0" for none, else one decimal ("10.0").
QString TripCurrentText(std::uint8_t steps);
