#include "tools/Calibration.h"

#include "link/DeviceCommands.h"
#include "platform/vcl/Numbers.h"

#include <algorithm>
#include <cmath>

namespace calibration {

using namespace devlink;

namespace {

// The shunt and amplifier constant of the unit's current measurement.
constexpr double MeasurementConstant = 10.39;

std::uint16_t u16BE(const std::uint8_t *frame, std::size_t at)
{
    return static_cast<std::uint16_t>(frame[at] << 8 | frame[at + 1]);
}

QString zeroPadded(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

} // namespace

DeviceFrame ModeRequest(std::uint8_t mode)
{
    DeviceFrame f(NodeApplication, MODE_REQ, 5);
    f.set(FrameDataAt, mode);
    f.finish();
    return f;
}

DeviceFrame ChannelReadRequest(std::uint8_t channel)
{
    DeviceFrame f(NodeApplication, CAL_CHANNEL_READ_REQ, 5);
    f.set(FrameDataAt, channel);
    f.finish();
    return f;
}

DeviceFrame RatioWriteRequest(std::uint8_t channel, std::uint16_t ratio)
{
    DeviceFrame f(NodeApplication, CAL_RATIO_WRITE_REQ, 7);
    f.set(FrameDataAt, channel);
    f.setU16BE(FrameDataAt + 1, ratio);
    f.finish();
    return f;
}

DeviceFrame SwitchesRequest(bool useOffset, bool useRatio, std::uint8_t channel)
{
    DeviceFrame f(NodeApplication, CAL_SWITCHES_REQ, 6);
    const std::uint8_t flags = (useOffset ? UseOffsetFlag : 0) | (useRatio ? UseRatioFlag : 0);
    f.set(FrameDataAt, flags);
    f.set(FrameDataAt + 1, channel);
    f.finish();
    return f;
}

DeviceFrame OffsetStoreRequest()
{
    DeviceFrame f(NodeApplication, CAL_OFFSET_STORE_REQ);
    f.finish();
    return f;
}

std::optional<ChannelReading> DecodeChannelReading(const std::uint8_t *frame, std::size_t count)
{
    constexpr std::size_t Length = 12;
    if (!frame || count < Length || frame[FrameLengthAt] < Length)
        return std::nullopt;
    ChannelReading r;
    r.channel = frame[FrameDataAt];
    r.adOffset = frame[5];
    r.ratio = u16BE(frame, 6);
    r.currentTenths = u16BE(frame, 8);
    r.adValue = u16BE(frame, 10);
    if (!r.isValid())
        return std::nullopt;
    return r;
}

QString OffsetText(std::uint8_t offset)
{
    return zeroPadded(offset, 2);
}

QString RatioText(std::uint16_t ratio)
{
    return zeroPadded(ratio, 4);
}

QString CurrentText(std::uint16_t tenths)
{
    return QStringLiteral("%1.%2 A").arg(tenths / 10).arg(tenths % 10);
}

QString AdText(std::uint16_t adValue)
{
    return zeroPadded(adValue, 4);
}

RatioResult NewRatio(double amperes, int adValue, int adOffset)
{
    if (!std::isfinite(amperes))
        return {RatioError::NoCurrent};
    // No current, or an A/D value below its offset, gives the lower limit.
    const long long signal = static_cast<long long>(adValue) - adOffset;
    if (signal == 0)
        return {RatioError::NoAdSignal};
    const double r = amperes * 1000000.0 / (static_cast<double>(signal) * MeasurementConstant);
    // Compared before truncating, so that no value outside int is converted:
    // trunc(r) < MinRatio exactly when r < MinRatio, trunc(r) > MaxRatio when r >= MaxRatio + 1.
    if (r < MinRatio)
        return {RatioError::None, MinRatio};
    if (r >= MaxRatio + 1)
        return {RatioError::None, MaxRatio};
    return {RatioError::None, static_cast<int>(r)};
}

RatioResult NewRatio(const QString &current, const QString &adText, const QString &offsetText)
{
    // Text without a number is no current: 0 A.
    const double amperes = vcl::StrToFloatDot(current);
    int ad = 0;
    int offset = 0;
    if (!vcl::StrToIntStrict(adText, ad) || !vcl::StrToIntStrict(offsetText, offset))
        return {RatioError::NotRead};
    return NewRatio(amperes, ad, offset);
}

std::optional<int> StoredRatio(const QString &text)
{
    if (text.trimmed().isEmpty())
        return 0;
    int value = 0;
    if (!vcl::StrToIntStrict(text, value) || value < 0 || value > MaxStoredRatio)
        return std::nullopt;
    return value;
}

int NextRatioChannel(const Ratios &table, int after)
{
    for (int ch = std::max(after, 0) + 1; ch <= ChannelCount; ++ch)
        if (table[static_cast<std::size_t>(ch - 1)] != 0)
            return ch;
    return 0;
}

} // namespace calibration
