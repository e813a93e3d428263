// The unit's current calibration of its high-power channels: what the
// hardware measures (its own A/D zero point and sensor ratio, fixed per
// channel) and what the unit has stored to turn raw A/D values into amperes.
#pragma once

#include "sim/UnitState.h"

#include <array>
#include <cstdint>

namespace sim {

struct ChannelCalibration
{
    std::uint8_t sensorOffset = 0; // raw A/D value with no current
    std::uint16_t sensorRatio = 0; // ratio that turns this channel's A/D into amperes exactly
    std::uint8_t storedOffset = 0;
    std::uint16_t storedRatio = 0;
    bool operator==(const ChannelCalibration &) const = default;
};

struct CalibrationState
{
    // Ratio of an uncalibrated unit, and the one used when ratios are switched off.
    static constexpr std::uint16_t DefaultRatio = 10000;
    static constexpr std::uint16_t MaxAd = 1023;                      // a 10-bit converter
    std::array<ChannelCalibration, HighPowerChannelCount> channels{}; // channel 1 first
    bool useOffset = true;
    bool useRatio = true;
    std::uint8_t focusChannel = 0; // the channel number of the last switches request

    // Uncalibrated: nothing stored yet, each channel's sensor a little off.
    static CalibrationState factory()
    {
        CalibrationState s;
        for (int ch = 1; ch <= HighPowerChannelCount; ++ch) {
            ChannelCalibration &c = s.channels[static_cast<std::size_t>(ch - 1)];
            c.sensorOffset = static_cast<std::uint8_t>(3 + ch % 7);
            c.sensorRatio = static_cast<std::uint16_t>(9000 + ch * 111);
            c.storedRatio = DefaultRatio;
        }
        return s;
    }
};

} // namespace sim
