// The serial backends against pseudo-terminals: the test holds the master
// side and plays the unit, the device under test opens the slave side.
#include "platform/d2xx/serialbackend.h"

#include <gtest/gtest.h>

#include <chrono>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Bound on the waits for bytes crossing the pty; reached only when a test fails.
constexpr int MaxTries = 500;

struct Pty
{
    int master = -1;
    std::string slavePath;

    Pty()
    {
        int slave = -1;
        char name[128] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        termios tio{};
        ::tcgetattr(slave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
        ::close(slave);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        slavePath = name;
    }
    ~Pty()
    {
        if (master >= 0)
            ::close(master);
    }
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    void send(const std::string &bytes) const
    {
        ASSERT_EQ(::write(master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }

    // Up to `count` bytes that the device wrote.
    std::string receive(std::size_t count) const
    {
        std::string got;
        char buffer[4096];
        for (int i = 0; i < MaxTries && got.size() < count; ++i) {
            const ssize_t n = ::read(master, buffer, std::min(sizeof buffer, count - got.size()));
            if (n > 0)
                got.append(buffer, std::size_t(n));
            pollfd pfd{master, POLLIN, 0};
            ::poll(&pfd, 1, 10);
        }
        return got;
    }

    // On a pty master the terminal calls act on the slave's settings.
    termios line() const
    {
        termios tio{};
        ::tcgetattr(master, &tio);
        return tio;
    }
};

#define REQUIRE_PTY(pty)                                                                           \
    if ((pty).slavePath.empty())                                                                   \
    GTEST_SKIP() << "no pseudo-terminals here"

// Reads through `read(buffer, size, got)` until `count` bytes came or a read fails.
template <typename Read> std::string readUntil(std::size_t count, Read read)
{
    std::string got;
    std::uint8_t buffer[4096];
    for (int i = 0; i < MaxTries && got.size() < count; ++i) {
        std::uint32_t n = 0;
        if (!read(buffer, std::uint32_t(sizeof buffer), n))
            break;
        got.append(reinterpret_cast<char *>(buffer), n);
    }
    return got;
}

std::string readDevice(d2xx::Device &device, std::size_t count)
{
    return readUntil(count, [&](auto *b, auto size, auto &n) { return device.read(b, size, n, 0ms); });
}

class TempDir
{
public:
    TempDir()
    {
        std::string pattern = (fs::temp_directory_path() / "qm5230-d2xx-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string file(const std::string &name) const { return (path_ / name).string(); }

    // Points the link `name` at `target`, replacing it in one step.
    std::string link(const std::string &name, const std::string &target) const
    {
        fs::create_symlink(target, path_ / (name + ".new"));
        fs::rename(path_ / (name + ".new"), path_ / name);
        return file(name);
    }

private:
    fs::path path_;
};

TEST(SerialBackendTest, SplitsThePortList)
{
    // The forms a user writes into QM5230_SERIAL_PORTS.
    const struct
    {
        const char *list;
        std::vector<std::string> paths;
    } cases[] = {
        {"", {}},
        {" , ,,\t", {}},
        {"/dev/pts/3", {"/dev/pts/3"}},
        {" /dev/pts/3 , /tmp/unit ", {"/dev/pts/3", "/tmp/unit"}},
        {"/dev/pts/3,,\t/tmp/unit\t,", {"/dev/pts/3", "/tmp/unit"}},
        {"/dev/pts/3,/dev/pts/3", {"/dev/pts/3", "/dev/pts/3"}},
        {"/tmp/my unit", {"/tmp/my unit"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.list);
        EXPECT_EQ(d2xx::splitPortList(c.list), c.paths);
    }
}

TEST(SerialBackendTest, ExtraPortsListOnlyPresentPathsAndOpenOnlyTheirOwn)
{
    Pty pty, other;
    REQUIRE_PTY(pty);
    REQUIRE_PTY(other);
    TempDir dir;
    const std::string plainFile = dir.file("plain");
    std::fclose(std::fopen(plainFile.c_str(), "w"));
    const std::string missing = dir.file("missing");

    auto backend =
        d2xx::makeExtraPortsBackend(" " + pty.slavePath + " ," + missing + ",," + plainFile);
    EXPECT_EQ(backend->descriptions(), (std::vector<std::string>{pty.slavePath, plainFile}));
    EXPECT_NE(backend->open(pty.slavePath), nullptr);
    EXPECT_EQ(backend->open(missing), nullptr);
    EXPECT_EQ(backend->open(plainFile), nullptr) << "not a terminal";
    EXPECT_EQ(backend->open(other.slavePath), nullptr) << "not in the list";
}

TEST(SerialBackendTest, OpenSetsARawLineAndSettingsReachIt)
{
    Pty pty;
    REQUIRE_PTY(pty);
    // Start from a cooked line with flow control to see open undo it.
    termios cooked = pty.line();
    cooked.c_lflag |= ICANON | ECHO;
    cooked.c_iflag |= IXON;
    cooked.c_cflag |= CRTSCTS;
    ::tcsetattr(pty.master, TCSANOW, &cooked);
    {
        auto device = d2xx::openSerialDevice(pty.slavePath);
        ASSERT_NE(device, nullptr);
        const termios tio = pty.line();
        EXPECT_EQ(::cfgetispeed(&tio), B38400);
        EXPECT_EQ(tio.c_cflag & (CRTSCTS | PARENB), 0u);
        EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), 0u);
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);
        EXPECT_EQ(device->lastError(), 0u);
    }

    // Each setting against the terminal flags it gives; a rejected setting
    // leaves the line as opened (38400 baud, 2 stop bits). A pty always keeps
    // 8 data bits without parity, so only speed and stop bits show.
    const struct
    {
        int baud, dataBits, stopBits, parity;
        bool accepted;
        speed_t speed;
        tcflag_t cflag;
    } cases[] = {
        {38400, 8, d2xx::StopBits2, d2xx::ParityNone, true, B38400, CS8 | CSTOPB},
        {9600, 8, 0, d2xx::ParityNone, true, B9600, CS8},
        {115200, 8, d2xx::StopBits2, d2xx::ParityNone, true, B115200, CS8 | CSTOPB},
        {12345, 8, d2xx::StopBits2, d2xx::ParityNone, false, B38400, CS8 | CSTOPB},
        {38400, 9, 0, d2xx::ParityNone, false, B38400, CS8 | CSTOPB},
        {38400, 8, 1, d2xx::ParityNone, false, B38400, CS8 | CSTOPB},
        {38400, 8, 0, 7, false, B38400, CS8 | CSTOPB},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.baud << " " << c.dataBits << " " << c.stopBits << " " << c.parity);
        // Reopening each time also shows that a closed device leaves the port free.
        auto device = d2xx::openSerialDevice(pty.slavePath);
        ASSERT_NE(device, nullptr);
        device->setBaudRate(c.baud);
        device->setDataCharacteristics(c.dataBits, c.stopBits, c.parity);
        const termios tio = pty.line();
        EXPECT_EQ(::cfgetospeed(&tio), c.speed);
        EXPECT_EQ(tio.c_cflag & (CSIZE | CSTOPB | PARENB | PARODD), c.cflag);
        EXPECT_EQ(device->lastError(), c.accepted ? 0u : d2xx::ErrorIoFailed);
    }
}

TEST(SerialBackendTest, ReadsAndWritesThroughTheTerminal)
{
    Pty pty;
    REQUIRE_PTY(pty);
    auto device = d2xx::openSerialDevice(pty.slavePath);
    ASSERT_NE(device, nullptr);

    // An idle line is quiet, not gone.
    std::uint8_t buffer[4096];
    for (int i = 0; i < 3; ++i) {
        std::uint32_t got = 99;
        EXPECT_TRUE(device->read(buffer, sizeof buffer, got, 0ms));
        EXPECT_EQ(got, 0u);
    }

    const std::string fromUnit("\xC0\x05\x01\x81\x00\xC0\xDB\xDC", 8);
    pty.send(fromUnit);
    EXPECT_EQ(readDevice(*device, fromUnit.size()), fromUnit);

    // A read that has bytes ends once the line falls quiet, not at its time-out.
    device->setTimeouts(3000, 100);
    pty.send(fromUnit);
    const auto start = std::chrono::steady_clock::now();
    std::uint32_t got = 0;
    EXPECT_TRUE(device->read(buffer, sizeof buffer, got, 0ms));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(buffer), got), fromUnit);

