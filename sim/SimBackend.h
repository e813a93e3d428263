// The simulated unit as a device of the driver layer: one device described
// as "QM5230 Simulator" whose reads and writes go over a SimLine to a
// SimulatedUnit. Tests reach the unit and the line behind it to change the
// unit's state and to bend the link.
//
// Thread contract: descriptions(), open(), unplug(), replug(), unit() and
// line() may be called from any thread. Each opened device is used by one
// thread at a time (the tool's worker), while any thread pokes the unit and
// the line, which guard themselves. A device holds the line alive, so it may
// outlive the backend. Unlike a real bridge the device may be opened more
// than once; every device then shares the one line.
#pragma once

#include "platform/d2xx/d2xx.h"
#include "sim/SimClock.h"

#include <memory>
#include <string>
#include <vector>

namespace sim {

class SimulatedUnit;
class SimLine;

inline constexpr const char *SimulatorDescription = "QM5230 Simulator";

struct SimOptions
{
    bool pacing = true;
    std::shared_ptr<const Clock> clock; // a SteadyClock when empty
    std::string versionText;            // the unit's default when empty
};

class SimBackend : public d2xx::Backend
{
public:
    explicit SimBackend(SimOptions options = {});

    std::vector<std::string> descriptions() override;
    std::unique_ptr<d2xx::Device> open(const std::string &description) override;

    SimulatedUnit &unit() const { return *unit_; }
    SimLine &line() const { return *line_; }

    // Pulling the cable: the device leaves the list and open devices fail
    // with d2xx::ErrorDeviceGone; plugging it back lists it again.
    void unplug();
    void replug();

private:
    std::shared_ptr<SimulatedUnit> unit_;
    std::shared_ptr<SimLine> line_;
};

std::shared_ptr<SimBackend> makeSimBackend(SimOptions options = {});
// For tests that want the bytes at once: no line-rate pacing, steady clock.
std::shared_ptr<SimBackend> makeUnpacedBackend();
// The backend the application registers: paced, on the steady clock.
std::shared_ptr<d2xx::Backend> makeBackend();

} // namespace sim
