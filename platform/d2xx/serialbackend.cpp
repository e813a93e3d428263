#include "platform/d2xx/serialbackend.h"

#include <libserialport.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace d2xx {

namespace {

using Clock = std::chrono::steady_clock;

inline constexpr int StopBits1 = 0;
inline constexpr int ParityOdd = 1;
inline constexpr int ParityEven = 2;
inline constexpr int DefaultReadTimeoutMs = 5;
inline constexpr int DefaultWriteTimeoutMs = 100;

struct SpeedEntry
{
    int baud;
    speed_t speed;
};

constexpr SpeedEntry speeds[] = {
    {300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},   {4800, B4800},
    {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600}, {115200, B115200},
    {230400, B230400}, {460800, B460800}, {921600, B921600},
};

bool isGoneErrno(int err)
{
    return err == EIO || err == ENXIO || err == ENODEV;
}

// Milliseconds left until `deadline`, rounded up so that a wait never ends
// early; 0 once it has passed.
int msUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Time left until `deadline` for ppoll; zero once it has passed.
timespec leftUntil(Clock::time_point deadline)
{
    const auto left = std::max(Clock::duration::zero(), deadline - Clock::now());
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    return timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
}

// A serial port opened as a POSIX terminal. Non-blocking with VMIN 1, so a
// read with nothing pending gives EAGAIN and a read of 0 bytes means
// end-of-file (a hung-up terminal).
class SerialDevice final : public Device
{
public:
    SerialDevice(int fd, std::string path)
        : fd_(fd), cutFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), path_(std::move(path))
    {
    }
    ~SerialDevice() override
    {
        if (cutFd_ >= 0)
            ::close(cutFd_);
        // Output for a vanished device would never drain; do not let close wait for it.
        if (gone_)
            ::tcflush(fd_, TCOFLUSH);
        // A pty keeps the flag after its slave closes; the next opener must not find it.
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
    }
    SerialDevice(const SerialDevice &) = delete;
    SerialDevice &operator=(const SerialDevice &) = delete;

    // Raw line without flow control at the default settings.
    bool configure()
    {
        termios tio{};
        if (::tcgetattr(fd_, &tio) != 0)
            return false;
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cflag &= ~CRTSCTS;
        tio.c_iflag &= ~(IXON | IXOFF | IXANY);
        tio.c_cc[VMIN] = 1;
        tio.c_cc[VTIME] = 0;
        if (::tcsetattr(fd_, TCSANOW, &tio) != 0)
            return false;
        setBaudRate(DefaultBaudRate);
        setDataCharacteristics(8, StopBits2, ParityNone);
        return lastError_ == 0;
    }

    void setBaudRate(int baud) override
    {
        const auto *entry = std::find_if(std::begin(speeds), std::end(speeds),
                                         [baud](const SpeedEntry &e) { return e.baud == baud; });
        if (entry == std::end(speeds)) {
            lastError_ = ErrorIoFailed;
            return;
        }
        changeLine([entry](termios &tio) {
            ::cfsetispeed(&tio, entry->speed);
            ::cfsetospeed(&tio, entry->speed);
        });
    }

