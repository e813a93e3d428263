#include "platform/d2xx/d2xx.h"

#include <cstdlib>

namespace d2xx {

void Driver::addBackend(std::shared_ptr<Backend> backend)
{
    std::lock_guard lock(mutex_);
    backends_.push_back(std::move(backend));
}

void Driver::clearBackends()
{
    std::lock_guard lock(mutex_);
    backends_.clear();
    listed_.clear();
}

std::uint32_t Driver::CreateDeviceInfoList(std::uint32_t &count)
{
    std::vector<std::shared_ptr<Backend>> backends;
    {
        std::lock_guard lock(mutex_);
        backends = backends_;
    }
    std::vector<std::string> all;
    for (const auto &b : backends)
        for (auto &d : b->descriptions())
            all.push_back(std::move(d));
    std::lock_guard lock(mutex_);
    listed_ = std::move(all);
    count = static_cast<std::uint32_t>(listed_.size());
    return StatusOk;
}

std::uint32_t Driver::GetDeviceInfoDetail(std::uint32_t index, std::string &description)
{
    std::lock_guard lock(mutex_);
    if (index >= listed_.size())
        return StatusError;
    description = listed_[index];
    return StatusOk;
}

Handle Driver::CreateFile(const std::string &description)
{
    std::vector<std::shared_ptr<Backend>> backends;
    {
        std::lock_guard lock(mutex_);
        backends = backends_;
    }
    for (const auto &b : backends) {
        auto names = b->descriptions();
        bool listed = false;
        for (const auto &n : names)
            listed = listed || n == description;
        if (!listed)
            continue;
        // Another backend may list the same description and still open it.
        std::unique_ptr<Device> dev = b->open(description);
        if (!dev)
            continue;
        std::lock_guard lock(mutex_);
        Handle h = nextHandle_++;
        if (nextHandle_ == InvalidHandle)
            nextHandle_ = 1;
        open_.emplace_back(h, std::shared_ptr<Device>(std::move(dev)));
        return h;
    }
    return InvalidHandle;
}

std::shared_ptr<Device> Driver::device(Handle h)
{
    std::lock_guard lock(mutex_);
    for (auto &e : open_)
        if (e.first == h)
            return e.second;
    return nullptr;
}

std::uint32_t Driver::SetBaudRate(Handle h, int baud)
{
    auto d = device(h);
    if (!d)
        return StatusError;
    d->setBaudRate(baud);
    return StatusOk;
}

std::uint32_t Driver::SetDataCharacteristics(Handle h, int dataBits, int stopBits, int parity)
{
    auto d = device(h);
    if (!d)
        return StatusError;
    d->setDataCharacteristics(dataBits, stopBits, parity);
    return StatusOk;
}

std::uint32_t Driver::SetTimeouts(Handle h, int readMs, int writeMs)
{
    auto d = device(h);
    if (!d)
        return StatusError;
    d->setTimeouts(readMs, writeMs);
    return StatusOk;
}

bool Driver::ReadFile(Handle h, std::uint8_t *buffer, std::uint32_t size, std::uint32_t &got,
                      ReadPause pause)
{
    got = 0;
    auto d = device(h);
    return d && d->read(buffer, size, got, pause);
}

void Driver::CutPause(Handle h)
{
    if (auto d = device(h))
        d->cutPause();
}

bool Driver::WriteFile(Handle h, const std::uint8_t *data, std::uint32_t size,
                       std::uint32_t &written)
{
    written = 0;
    auto d = device(h);
    return d && d->write(data, size, written);
}

std::uint32_t Driver::GetLastError(Handle h)
{
    auto d = device(h);
    // A handle that is no longer valid behaves like a vanished device.
    return d ? d->lastError() : ErrorDeviceGone;
}

std::uint32_t Driver::Close(Handle h)
{
    std::shared_ptr<Device> closing;
    {
        std::lock_guard lock(mutex_);
        for (auto it = open_.begin(); it != open_.end(); ++it) {
            if (it->first == h) {
                closing = std::move(it->second);
                open_.erase(it);
                break;
            }
        }
    }
    return closing ? StatusOk : StatusError;
}

namespace {
BackendFactory &simulatorFactory()
{
    static BackendFactory factory;
    return factory;
}
} // namespace

void setSimulatorFactory(BackendFactory factory)
{
    simulatorFactory() = std::move(factory);
}

Driver &systemDriver()
{
    static Driver *driver = [] {
        auto *d = new Driver;
        d->addBackend(makeUsbSerialBackend());
        if (const char *ports = std::getenv("QM5230_SERIAL_PORTS"); ports && *ports)
            d->addBackend(makeExtraPortsBackend(ports));
        if (const char *sim = std::getenv("QM5230_SIMULATOR");
            sim && std::string(sim) == "1" && simulatorFactory())
            d->addBackend(simulatorFactory()());
        return d;
    }();
    return *driver;
}

} // namespace d2xx
