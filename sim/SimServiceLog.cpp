// Node 0's runtime error log and EEPROM, and node 1's system log reset.
#include "sim/SimulatedUnit.h"

#include "link/DeviceCommands.h"

#include <algorithm>

namespace sim {

using namespace devlink;

namespace {
constexpr std::size_t EntryDataAt = 21;
constexpr std::size_t EepromAddressAt = 5;
constexpr std::size_t EepromBytesAt = 7;
constexpr std::uint8_t EepromFrameLength = 23;
} // namespace

void SimulatedUnit::onErrorLogCount(const Request &request, Replies &replies)
{
    DeviceFrame f(NodeSystem, answerCode(request), 5);
    f.set(FrameDataAt,
          static_cast<std::uint8_t>(std::min<std::size_t>(errorLog_.entries.size(), 0xFF)));
    reply(replies, f);
}

void SimulatedUnit::onErrorLogEntry(const Request &request, Replies &replies)
{
    // Entries count from 1; an index the log does not hold is answered as an
    // empty entry, as the other numbered reads answer beyond their tables.
    const std::uint8_t index = request.at(FrameDataAt);
    static const ErrorLogEntry none;
    const ErrorLogEntry &e =
        index >= 1 && index <= errorLog_.entries.size() ? errorLog_.entries[index - 1u] : none;
    const std::size_t n = std::min(e.data.size(), ErrorLogState::MaxData);
    DeviceFrame f(NodeSystem, answerCode(request), static_cast<std::uint8_t>(EntryDataAt + n));
    f.set(4, index);
    for (std::size_t i = 0; i < std::min(e.fileName.size(), ErrorLogState::FileNameSize); ++i)
        f.set(5 + i, static_cast<std::uint8_t>(e.fileName[i]));
    f.setU16LE(17, e.line).set(19, e.count).set(20, static_cast<std::uint8_t>(n));
    for (std::size_t i = 0; i < n; ++i)
        f.set(EntryDataAt + i, e.data[i]);
    reply(replies, f);
}

void SimulatedUnit::onErrorLogReset(const Request &request, Replies &replies)
{
    errorLog_.entries.clear();
    DeviceFrame f(NodeSystem, answerCode(request));
    reply(replies, f);
}

void SimulatedUnit::onSystemLogReset(const Request &request, Replies &replies)
{
    ++errorLog_.systemLogResets;
    DeviceFrame f(NodeApplication, answerCode(request));
    reply(replies, f);
}

void SimulatedUnit::onEepromRead(const Request &request, Replies &replies)
{
    // The unit always moves 16 bytes, whatever byte 4 says; a block that
    // does not lie inside the EEPROM draws no answer.
    const std::size_t address = request.at(EepromAddressAt) | request.at(EepromAddressAt + 1) << 8;
    if (address + EepromState::Block > EepromState::Size)
        return;
    DeviceFrame f(NodeSystem, answerCode(request), EepromFrameLength);
    f.set(FrameDataAt, EepromState::Block)
        .setU16LE(EepromAddressAt, static_cast<std::uint16_t>(address));
    for (std::size_t i = 0; i < EepromState::Block; ++i)
        f.set(EepromBytesAt + i, eeprom_.bytes[address + i]);
    reply(replies, f);
}

void SimulatedUnit::onEepromWrite(const Request &request, Replies &replies)
{
    // Acknowledged only when stored, naming the block it stored.
    const std::size_t address = request.at(EepromAddressAt) | request.at(EepromAddressAt + 1) << 8;
    if (address + EepromState::Block > EepromState::Size)
        return;
    for (std::size_t i = 0; i < EepromState::Block; ++i)
        eeprom_.bytes[address + i] = request.at(EepromBytesAt + i);
    DeviceFrame f(NodeSystem, answerCode(request), EepromBytesAt);
    f.set(FrameDataAt, EepromState::Block)
        .setU16LE(EepromAddressAt, static_cast<std::uint16_t>(address));
    reply(replies, f);
}

ErrorLogState SimulatedUnit::errorLog() const
{
    std::lock_guard lock(mutex_);
    return errorLog_;
}

void SimulatedUnit::setErrorLog(const ErrorLogState &log)
{
    std::lock_guard lock(mutex_);
    errorLog_ = log;
}

EepromState SimulatedUnit::eeprom() const
{
    std::lock_guard lock(mutex_);
    return eeprom_;
}

void SimulatedUnit::setEeprom(const EepromState &eeprom)
{
    std::lock_guard lock(mutex_);
    eeprom_ = eeprom;
}

} // namespace sim