    void setDataCharacteristics(int dataBits, int stopBits, int parity) override
    {
        constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
        if (dataBits < 5 || dataBits > 8 || (stopBits != StopBits1 && stopBits != StopBits2) ||
            (parity != ParityNone && parity != ParityOdd && parity != ParityEven)) {
            lastError_ = ErrorIoFailed;
            return;
        }
        const tcflag_t size = sizes[dataBits - 5];
        changeLine([=](termios &tio) {
            tio.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD);
            tio.c_cflag |= size;
            if (stopBits == StopBits2)
                tio.c_cflag |= CSTOPB;
            if (parity != ParityNone)
                tio.c_cflag |= PARENB;
            if (parity == ParityOdd)
                tio.c_cflag |= PARODD;
        });
    }

    void setTimeouts(int readMs, int writeMs) override
    {
        readTimeout_ = std::chrono::milliseconds(std::max(readMs, 0));
        writeTimeout_ = std::chrono::milliseconds(std::max(writeMs, 0));
    }

    bool read(std::uint8_t *buffer, std::uint32_t size, std::uint32_t &got,
              ReadPause pause) override
    {
        got = 0;
        if (gone_)
            return fail(ErrorDeviceGone);
        const auto called = Clock::now();
        const auto start = called + pause.length;
        const auto deadline = start + readTimeout_;
        if (pause.length > pause.length.zero() &&
            waitOutPause(start, deadline, called + pause.cuttable,
                         pause.cuttable > pause.cuttable.zero()))
            return true;
        const bool ok = readPort(buffer, size, got, deadline);
        dropCut(); // raised after the pause was over
        lineBusy_ = got > 0;
        return ok;
    }

    void cutPause() override
    {
        if (cutFd_ < 0)
            return;
        const std::lock_guard lock(cutMutex_);
        if (cutRaised_ == Clock::time_point::max())
            cutRaised_ = Clock::now();
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(cutFd_, &one, sizeof one);
    }

    bool write(const std::uint8_t *data, std::uint32_t size, std::uint32_t &written) override
    {
        written = 0;
        if (gone_)
            return fail(ErrorDeviceGone);
        const auto deadline = Clock::now() + writeTimeout_;
        bool hungUp = false;
        bool finalPoll = false; // the poll at the deadline was made
        while (written < size) {
            const ssize_t n = ::write(fd_, data + written, size - written);
            if (n > 0) {
                written += static_cast<std::uint32_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN)
                return failAfter(written, errno);
            if (hungUp) {
                gone_ = true;
                return written > 0 || fail(ErrorDeviceGone);
            }
            if (finalPoll)
                break;
            const int waitMs = msUntil(deadline);
            finalPoll = waitMs == 0;
            pollfd pfd{fd_, POLLOUT, 0};
            const int ready = ::poll(&pfd, 1, waitMs);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready < 0)
                return failAfter(written, errno);
            if (ready == 0)
                break;
            hungUp = (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
        }
        return true;
    }

    std::uint32_t lastError() const override { return lastError_; }

