// One line of the CAN monitor: a CAN_MONITOR_IND decoded within its frame and
// written as the monitor and its log file show it. Plain logic, no windows.
#pragma once

#include "config/Settingsunit.h"

#include <QString>
#include <QTime>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

struct CanMonitorMessage
{
    static constexpr std::size_t IdAt = 4, CountAt = 6, DataAt = 7;
    std::uint16_t id = 0;
    std::vector<std::uint8_t> data; // the bytes that arrived
    std::uint8_t declared = 0;      // the count the unit gave
    bool truncated() const { return data.size() < declared; }
};

// The message of a frame whose Length reaches its count byte; the data are
// the bytes the unit announced, as far as Length covers them. nullopt for a
// shorter frame or one whose Length claims more than the `count` bytes decoded.
std::optional<CanMonitorMessage> DecodeCanMonitorInd(const std::uint8_t *frame, std::size_t count);

// "hh:mm:ss.zzz> ID=%4X, Data= 01 A0" and ", name" for each CAN input whose on
// or off identifier is the message's (none for identifier 0), in input order.
QString CanMonitorLine(const QTime &at, const CanMonitorMessage &message,
                       std::span<const CanInputRecord> inputs);
