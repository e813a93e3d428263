#include "sim/SimBackend.h"

#include "sim/SimLine.h"
#include "sim/SimulatedUnit.h"

#include <atomic>
#include <chrono>

namespace sim {

namespace {

class SimDevice : public d2xx::Device
{
public:
    SimDevice(std::shared_ptr<SimLine> line, std::uint64_t session)
        : line_(std::move(line)), session_(session)
    {
    }

    // The line carries bytes whatever the line settings say.
    void setBaudRate(int) override {}
    void setDataCharacteristics(int, int, int) override {}
    void setTimeouts(int readMs, int) override { readTimeoutMs_ = readMs < 0 ? 0 : readMs; }

    bool read(std::uint8_t *buffer, std::uint32_t size, std::uint32_t &got,
              d2xx::ReadPause pause) override
    {
        got = 0;
        std::size_t n = 0;
        if (!line_->read(session_, std::span(buffer, size),
                         std::chrono::milliseconds(readTimeoutMs_.load()), n,
                         d2xx::ReadQuietGap, pause.length, {pause.cuttable, &cut_})) {
            lastError_ = d2xx::ErrorDeviceGone;
            return false;
        }
        got = static_cast<std::uint32_t>(n);
        return true;
    }

    bool write(const std::uint8_t *data, std::uint32_t size, std::uint32_t &written) override
    {
        written = 0;
        if (!line_->write(session_, std::span(data, size))) {
            lastError_ = d2xx::ErrorDeviceGone;
            return false;
        }
        written = size;
        return true;
    }

    void cutPause() override
    {
        cut_ = true;
        line_->wakeReader();
    }

    std::uint32_t lastError() const override { return lastError_; }

private:
    std::atomic<bool> cut_{false};
    std::shared_ptr<SimLine> line_;
    const std::uint64_t session_;
    std::atomic<int> readTimeoutMs_{0};
    std::atomic<std::uint32_t> lastError_{0};
};

} // namespace

SimBackend::SimBackend(SimOptions options) : unit_(std::make_shared<SimulatedUnit>())
{
    if (!options.versionText.empty())
        unit_->setVersionText(options.versionText);
    std::shared_ptr<const Clock> clock =
        options.clock ? std::move(options.clock) : std::make_shared<SteadyClock>();
    line_ = std::make_shared<SimLine>(unit_, std::move(clock), options.pacing);
}

std::vector<std::string> SimBackend::descriptions()
{
    if (!line_->plugged())
        return {};
    return {SimulatorDescription};
}

std::unique_ptr<d2xx::Device> SimBackend::open(const std::string &description)
{
    if (description != SimulatorDescription)
        return nullptr;
    const auto session = line_->openSession();
    if (!session)
        return nullptr;
    return std::make_unique<SimDevice>(line_, *session);
}

void SimBackend::unplug()
{
    line_->unplug();
}

void SimBackend::replug()
{
    line_->replug();
}

std::shared_ptr<SimBackend> makeSimBackend(SimOptions options)
{
    return std::make_shared<SimBackend>(std::move(options));
}

std::shared_ptr<SimBackend> makeUnpacedBackend()
{
    SimOptions options;
    options.pacing = false;
    return makeSimBackend(std::move(options));
}

std::shared_ptr<d2xx::Backend> makeBackend()
{
    return makeSimBackend();
}

} // namespace sim