private:
    // Sleeps until `start`. Bytes that come meanwhile wait in the port. A
    // hang-up (seen by the read after the pause) or, when `cuttable`, a cut
    // wakes it; a cut raised before `start` ends the pause at `cutAt` instead
    // (at once if that has passed): true, and the read has nothing. The time
    // the cut was raised decides, not the time this thread gets to see it.
    // After a read that had bytes the line is most likely still sending, and
    // bytes do not wake the pause. After a quiet read they do, so that a
    // quiet line is waited for once, up to `deadline`, instead of once for
    // the pause and once more for the read; the first byte then leaves the
    // rest of the pause to a wait that bytes do not end.
    bool waitOutPause(Clock::time_point start, Clock::time_point deadline, Clock::time_point cutAt,
                      bool cuttable)
    {
        // With no events asked of the port, poll reports a hang-up or an error only.
        pollfd fds[2] = {{fd_, lineBusy_ ? short(0) : short(POLLIN), 0},
                         {cuttable ? cutFd_ : -1, POLLIN, 0}};
        bool cutting = false;
        for (;;) {
            const auto until = cutting ? cutAt : fds[0].events != 0 ? deadline : start;
            const timespec wait = leftUntil(until);
            // Polled even once the time is over, so that a cut raised in time
            // is not missed by a thread that woke late.
            const bool over = wait.tv_sec == 0 && wait.tv_nsec == 0;
            const int ready = ::ppoll(fds, 2, &wait, nullptr);
            if (ready < 0 && errno != EINTR) {
                if (over)
                    return cutting;
                ::nanosleep(&wait, nullptr);
                continue;
            }
            if (ready <= 0) {
                if (over)
                    return cutting;
                continue;
            }
            if ((fds[1].revents & POLLIN) != 0) {
                fds[1].fd = -1;
                cutting = dropCut() < start;
                if (!cutting)
                    return false;
                continue;
            }
            if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
                fds[0].fd = -1;
            else if (fds[0].revents != 0 && Clock::now() >= start)
                return false; // the first byte, in the read's own time
            fds[0].events = 0;
        }
    }

    // Lowers a raised cut; the time it was raised, or Clock::time_point::max()
    // if none was.
    Clock::time_point dropCut()
    {
        if (cutFd_ < 0)
            return Clock::time_point::max();
        const std::lock_guard lock(cutMutex_);
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t n = ::read(cutFd_, &count, sizeof count);
        return std::exchange(cutRaised_, Clock::time_point::max());
    }

    bool readPort(std::uint8_t *buffer, std::uint32_t size, std::uint32_t &got,
                  Clock::time_point deadline)
    {
        Clock::time_point lastArrived{};
        bool hungUp = false;
        bool finalPoll = false; // the poll at the end of the wait was made
        while (got < size) {
            const ssize_t n = ::read(fd_, buffer + got, size - got);
            if (n > 0) {
                got += static_cast<std::uint32_t>(n);
                lastArrived = Clock::now();
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN)
                return failAfter(got, errno);
            // Nothing pending, or end-of-file: only the poll below tells a
            // hang-up from a quiet line.
            if (hungUp || finalPoll)
                break;
            if (got > 0) {
                // Bytes came: look again once the quiet gap has passed, rather
                // than waking for every byte; nothing new by then ends the read.
                if (Clock::now() >= std::min(deadline, lastArrived + ReadQuietGap))
                    break;
                const timespec gap = leftUntil(std::min(deadline, Clock::now() + ReadQuietGap));
                ::nanosleep(&gap, nullptr);
                continue;
            }
            const timespec wait = leftUntil(deadline);
            finalPoll = wait.tv_sec == 0 && wait.tv_nsec == 0;
            pollfd pfd{fd_, POLLIN, 0};
            const int ready = ::ppoll(&pfd, 1, &wait, nullptr);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready < 0)
                return failAfter(got, errno);
            if (ready == 0)
                break;
            // Read once more: bytes that came before the hang-up still count.
            hungUp = (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
        }
        if (got > 0) {
            gone_ = gone_ || hungUp;
            return true;
        }
        if (hungUp || nodeVanished()) {
            gone_ = true;
            return fail(ErrorDeviceGone);
        }
        return true;
    }

    template <typename Change> void changeLine(Change change)
    {
        termios tio{};
        if (::tcgetattr(fd_, &tio) != 0) {
            lastError_ = isGoneErrno(errno) ? ErrorDeviceGone : ErrorIoFailed;
            return;
        }
        change(tio);
        if (::tcsetattr(fd_, TCSANOW, &tio) != 0)
            lastError_ = isGoneErrno(errno) ? ErrorDeviceGone : ErrorIoFailed;
    }

    bool fail(std::uint32_t error)
    {
        lastError_ = error;
        return false;
    }

    // A transfer that failed with `err` after `done` bytes: the bytes count
    // as success, and a vanished device fails the next call instead.
    bool failAfter(std::uint32_t done, int err)
    {
        if (isGoneErrno(err))
            gone_ = true;
        if (done > 0)
            return true;
        return fail(gone_ ? ErrorDeviceGone : ErrorIoFailed);
    }

    // An idle port reads nothing too; only a node that disappeared (an
    // unplugged adapter, a removed link) means the device is gone.
    bool nodeVanished() const
    {
        struct stat st = {};
        return ::stat(path_.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR);
    }

    int fd_;
    int cutFd_;           // raised by cutPause(); -1 if it could not be made, and nothing is cut
    std::mutex cutMutex_; // guards cutRaised_ and the count in cutFd_, any thread
    Clock::time_point cutRaised_ = Clock::time_point::max(); // when the raised cut was raised
    std::string path_;
    std::chrono::milliseconds readTimeout_{DefaultReadTimeoutMs};
    std::chrono::milliseconds writeTimeout_{DefaultWriteTimeoutMs};
    std::uint32_t lastError_ = 0;
    bool gone_ = false;
    bool lineBusy_ = false; // the last read had bytes
};

