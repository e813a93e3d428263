// Current calibration of the high-power channels without a window: the
// frames of the calibration exchange, the decoded channel reading and the
// new-ratio computation. Pure functions; any thread.
#pragma once

#include "link/FrameCodec.h"

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace calibration {

inline constexpr int ChannelCount = 18; // the high-power channels 1..18
inline constexpr std::uint8_t ModeCalibration = 2;
inline constexpr std::uint8_t UseOffsetFlag = 0x02;
inline constexpr std::uint8_t UseRatioFlag = 0x04;
inline constexpr int MinRatio = 5000;  // the computation's limits only:
inline constexpr int MaxRatio = 25000; // a typed ratio may lie outside them
inline constexpr int MaxStoredRatio = 0xFFFF;
inline constexpr int MaxSwitchChannel = 99;  // where the "+" button stops counting
inline constexpr int MaxSwitchNumber = 0xFF;  // the switches carry the number in one byte

constexpr bool IsChannel(int channel)
{
    return channel >= 1 && channel <= ChannelCount;
}

devlink::DeviceFrame ModeRequest(std::uint8_t mode);
devlink::DeviceFrame ChannelReadRequest(std::uint8_t channel);
devlink::DeviceFrame RatioWriteRequest(std::uint8_t channel, std::uint16_t ratio);
devlink::DeviceFrame SwitchesRequest(bool useOffset, bool useRatio, std::uint8_t channel);
devlink::DeviceFrame OffsetStoreRequest();

// One CAL_CHANNEL_READ_CFM.
struct ChannelReading
{
    std::uint8_t channel = 0;
    std::uint8_t adOffset = 0;
    std::uint16_t ratio = 0;
    std::uint16_t currentTenths = 0;
    std::uint16_t adValue = 0;
    bool isValid() const { return IsChannel(channel); }
};
// Reads a frame of `count` decoded bytes; nullopt when it is no complete
// channel reading (short, or a channel the unit has no high-power output for).
std::optional<ChannelReading> DecodeChannelReading(const std::uint8_t *frame, std::size_t count);

// The texts a reading shows in its channel's row.
QString OffsetText(std::uint8_t offset);   // "%02d"
QString RatioText(std::uint16_t ratio);    // "%04d"
QString CurrentText(std::uint16_t tenths); // "%d.%d A"
QString AdText(std::uint16_t adValue);     // "%04d"

enum class RatioError {
    None,
    NoCurrent,  // the measured current is not finite
    NotRead,    // the A/D texts hold no reading yet
    NoAdSignal, // A/D value equal to the offset: the ratio has no divisor
};

struct RatioResult
{
    RatioError error = RatioError::None;
    int ratio = 0; // MinRatio..MaxRatio when error is None
    bool isValid() const { return error == RatioError::None; }
};

// ratio = I * 1,000,000 / ((A/D - offset) * 10.39), truncated and held
// within MinRatio..MaxRatio. `current` is in amperes, ',' or '.' as point;
// text without a number counts as 0 A.
RatioResult NewRatio(const QString &current, const QString &adText, const QString &offsetText);
// The same on numbers already read.
RatioResult NewRatio(double amperes, int adValue, int adOffset);

// A new ratio as typed: empty text and 0 mean nothing to store (0); otherwise
// a whole number up to MaxStoredRatio, nullopt for anything else.
std::optional<int> StoredRatio(const QString &text);

// Ratios waiting to be written, channel 1 at index 0; 0 means nothing to store.
using Ratios = std::array<std::int32_t, ChannelCount>;
// Lowest channel above `after` with a ratio to store, 0 when none is left.
int NextRatioChannel(const Ratios &table, int after);

} // namespace calibration
