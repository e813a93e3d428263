// The unit's identity: read and written whole, serial number first (most
// significant byte first), then week, year - 2000 and hardware version.
#include "sim/SimulatedUnit.h"

#include "link/DeviceCommands.h"

namespace sim {

using namespace devlink;

namespace {
constexpr std::uint8_t IdentityLength = 11;
constexpr std::size_t SerialAt = 4, WeekAt = 8, YearAt = 9, HardwareAt = 10;
} // namespace

void SimulatedUnit::onSystemSetupRead(const Request &request, Replies &replies)
{
    DeviceFrame f(NodeApplication, answerCode(request), IdentityLength);
    for (std::size_t i = 0; i < 4; ++i)
        f.set(SerialAt + i, static_cast<std::uint8_t>(systemSetup_.serial >> (24 - 8 * i)));
    f.set(WeekAt, systemSetup_.week)
        .set(YearAt, systemSetup_.yearOffset)
        .set(HardwareAt, systemSetup_.hardwareVersion);
    reply(replies, f);
}

void SimulatedUnit::onSystemSetupWrite(const Request &request, Replies &replies)
{
    // dispatch() has refused a request shorter than its layout.
    std::uint32_t serial = 0;
    for (std::size_t i = 0; i < 4; ++i)
        serial = serial << 8 | request.at(SerialAt + i);
    systemSetup_.serial = serial;
    systemSetup_.week = request.at(WeekAt);
    systemSetup_.yearOffset = request.at(YearAt);
    systemSetup_.hardwareVersion = request.at(HardwareAt);
    ++systemSetup_.writes;
    DeviceFrame f(NodeApplication, answerCode(request));
    reply(replies, f);
}

SystemSetupState SimulatedUnit::systemSetup() const
{
    std::lock_guard lock(mutex_);
    return systemSetup_;
}

void SimulatedUnit::setSystemSetup(const SystemSetupState &identity)
{
    std::lock_guard lock(mutex_);
    systemSetup_ = identity;
}

} // namespace sim