struct UsbPort
{
    std::string path;
    std::string product;
};

// USB serial ports with a product string, ordered by device path so that the
// list keeps its order between enumerations.
std::vector<UsbPort> listUsbPorts()
{
    sp_port **ports = nullptr;
    if (sp_list_ports(&ports) != SP_OK || !ports)
        return {};
    std::vector<UsbPort> found;
    for (sp_port **p = ports; *p; ++p) {
        if (sp_get_port_transport(*p) != SP_TRANSPORT_USB)
            continue;
        const char *product = sp_get_port_usb_product(*p);
        const char *name = sp_get_port_name(*p);
        if (product && *product && name)
            found.push_back({name, product});
    }
    sp_free_port_list(ports);
    std::sort(found.begin(), found.end(),
              [](const UsbPort &a, const UsbPort &b) { return a.path < b.path; });
    return found;
}

class UsbSerialBackend final : public Backend
{
public:
    std::vector<std::string> descriptions() override
    {
        std::vector<std::string> names;
        for (auto &port : listUsbPorts())
            names.push_back(std::move(port.product));
        return names;
    }

    // Several adapters may share a description: the first that opens wins.
    std::unique_ptr<Device> open(const std::string &description) override
    {
        for (const auto &port : listUsbPorts()) {
            if (port.product != description)
                continue;
            if (auto device = openSerialDevice(port.path))
                return device;
        }
        return nullptr;
    }
};

class ExtraPortsBackend final : public Backend
{
public:
    explicit ExtraPortsBackend(std::vector<std::string> paths) : paths_(std::move(paths)) {}

    // Only ports whose node exists are listed, as only attached devices are.
    std::vector<std::string> descriptions() override
    {
        std::vector<std::string> present;
        for (const auto &path : paths_) {
            struct stat st = {};
            if (::stat(path.c_str(), &st) == 0)
                present.push_back(path);
        }
        return present;
    }

    std::unique_ptr<Device> open(const std::string &description) override
    {
        if (std::find(paths_.begin(), paths_.end(), description) == paths_.end())
            return nullptr;
        return openSerialDevice(description);
    }

private:
    const std::vector<std::string> paths_;
};

} // namespace

std::vector<std::string> splitPortList(std::string_view list)
{
    constexpr std::string_view blanks = " \t\r\n";
    std::vector<std::string> paths;
    while (!list.empty()) {
        const auto comma = list.find(',');
        std::string_view item = list.substr(0, comma);
        list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
        const auto first = item.find_first_not_of(blanks);
        if (first == std::string_view::npos)
            continue;
        item = item.substr(first, item.find_last_not_of(blanks) - first + 1);
        paths.emplace_back(item);
    }
    return paths;
}

std::unique_ptr<Device> openSerialDevice(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    if (!::isatty(fd)) {
        ::close(fd);
        return nullptr;
    }
    // Like the driver library, one opener at a time; best effort (privileged
    // processes are not held back by it).
    ::ioctl(fd, TIOCEXCL);
    auto device = std::make_unique<SerialDevice>(fd, path);
    if (!device->configure())
        return nullptr;
    return device;
}

std::shared_ptr<Backend> makeUsbSerialBackend()
{
    return std::make_shared<UsbSerialBackend>();
}

std::shared_ptr<Backend> makeExtraPortsBackend(const std::string &commaSeparatedPaths)
{
    return std::make_shared<ExtraPortsBackend>(splitPortList(commaSeparatedPaths));
}

} // namespace d2xx
