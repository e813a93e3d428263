// What the timed benchmarks share: the tool's real windows and worker thread
// on a counted link, the unit's own program on a pseudo-terminal, and the
// process's CPU time and memory from /proc.
//
// Thread contract: main thread only, except WireCount, whose counters the
// worker thread adds to while the main thread reads them.
#pragma once

#include "app/AutoForms.h"
#include "link/UsbSelectUnit.h"
#include "main/MainUnit.h"
#include "platform/d2xx/d2xx.h"
#include "platform/vcl/TestDialogs.h"
#include "tests/support/EventLoopWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace bench {

// The bytes both ways through the devices of one backend.
struct WireCount
{
    std::atomic<std::uint64_t> toUnit{0};
    std::atomic<std::uint64_t> fromUnit{0};

    std::uint64_t total() const { return toUnit + fromUnit; }
    void reset()
    {
        toUnit = 0;
        fromUnit = 0;
    }
};

// 38400 baud, 11 bits a byte (start, 8 data, 2 stop).
inline constexpr double WireBytesPerSecond = 38400.0 / 11.0;

class CountingDevice : public d2xx::Device
{
public:
    CountingDevice(std::unique_ptr<d2xx::Device> inner, std::shared_ptr<WireCount> count)
        : inner_(std::move(inner)), count_(std::move(count))
    {
    }
    void setBaudRate(int baud) override { inner_->setBaudRate(baud); }
    void setDataCharacteristics(int dataBits, int stopBits, int parity) override
    {
        inner_->setDataCharacteristics(dataBits, stopBits, parity);
    }
    void setTimeouts(int readMs, int writeMs) override { inner_->setTimeouts(readMs, writeMs); }
    bool read(std::uint8_t *buffer, std::uint32_t size, std::uint32_t &got,
              d2xx::ReadPause pause) override
    {
        const bool ok = inner_->read(buffer, size, got, pause);
        if (ok)
            count_->fromUnit += got;
        return ok;
    }
    bool write(const std::uint8_t *data, std::uint32_t size, std::uint32_t &written) override
    {
        const bool ok = inner_->write(data, size, written);
        if (ok)
            count_->toUnit += written;
        return ok;
    }
    void cutPause() override { inner_->cutPause(); }
    std::uint32_t lastError() const override { return inner_->lastError(); }

private:
    std::unique_ptr<d2xx::Device> inner_;
    std::shared_ptr<WireCount> count_;
};

class CountingBackend : public d2xx::Backend
{
public:
    CountingBackend(std::shared_ptr<d2xx::Backend> inner, std::shared_ptr<WireCount> count)
        : inner_(std::move(inner)), count_(std::move(count))
    {
    }
    std::vector<std::string> descriptions() override { return inner_->descriptions(); }
    std::unique_ptr<d2xx::Device> open(const std::string &description) override
    {
        auto device = inner_->open(description);
        if (!device)
            return nullptr;
        return std::make_unique<CountingDevice>(std::move(device), count_);
    }

private:
    std::shared_ptr<d2xx::Backend> inner_;
    std::shared_ptr<WireCount> count_;
};

using testsupport::waitFor;

// Runs the event loop for `ms`, as the tool's own loop would.
inline void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// utime + stime of a /proc stat file, in seconds; the fields after the
// command name, which is in parentheses and may hold blanks.
inline double cpuSecondsOf(const std::string &statPath)
{
    std::ifstream in(statPath);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    // Field 3 (state) is the first after the name; utime and stime are 14 and 15.
    for (int n = 3; n <= 15 && fields >> field; ++n) {
        if (n == 14)
            utime = std::stoull(field);
        else if (n == 15)
            stime = std::stoull(field);
    }
    return double(utime + stime) / double(::sysconf(_SC_CLK_TCK));
}

inline double processCpuSeconds()
{
    return cpuSecondsOf("/proc/self/stat");
}

inline double threadCpuSeconds(long tid)
{
    return cpuSecondsOf("/proc/self/task/" + std::to_string(tid) + "/stat");
}

// A numeric field of a /proc status file; -1 when it is not there.
inline long statusField(const std::filesystem::path &file, const std::string &key)
{
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key + ":", 0) == 0)
            return std::stol(line.substr(key.size() + 1));
    return -1;
}

// A field of /proc/self/status in kB (VmRSS, VmHWM).
inline long statusKb(const std::string &key)
{
    return statusField("/proc/self/status", key);
}

// Times the threads of this process were switched out so far (voluntary and
// not): the wake-ups that on a virtual machine cost more than the work done.
inline long contextSwitches()
{
    long total = 0;
    for (const auto &task : std::filesystem::directory_iterator("/proc/self/task")) {
        const auto status = task.path() / "status";
        total += std::max(0L, statusField(status, "voluntary_ctxt_switches")) +
                 std::max(0L, statusField(status, "nonvoluntary_ctxt_switches"));
    }
    return total;
}

// The tool as it runs for a user, on a counted link to one backend.
struct ToolRig
{
    QTemporaryDir dir;
    std::shared_ptr<WireCount> wire = std::make_shared<WireCount>();
    d2xx::Driver driver;
    vcl::ScriptedDialogs dialogs;
    std::unique_ptr<AutoForms> forms;

    explicit ToolRig(std::shared_ptr<d2xx::Backend> backend)
    {
        driver.addBackend(std::make_shared<CountingBackend>(std::move(backend), wire));
        forms = std::make_unique<AutoForms>(QStringList{}, dir.path() + "/qm5230.INI", driver);
        forms->Show();
    }
    ~ToolRig()
    {
        forms.reset();
        QCoreApplication::processEvents();
    }
    TMainForm &main() { return *forms->Main; }

    // Picks `description` in the selection window, presses OK, and waits for
    // the automatic read of all settings and the refresh after it.
    bool connect(const QString &description)
    {
        // Shown and closed as the tool does it: the window's device-list
        // timer runs only while it is open.
        devlink::TUSB_SelectForm &select = *forms->UsbSelect;
        select.show();
        const auto found = select.ListBox1->findItems(description, Qt::MatchExactly);
        if (found.isEmpty()) {
            select.reject();
            return false;
        }
        select.ListBox1->setCurrentItem(found.first());
        select.BtnOpenClick();
        return waitFor([&] { return main().ReadFromDevice == 1 && main().RefreshPending == 0; },
                       120000);
    }
};

// The unit's own program serving a pseudo-terminal, for as long as this lives.
struct SimProgram
{
    QProcess process;
    QString path; // the terminal's; empty when the program did not start

    explicit SimProgram(const QString &program)
    {
        process.start(program, {});
        if (process.waitForStarted(10000) && process.waitForReadyRead(10000))
            path = QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    ~SimProgram()
    {
        process.terminate();
        process.waitForFinished(10000);
    }
    SimProgram(const SimProgram &) = delete;
    SimProgram &operator=(const SimProgram &) = delete;
};

// One row of a markdown table.
inline void row(std::initializer_list<std::string> cells)
{
    std::string line = "|";
    for (const std::string &c : cells)
        line += " " + c + " |";
    std::puts(line.c_str());
    std::fflush(stdout);
}

// Locale-free: the application has set the user's locale by now.
inline std::string fixed(double value, int decimals)
{
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                                 decimals);
    return std::string(buffer, r.ptr);
}

} // namespace bench
