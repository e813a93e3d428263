// The simulated unit's memory, one plain struct per area, so that further
// areas (settings blocks, logs, EEPROM, flash) are added beside these
// without touching the others. SimulatedUnit owns one of each and guards
// them with its lock; the structs themselves are plain values.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace sim {

inline constexpr int ChannelCount = 34;
inline constexpr int HighPowerChannelCount = 18;
inline constexpr int InputCount = 11;
inline constexpr int CanInputCount = 32;

// Channel state byte and the switch commands on the wire.
inline constexpr std::uint8_t ChannelOn = 0xF0;
inline constexpr std::uint8_t ChannelOff = 0x0F;

// Error codes a channel reports.
enum ChannelFault : std::uint8_t {
    FaultNone = 0,
    FaultNegativeShort = 1,
    FaultPositiveShort = 2,
    FaultOpenLoad = 4,
    FaultOverload = 8,
};

enum class UnitMode : std::uint8_t { Automatic = 0, Manual = 1, Calibration = 2 };

struct IdentityState
{
    // Kept short: the answer carries the power-up seconds at bytes 17..19,
    // so the text and its NUL must end before them.
    static constexpr std::size_t MaxVersionText = 12;
    std::string versionText = "8.52";
    std::uint64_t upTimeMs = 0;
};

struct StatisticsState
{
    std::uint16_t maxCurrentTenths = 0;
    std::uint8_t maxTemperature = 0;
    std::uint8_t watchdogCount = 0;
};

// The two stored passwords as the unit keeps them: 8 characters and a NUL.
// A first byte 0 is an empty password; 0xFF bytes are an erased store.
struct PasswordState
{
    static constexpr std::size_t FieldSize = 9;
    using Field = std::array<std::uint8_t, FieldSize>;
    Field readOnly{};
    Field readWrite{};
};

struct OutputState
{
    bool on = false;          // what the output does now
    bool manualOn = false;    // last manual switch command
    std::uint8_t trigger = 0; // input 1..11 that drives it in automatic mode, 0 none
    std::uint8_t fault = FaultNone;
    bool warning = false;
    std::uint16_t loadTenths = 0;    // what the load draws when on (high-power channels)
    std::uint16_t currentTenths = 0; // measured, with noise
};

struct LiveState
{
    UnitMode mode = UnitMode::Automatic;
    std::array<OutputState, ChannelCount> outputs{}; // channel 1 first
    std::uint16_t inputs = 0;                        // bit 0 = input 1
    std::uint32_t canInputs = 0;                     // bit 0 = CAN input 1
    bool inputPattern = true; // inputs and CAN inputs follow a built-in pattern
    std::uint16_t totalCurrentTenths = 0;
    std::uint8_t supplyTenths = 138;
    std::int8_t supplyNoiseTenths = 0;
    std::int32_t temperatureMilli = 25000;
    std::uint8_t highPowerErrors = 0; // error count, first part
    std::uint8_t lowPowerErrors = 0;  // error count, second part
    std::uint8_t currentNoiseTenths = 3;
    std::uint64_t sinceTickMs = 0; // time not yet simulated
};

// The error counters the unit keeps per output; its diagnostic reads report
// them as 4-bit counts, 15 meaning fifteen or more.
struct ChannelCounters
{
    std::uint8_t shortCircuits = 0;
    std::uint8_t trips = 0;            // high-power outputs only, as the three below
    std::uint8_t tripCurrentSteps = 0; // drawn at the last trip, steps of 0.4 A
    std::uint8_t lowCurrents = 0;
    bool operator==(const ChannelCounters &) const = default;
};

struct DiagnosticState
{
    std::array<ChannelCounters, ChannelCount> channels{}; // output 1 first
};

// The CAN monitor: which bus messages the unit reports, and the reports that
// wait for the line.
struct CanMonitorState
{
    static constexpr std::uint8_t Off = 0, Active = 1, All = 2, FirstInput = 3;
    static constexpr std::uint8_t LastInput = FirstInput + CanInputCount - 1;
    // The unit's send buffer; a report that finds it full is lost.
    static constexpr std::size_t MaxPending = 64;
    std::uint8_t selector = Off;
    std::deque<std::vector<std::uint8_t>> pending;
    std::uint64_t reported = 0; // reports handed to the line since power-up
};

} // namespace sim