    // A read asked to start after a pause: bytes that came during the pause
    // are read at its end, as after a sleep; nothing coming ends it at the
    // pause plus the time-out, whether the read before had bytes or not. A
    // cut, from another thread or raised before the read, ends it with
    // nothing once the part that may be cut is over, and the bytes wait for
    // the next read; a pause that may not be cut drops the cut. The pauses
    // that are cut are long, so that a thread that gets the processor late on
    // a busy machine still cuts within them, and one that is not cut shows.
    device->setTimeouts(40, 100);
    enum class Cut { None, During, Before };
    struct PausedRead
    {
        const char *name;
        bool send;
        d2xx::ReadPause pause;
        Cut cut;
        std::chrono::milliseconds notBefore, before;
        bool bytesRead;
    };
    const PausedRead pausedReads[] = {
        {"bytes during the pause", true, {200ms}, Cut::None, 200ms, 10s, true},
        {"nothing comes", false, {200ms}, Cut::None, 240ms, 10s, false},
        {"nothing comes on a quiet line", false, {200ms}, Cut::None, 240ms, 10s, false},
        {"bytes during the pause on a quiet line", true, {200ms}, Cut::None, 200ms, 10s, true},
        {"cut from another thread", true, {10s, 50ms}, Cut::During, 50ms, 2s, false},
        {"cut before the read", false, {10s, 50ms}, Cut::Before, 50ms, 2s, false},
        {"a pause that may not be cut", false, {200ms}, Cut::Before, 240ms, 10s, false},
    };
    for (const PausedRead &c : pausedReads) {
        SCOPED_TRACE(c.name);
        const auto begun = std::chrono::steady_clock::now();
        if (c.send)
            pty.send(fromUnit);
        if (c.cut == Cut::Before)
            device->cutPause();
        std::thread cutter([&] {
            if (c.cut != Cut::During)
                return;
            std::this_thread::sleep_for(10ms);
            device->cutPause();
        });
        got = 0;
        EXPECT_TRUE(device->read(buffer, sizeof buffer, got, c.pause));
        const auto took = std::chrono::steady_clock::now() - begun;
        cutter.join();
        EXPECT_GE(took, c.notBefore);
        EXPECT_LT(took, c.before);
        EXPECT_EQ(std::string(reinterpret_cast<const char *>(buffer), got),
                  c.bytesRead ? fromUnit : std::string());
        if (c.send && !c.bytesRead) {
            EXPECT_EQ(readDevice(*device, fromUnit.size()), fromUnit);
        }
    }

