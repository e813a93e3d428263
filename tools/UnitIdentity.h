// The unit's identity (serial number, production week and year, hardware
// version) as SYSTEM_SETUP_READ_CFM carries it and SYSTEM_SETUP_WRITE_REQ
// writes it, and its text form in the system setup window. Plain data; any
// thread.
#pragma once

#include "link/FrameCodec.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

inline constexpr std::uint8_t IdentityFrameLength = 11;
inline constexpr std::size_t IdentitySerialAt = 4; // u32, most significant byte first
inline constexpr std::size_t IdentityWeekAt = 8;
inline constexpr std::size_t IdentityYearAt = 9; // year - 2000
inline constexpr std::size_t IdentityHardwareAt = 10;

// Ranges of the typed identity: each is whatever fits its field. The serial
// number edit takes eight digits when typed, but a unit may hold a larger one.
inline constexpr std::uint32_t MaxSerial = 0xFFFFFFFF;
inline constexpr int FirstWritableYear = 2006, LastWritableYear = 2099;

struct UnitIdentity
{
    std::uint32_t serial = 0;
    std::uint8_t week = 0;
    std::uint8_t yearOffset = 0; // years after 2000
    std::uint8_t hardwareVersion = 0;
    bool operator==(const UnitIdentity &) const = default;
};

// The four fields of a valid frame of at least IdentityFrameLength bytes
// (`count` bytes decoded); nullopt for a shorter or corrupt frame.
std::optional<UnitIdentity> DecodeIdentity(const std::uint8_t *frame, std::size_t count);
// SYSTEM_SETUP_WRITE_REQ with the checksum.
devlink::DeviceFrame EncodeIdentityWrite(const UnitIdentity &identity);

// Text of each field as the window shows it, whatever the unit holds.
QString SerialText(std::uint32_t serial);   // "00004660"
QString YearText(std::uint8_t yearOffset);  // "2007"; 120 gives "20120"
QString WeekText(std::uint8_t week);        // "07"
QString HardwareText(std::uint8_t version); // "03"

// The identity typed into the window's edits, or the message that says which
// entry is wrong: a year outside 2006..2099, or a value that would wrap its
// field. Values are never cut into range.
struct IdentityEntry
{
    std::optional<UnitIdentity> identity;
    QString error;
};
IdentityEntry ParseIdentity(const QString &serial, const QString &year, const QString &week,
                            const QString &hardware);

inline constexpr const char *YearError = " NOT a Valit Year, 2006-2099";
