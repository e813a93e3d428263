#include "tools/PingFrames.h"

#include "link/DeviceCommands.h"
#include "link/FrameCodec.h"

#include <algorithm>

using namespace devlink;

void BuildPingRequest(PingBuffer &buffer, std::span<const std::uint8_t> data)
{
    buffer.fill(0);
    const std::size_t n = std::min<std::size_t>(data.size(), MaxPingData);
    buffer[FrameLengthAt] = PingRequestLength;
    buffer[FrameNodeAt] = NodeSystem;
    buffer[FrameCommandAt] = PING_REQ;
    buffer[PingCountAt] = static_cast<std::uint8_t>(n);
    std::copy_n(data.begin(), n, buffer.begin() + PingDataAt);
    buffer[FrameChecksumAt] = FrameChecksum(buffer.data() + 1, PingRequestLength - 1);
}

std::span<const std::uint8_t> PingEchoData(const std::uint8_t *answer, std::size_t count)
{
    if (count <= FrameLengthAt)
        return {};
    const std::size_t length = std::min<std::size_t>(answer[FrameLengthAt], count);
    if (length <= PingDataAt)
        return {};
    const std::size_t held = std::min<std::size_t>(length - PingDataAt, answer[PingCountAt]);
    return {answer + PingDataAt, held};
}

PingEcho CheckPingEcho(const PingBuffer &sent, const std::uint8_t *answer, std::size_t count)
{
    if (count <= PingCountAt || answer[FrameLengthAt] <= PingCountAt)
        return PingEcho::Truncated;
    const std::uint8_t n = answer[PingCountAt];
    const std::span<const std::uint8_t> echo = PingEchoData(answer, count);
    if (echo.size() < n)
        return PingEcho::Truncated;
    // An echo of no bytes has nothing that could differ.
    if (n != 0 && n != sent[PingCountAt])
        return PingEcho::WrongCount;
    return std::equal(echo.begin(), echo.end(), sent.begin() + PingDataAt) ? PingEcho::Match
                                                                           : PingEcho::WrongData;
}

QString PingLogLine(QTime at, const char *what, std::span<const std::uint8_t> data)
{
    QString line = QString::number(at.second()) + ':' + QString::number(at.msec()) + ": " +
                   QLatin1String(what) + " - Data: ";
    for (std::uint8_t b : data)
        line += QString::number(b, 16).toUpper().rightJustified(2, '0') + ':';
    return line;
}
