// The unit's calibration requests: raw readings of the high-power channels,
// and the offsets and ratios the tool stores. As with the settings blocks, a
// request naming no high-power channel is answered with that number and no
// data (a read) or acknowledged without storing anything (a ratio write).
#include "sim/SimulatedUnit.h"

#include "link/DeviceCommands.h"

#include <algorithm>
#include <cmath>

namespace sim {

using namespace devlink;

namespace {

// The shunt and amplifier constant that relates A/D counts, ratio and amperes.
constexpr double MeasurementConstant = 10.39;

bool highPowerChannel(int channel)
{
    return channel >= 1 && channel <= HighPowerChannelCount;
}

} // namespace

CalibrationState SimulatedUnit::calibration() const
{
    std::lock_guard lock(mutex_);
    return calibration_;
}

std::uint16_t SimulatedUnit::rawAdLocked(int channel) const
{
    const ChannelCalibration &c = calibration_.channels[static_cast<std::size_t>(channel - 1)];
    const double amperes =
        live_.outputs[static_cast<std::size_t>(channel - 1)].currentTenths / 10.0;
    const double counts = amperes * 1000000.0 / (c.sensorRatio * MeasurementConstant);
    return static_cast<std::uint16_t>(
        std::min<long>(c.sensorOffset + std::lround(counts), CalibrationState::MaxAd));
}

void SimulatedUnit::onCalChannelRead(const Request &request, Replies &replies)
{
    const int ch = request.at(FrameDataAt);
    DeviceFrame f(NodeApplication, answerCode(request), 12);
    f.set(FrameDataAt, static_cast<std::uint8_t>(ch));
    if (!highPowerChannel(ch)) {
        reply(replies, f);
        return;
    }
    const ChannelCalibration &c = calibration_.channels[static_cast<std::size_t>(ch - 1)];
    const std::uint16_t ad = rawAdLocked(ch);
    const int offset = calibration_.useOffset ? c.storedOffset : 0;
    const int ratio = calibration_.useRatio ? c.storedRatio : CalibrationState::DefaultRatio;
    const double tenths = std::max(0, ad - offset) * ratio * MeasurementConstant / 100000.0;
    f.set(5, c.storedOffset);
    f.setU16BE(6, c.storedRatio);
    f.setU16BE(8, static_cast<std::uint16_t>(std::min<long>(std::lround(tenths), 0xFFFF)));
    f.setU16BE(10, ad);
    reply(replies, f);
}

void SimulatedUnit::onCalRatioWrite(const Request &request, Replies &replies)
{
    const int ch = request.at(FrameDataAt);
    if (highPowerChannel(ch))
        calibration_.channels[static_cast<std::size_t>(ch - 1)].storedRatio =
            static_cast<std::uint16_t>(request.at(FrameDataAt + 1) << 8 |
                                       request.at(FrameDataAt + 2));
    DeviceFrame f(NodeApplication, answerCode(request), 5);
    f.set(FrameDataAt, static_cast<std::uint8_t>(ch));
    reply(replies, f);
}

void SimulatedUnit::onCalSwitches(const Request &request, Replies &)
{
    // The firmware sends no answer to the switches.
    const std::uint8_t flags = request.at(FrameDataAt);
    calibration_.useOffset = (flags & 0x02) != 0;
    calibration_.useRatio = (flags & 0x04) != 0;
    calibration_.focusChannel = request.at(FrameDataAt + 1);
}

void SimulatedUnit::onCalOffsetStore(const Request &request, Replies &replies)
{
    // The unit takes what it reads now as its zero: right only with the outputs unloaded.
    for (int ch = 1; ch <= HighPowerChannelCount; ++ch)
        calibration_.channels[static_cast<std::size_t>(ch - 1)].storedOffset =
            static_cast<std::uint8_t>(std::min<int>(rawAdLocked(ch), 0xFF));
    DeviceFrame f(NodeApplication, answerCode(request));
    reply(replies, f);
}

} // namespace sim
