#include "main/DiagnosticTable.h"

#include "link/FrameCodec.h"
#include "platform/vcl/Numbers.h"

#include <algorithm>

namespace {

// Length covers the tables and lies within what was decoded.
bool Holds(const std::uint8_t *frame, std::size_t count, std::size_t length)
{
    if (!frame || count <= devlink::FrameLengthAt)
        return false;
    const std::size_t claimed = frame[devlink::FrameLengthAt];
    return claimed >= length && claimed <= count;
}

template <std::size_t N>
void Copy(std::array<std::uint8_t, N> &to, const std::uint8_t *frame, std::size_t at)
{
    std::copy_n(frame + at, N, to.begin());
}

} // namespace

std::optional<HighPowerDiagnostics> DecodeDiagnosticRead(const std::uint8_t *frame,
                                                         std::size_t count)
{
    if (!Holds(frame, count, HighPowerDiagnostics::Length))
        return std::nullopt;
    HighPowerDiagnostics d;
    Copy(d.errors, frame, HighPowerDiagnostics::ErrorsAt);
    Copy(d.tripCurrent, frame, HighPowerDiagnostics::TripCurrentAt);
    Copy(d.lowCurrent, frame, HighPowerDiagnostics::LowCurrentAt);
    return d;
}

std::optional<LowPowerDiagnostics> DecodeLowPowerDiagnosticRead(const std::uint8_t *frame,
                                                                std::size_t count)
{
    if (!Holds(frame, count, LowPowerDiagnostics::Length))
        return std::nullopt;
    LowPowerDiagnostics d;
    Copy(d.errors, frame, LowPowerDiagnostics::ErrorsAt);
    return d;
}

DiagnosticCount DiagnosticCountCell(unsigned count)
{
    count &= 0x0F;
    const QString number = QString::number(count);
    return {count == 15 ? QStringLiteral("> ") + number : number, count != 0};
}

QString TripCurrentText(std::uint8_t steps)
{
    if (steps == 0)
        return QStringLiteral("0");
    return vcl::FormatTenths(steps * 4);
}
