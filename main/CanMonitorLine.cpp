#include "main/CanMonitorLine.h"

#include "link/FrameCodec.h"

#include <algorithm>

std::optional<CanMonitorMessage> DecodeCanMonitorInd(const std::uint8_t *frame, std::size_t count)
{
    if (!frame || count <= devlink::FrameLengthAt)
        return std::nullopt;
    const std::size_t length = frame[devlink::FrameLengthAt];
    if (length <= CanMonitorMessage::CountAt || length > count)
        return std::nullopt;
    CanMonitorMessage m;
    m.id = static_cast<std::uint16_t>(frame[CanMonitorMessage::IdAt] |
                                      frame[CanMonitorMessage::IdAt + 1] << 8);
    m.declared = frame[CanMonitorMessage::CountAt];
    const std::size_t n = std::min<std::size_t>(m.declared, length - CanMonitorMessage::DataAt);
    m.data.assign(frame + CanMonitorMessage::DataAt, frame + CanMonitorMessage::DataAt + n);
    return m;
}

namespace {

QString Hex(unsigned value, int width, QChar fill)
{
    return QStringLiteral("%1").arg(value, width, 16, fill).toUpper();
}

QString Two(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

QString CanMonitorLine(const QTime &at, const CanMonitorMessage &message,
                       std::span<const CanInputRecord> inputs)
{
    QString line = Two(at.hour()) + ':' + Two(at.minute()) + ':' + Two(at.second()) + '.' +
                   QStringLiteral("%1").arg(at.msec(), 3, 10, QLatin1Char('0')) +
                   QStringLiteral("> ID=") + Hex(message.id, 4, QLatin1Char(' ')) +
                   QStringLiteral(", Data=");
    for (std::uint8_t b : message.data)
        line += ' ' + Hex(b, 2, QLatin1Char('0'));
    if (message.id != 0)
        for (const CanInputRecord &input : inputs)
            if (input.CanIdOn == message.id || input.CanIdOff == message.id)
                line += QStringLiteral(", ") + NameFromField(input.Name, sizeof input.Name);
    return line;
}
