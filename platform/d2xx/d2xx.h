// The driver calls that the USB worker thread makes, as a small interface
// over interchangeable backends: USB-serial bridges through libserialport,
// extra serial ports named in QM5230_SERIAL_PORTS, and the simulated unit.
//
// Thread contract: Driver's methods may be called from any thread; a mutex
// guards the handle table only. Each open Device is used by one caller at a
// time (the worker thread serialises its reads and writes with open and
// close under its own device lock), except cutPause(), which another thread
// calls while the worker reads.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace d2xx {

using Handle = std::uint32_t;
inline constexpr Handle InvalidHandle = 0xFFFFFFFFu;
inline constexpr std::uint32_t StatusOk = 0;
inline constexpr std::uint32_t StatusError = 4;
// The value GetLastError gives for a device that is gone.
inline constexpr std::uint32_t ErrorDeviceGone = 5;

inline constexpr int StopBits2 = 2;
inline constexpr int ParityNone = 0;

// A read that has bytes ends once the line has been quiet this long after
// the last of them (three character times at 38400 baud 8N2), so a frame
// on the line is taken whole and a lone byte is not held to the time-out.
inline constexpr std::chrono::microseconds ReadQuietGap{900};

// The wait a read begins with: the read starts `length` after it is called,
// as if the caller had slept that long first. Within its first `cuttable`,
// the pause can be cut short (Device::cutPause): the caller would have woken
// there to write a frame, so the read then ends at that point with nothing.
struct ReadPause
{
    ReadPause(std::chrono::milliseconds length = {}, std::chrono::milliseconds cuttable = {})
        : length(length), cuttable(std::min(cuttable, length))
    {
    }
    std::chrono::milliseconds length;
    std::chrono::milliseconds cuttable;
};

// One opened device.
class Device
{
public:
    virtual ~Device() = default;
    virtual void setBaudRate(int baud) = 0;
    virtual void setDataCharacteristics(int dataBits, int stopBits, int parity) = 0;
    virtual void setTimeouts(int readMs, int writeMs) = 0;
    // Waits up to the read time-out for bytes, and once some came, until the
    // buffer is full or the line has been quiet for ReadQuietGap.
    // false = failure, lastError() says why; true with got == 0 when nothing
    // arrived within the read time-out.
    // A `pause` (never negative) is taken in the read's own wait where the
    // device allows it. Bytes that come meanwhile wait in the device until
    // it is over, as they would while the caller slept.
    virtual bool read(std::uint8_t *buffer, std::uint32_t size, std::uint32_t &got,
                      ReadPause pause) = 0;
    // Any thread: a read still in its pause ends at the end of the pause's
    // cuttable part (at once if that has passed) with nothing read. The cut
    // waits for the read when none runs yet; a read that has no cuttable
    // part, or is past its pause, drops it.
    virtual void cutPause() = 0;
    virtual bool write(const std::uint8_t *data, std::uint32_t size, std::uint32_t &written) = 0;
    virtual std::uint32_t lastError() const = 0;
};

// A source of devices.
class Backend
{
public:
    virtual ~Backend() = default;
    virtual std::vector<std::string> descriptions() = 0;
    // nullptr when no device with that description can be opened.
    virtual std::unique_ptr<Device> open(const std::string &description) = 0;
};

// The driver facade: the calls the worker thread makes, by handle.
class Driver
{
public:
    Driver() = default;
    Driver(const Driver &) = delete;
    Driver &operator=(const Driver &) = delete;

    void addBackend(std::shared_ptr<Backend> backend);
    void clearBackends();

    std::uint32_t CreateDeviceInfoList(std::uint32_t &count);
    // Description of device `index` of the last CreateDeviceInfoList.
    std::uint32_t GetDeviceInfoDetail(std::uint32_t index, std::string &description);
    Handle CreateFile(const std::string &description);
    std::uint32_t SetBaudRate(Handle h, int baud);
    std::uint32_t SetDataCharacteristics(Handle h, int dataBits, int stopBits, int parity);
    std::uint32_t SetTimeouts(Handle h, int readMs, int writeMs);
    bool ReadFile(Handle h, std::uint8_t *buffer, std::uint32_t size, std::uint32_t &got,
                  ReadPause pause = {});
    // Any thread, while another may read: Device::cutPause. Nothing for a
    // handle that is closed.
    void CutPause(Handle h);
    bool WriteFile(Handle h, const std::uint8_t *data, std::uint32_t size, std::uint32_t &written);
    std::uint32_t GetLastError(Handle h);
    std::uint32_t Close(Handle h);

private:
    std::shared_ptr<Device> device(Handle h);

    std::mutex mutex_; // guards everything below
    std::vector<std::shared_ptr<Backend>> backends_;
    std::vector<std::string> listed_;
    std::vector<std::pair<Handle, std::shared_ptr<Device>>> open_;
    Handle nextHandle_ = 1;
};

// A factory for the simulated unit's backend; the application registers it
// so that this layer does not depend on the simulator.
using BackendFactory = std::function<std::shared_ptr<Backend>()>;
void setSimulatorFactory(BackendFactory factory);

// The process-wide driver: libserialport devices, QM5230_SERIAL_PORTS and,
// when QM5230_SIMULATOR=1, the simulated unit. Built on first use.
Driver &systemDriver();

// Backends of the real system (implemented in serialbackend.cpp).
std::shared_ptr<Backend> makeUsbSerialBackend();
std::shared_ptr<Backend> makeExtraPortsBackend(const std::string &commaSeparatedPaths);

} // namespace d2xx
