#include "tools/UnitIdentity.h"

#include "link/DeviceCommands.h"
#include "platform/vcl/Numbers.h"

using namespace devlink;

std::optional<UnitIdentity> DecodeIdentity(const std::uint8_t *frame, std::size_t count)
{
    if (!IsValidFrame(frame, count) || frame[FrameLengthAt] < IdentityFrameLength)
        return std::nullopt;
    UnitIdentity id;
    for (std::size_t i = 0; i < 4; ++i)
        id.serial = id.serial << 8 | frame[IdentitySerialAt + i];
    id.week = frame[IdentityWeekAt];
    id.yearOffset = frame[IdentityYearAt];
    id.hardwareVersion = frame[IdentityHardwareAt];
    return id;
}

DeviceFrame EncodeIdentityWrite(const UnitIdentity &identity)
{
    DeviceFrame f(NodeApplication, SYSTEM_SETUP_WRITE_REQ, IdentityFrameLength);
    for (std::size_t i = 0; i < 4; ++i)
        f.set(IdentitySerialAt + i, static_cast<std::uint8_t>(identity.serial >> (24 - 8 * i)));
    f.set(IdentityWeekAt, identity.week)
        .set(IdentityYearAt, identity.yearOffset)
        .set(IdentityHardwareAt, identity.hardwareVersion)
        .finish();
    return f;
}

QString SerialText(std::uint32_t serial)
{
    return QString::number(serial).rightJustified(8, '0');
}

QString YearText(std::uint8_t yearOffset)
{
    return "20" + QString::number(yearOffset).rightJustified(2, '0');
}

QString WeekText(std::uint8_t week)
{
    return QString::number(week).rightJustified(2, '0');
}

QString HardwareText(std::uint8_t version)
{
    return QString::number(version).rightJustified(2, '0');
}

namespace {

// A whole number within 0..max: what lies outside would wrap in its field.
std::optional<int> Whole(const QString &typed, int max)
{
    int value = 0;
    if (!vcl::StrToIntStrict(typed, value) || value < 0 || value > max)
        return std::nullopt;
    return value;
}

// The serial number's field is wider than int.
std::optional<std::uint32_t> Serial(const QString &typed)
{
    bool ok = false;
    const qlonglong value = typed.trimmed().toLongLong(&ok, 10);
    if (!ok || value < 0 || value > static_cast<qlonglong>(MaxSerial))
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

} // namespace

IdentityEntry ParseIdentity(const QString &serial, const QString &year, const QString &week,
                            const QString &hardware)
{
    const std::optional<std::uint32_t> s = Serial(serial);
    if (!s)
        return {std::nullopt, "Not a valid serial number, 0-4294967295"};
    int y = 0;
    if (!vcl::StrToIntStrict(year, y) || y < FirstWritableYear || y > LastWritableYear)
        return {std::nullopt, YearError};
    const std::optional<int> w = Whole(week, 255);
    if (!w)
        return {std::nullopt, "Not a valid production week, 0-255"};
    const std::optional<int> h = Whole(hardware, 255);
    if (!h)
        return {std::nullopt, "Not a valid hardware version, 0-255"};
    UnitIdentity id;
    id.serial = *s;
    id.yearOffset = static_cast<std::uint8_t>(y - 2000);
    id.week = static_cast<std::uint8_t>(*w);
    id.hardwareVersion = static_cast<std::uint8_t>(*h);
    return {id, {}};
}