    const std::uint8_t frame[] = {0xC0, 0x03, 0x04, 0x01, 0x06, 0xC0};
    std::uint32_t written = 0;
    EXPECT_TRUE(device->write(frame, sizeof frame, written));
    EXPECT_EQ(written, sizeof frame);
    EXPECT_EQ(pty.receive(sizeof frame), std::string(reinterpret_cast<const char *>(frame), 6));
    EXPECT_EQ(device->lastError(), 0u);
}

TEST(SerialBackendTest, WriteThatTimesOutCountsWhatWentOut)
{
    Pty pty;
    REQUIRE_PTY(pty);
    auto device = d2xx::openSerialDevice(pty.slavePath);
    ASSERT_NE(device, nullptr);
    device->setTimeouts(5, 1);

    // Far more than the terminal buffers hold while the unit reads nothing.
    std::vector<std::uint8_t> block(1 << 20);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = std::uint8_t(i % 251);
    std::uint32_t written = 0;
    ASSERT_TRUE(device->write(block.data(), std::uint32_t(block.size()), written));
    ASSERT_GT(written, 0u);
    ASSERT_LT(written, block.size());
    EXPECT_EQ(pty.receive(written), std::string(block.begin(), block.begin() + written));
    char more;
    EXPECT_EQ(::read(pty.master, &more, 1), -1) << "more went out than counted";
}

TEST(SerialBackendTest, HangUpOrVanishedNodeMeansTheDeviceIsGone)
{
    std::uint8_t buffer[64];
    std::uint32_t count = 0;
    {
        Pty pty;
        REQUIRE_PTY(pty);
        auto device = d2xx::openSerialDevice(pty.slavePath);
        ASSERT_NE(device, nullptr);
        ::close(std::exchange(pty.master, -1));
        EXPECT_FALSE(device->read(buffer, sizeof buffer, count, 0ms));
        EXPECT_EQ(count, 0u);
        EXPECT_EQ(device->lastError(), d2xx::ErrorDeviceGone);
        // It stays gone for reads and writes.
        EXPECT_FALSE(device->read(buffer, sizeof buffer, count, 0ms));
        EXPECT_FALSE(device->write(buffer, 4, count));
        EXPECT_EQ(count, 0u);
        EXPECT_EQ(device->lastError(), d2xx::ErrorDeviceGone);
    }
    {
        Pty pty;
        REQUIRE_PTY(pty);
        TempDir dir;
        const std::string path = dir.link("unit", pty.slavePath);
        auto device = d2xx::openSerialDevice(path);
        ASSERT_NE(device, nullptr);
        EXPECT_TRUE(device->read(buffer, sizeof buffer, count, 0ms));
        // The terminal still works, but its node is no longer there.
        fs::remove(path);
        EXPECT_FALSE(device->read(buffer, sizeof buffer, count, 0ms));
        EXPECT_EQ(device->lastError(), d2xx::ErrorDeviceGone);
    }
}

// Loss and return of a unit through the driver: the description is a link
// that a new pseudo-terminal takes over, as a replugged adapter would.
TEST(SerialBackendTest, DriverReopensTheSameDescriptionAfterLoss)
{
    auto first = std::make_unique<Pty>();
    REQUIRE_PTY(*first);
    TempDir dir;
    const std::string unit = dir.link("unit", first->slavePath);
    d2xx::Driver driver;
    driver.addBackend(d2xx::makeExtraPortsBackend(unit));
    std::uint32_t count = 0;
    ASSERT_EQ(driver.CreateDeviceInfoList(count), d2xx::StatusOk);
    ASSERT_EQ(count, 1u);

    d2xx::Handle h = driver.CreateFile(unit);
    ASSERT_NE(h, d2xx::InvalidHandle);
    const auto readFile = [&](auto *b, auto size, auto &n) {
        return driver.ReadFile(h, b, size, n);
    };
    first->send("ping");
    EXPECT_EQ(readUntil(4, readFile), "ping");

    // The unit is pulled out: its terminal hangs up and its node goes (the
    // pty number itself may soon serve someone else, so the link goes too).
    first.reset();
    fs::remove(unit);
    std::uint8_t buffer[64];
    EXPECT_FALSE(driver.ReadFile(h, buffer, sizeof buffer, count));
    EXPECT_EQ(driver.GetLastError(h), d2xx::ErrorDeviceGone);
    EXPECT_EQ(driver.Close(h), d2xx::StatusOk);
    EXPECT_EQ(driver.CreateFile(unit), d2xx::InvalidHandle);

    Pty second; // ... and plugged back in
    REQUIRE_PTY(second);
    dir.link("unit", second.slavePath);
    h = driver.CreateFile(unit);
    ASSERT_NE(h, d2xx::InvalidHandle);
    second.send("back");
    EXPECT_EQ(readUntil(4, readFile), "back");
    EXPECT_TRUE(driver.WriteFile(h, reinterpret_cast<const std::uint8_t *>("\xC0U"), 2, count));
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(second.receive(2), "\xC0U");
}

// No adapter is attached here; the listing must still hold only real names.
TEST(SerialBackendTest, UsbBackendListsNamedPortsOnly)
{
    auto backend = d2xx::makeUsbSerialBackend();
    for (const auto &name : backend->descriptions())
        EXPECT_FALSE(name.empty());
    EXPECT_EQ(backend->open("no such adapter"), nullptr);
}

} // namespace
