// qm5230-sim: serves the simulated unit on a pseudo-terminal, so that the
// tool reaches it as a serial port (QM5230_SERIAL_PORTS=<path>). Prints the
// terminal's path as one line and runs until SIGINT or SIGTERM. SIGUSR1
// restarts the unit, which comes up in its bootloader for a moment, as a
// power cycle does: a firmware update can be driven through the terminal,
// with the bootloader's bytes bent by --boot-fault if need be.
#include "sim/SimClock.h"
#include "sim/SimLine.h"
#include "sim/SimulatedUnit.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

volatile std::sig_atomic_t stopRequested = 0;
volatile std::sig_atomic_t restartRequested = 0;

extern "C" void onStopSignal(int)
{
    stopRequested = 1;
}

extern "C" void onRestartSignal(int)
{
    restartRequested = 1;
}

struct AnswerFault
{
    sim::SimLine::AnswerFault fault;
    sim::SimLine::AnswerMatch match;
    int count;
};

struct BootFault
{
    sim::SimLine::BootByteFault fault;
    std::uint8_t byte;
    int skip;
    int count;
    int lateMs; // a repeat's copy leaves this much after the byte
};

struct Options
{
    std::string versionText;
    bool pacing = true;
    std::vector<AnswerFault> faults;
    std::vector<BootFault> bootFaults;
    std::uint32_t badBlock = 0;
};

void printUsage(std::FILE *to)
{
    std::fputs("usage: qm5230-sim [--version-text TEXT] [--no-pacing] [--fault "
               "KIND,CODE[,RECORD[,COUNT]]]...\n"
               "                 [--boot-fault KIND,BYTE[,NTH][,MS]]... [--bad-block N]\n"
               "Serves a simulated QM5230 on a pseudo-terminal and prints its path.\n"
               "--fault bends the answers with event CODE (and RECORD in their first data\n"
               "byte): KIND is drop, repeat, serial-error, corrupt or silence; COUNT answers\n"
               "(1 when left out, -1 for all). RECORD may be left empty to give a COUNT\n"
               "for answers of any record: drop,0x82,,3.\n"
               "SIGUSR1 restarts the unit into its bootloader.\n"
               "--boot-fault bends the bootloader's bytes equal to BYTE (a character such\n"
               "as ! or a number such as 0x21): KIND is drop or repeat; NTH is the one\n"
               "bent, counted from 1 since the program started (1 when left out, -1 for\n"
               "every one): 'drop,!,3' loses the third '!' (quote a !, or write it 0x21,\n"
               "for an interactive shell). A repeat's copy goes out back to back, or MS\n"
               "milliseconds after the byte: 'repeat,!,-1,20' sends every '!' again 20 ms\n"
               "late. Each bent byte is told on stderr.\n"
               "--bad-block N: the N-th block after each restart (from 1) comes with one\n"
               "byte bent on its way, so the bootloader answers it '@' and takes no more.\n"
               "The bootloader answers a block no sooner than the block's time on a\n"
               "38400-baud line after its first byte, with --no-pacing too.\n",
               to);
}

// "drop,0x82,10" and the like; false when the text is none.
bool parseFault(std::string_view text, AnswerFault &out)
{
    using Fault = sim::SimLine::AnswerFault;
    std::vector<std::string> parts;
    std::string part;
    for (const char ch : text) {
        if (ch == ',') {
            parts.push_back(part);
            part.clear();
        } else {
            part += ch;
        }
    }
    parts.push_back(part);
    if (parts.size() < 2 || parts.size() > 4)
        return false;
    const struct
    {
        const char *name;
        Fault fault;
    } kinds[] = {{"drop", Fault::Drop},
                 {"repeat", Fault::Repeat},
                 {"serial-error", Fault::SerialError},
                 {"corrupt", Fault::Corrupt},
                 {"silence", Fault::Silence}};
    const auto kind = std::find_if(std::begin(kinds), std::end(kinds),
                                   [&](const auto &k) { return parts[0] == k.name; });
    if (kind == std::end(kinds))
        return false;
    const auto number = [](const std::string &t, long low, long high, long &value) {
        char *end = nullptr;
        errno = 0;
        value = std::strtol(t.c_str(), &end, 0);
        return !t.empty() && errno == 0 && end && *end == '\0' && value >= low && value <= high;
    };
    // An empty RECORD before a COUNT stands for any record.
    const bool anyRecord = parts.size() == 4 && parts[2].empty();
    long code = 0, record = 0, count = 1;
    if (!number(parts[1], 0, 255, code) ||
        (parts.size() > 2 && !anyRecord && !number(parts[2], 0, 255, record)) ||
        (parts.size() > 3 && !number(parts[3], -1, 1000000, count)))
        return false;
    out.fault = kind->fault;
    out.match.code = static_cast<std::uint8_t>(code);
    if (parts.size() > 2 && !anyRecord)
        out.match.record = static_cast<std::uint8_t>(record);
    out.count = static_cast<int>(count);
    return true;
}

// "drop,!,3" and the like; false when the text is none.
bool parseBootFault(std::string_view text, BootFault &out)
{
    using Fault = sim::SimLine::BootByteFault;
    std::vector<std::string> parts(1);
    for (const char ch : text) {
        if (ch == ',')
            parts.emplace_back();
        else
            parts.back() += ch;
    }
    if (parts.size() < 2 || parts.size() > 4)
        return false;
    if (parts[0] == "drop")
        out.fault = Fault::Drop;
    else if (parts[0] == "repeat")
        out.fault = Fault::Repeat;
    else
        return false;
    const auto number = [](const std::string &t, long low, long high, long &value) {
        char *end = nullptr;
        errno = 0;
        value = std::strtol(t.c_str(), &end, 0);
        return !t.empty() && errno == 0 && end && *end == '\0' && value >= low && value <= high;
    };
    long byte = 0, nth = 1;
    if (parts[1].size() == 1)
        byte = static_cast<unsigned char>(parts[1][0]);
    else if (!number(parts[1], 0, 255, byte))
        return false;
    if (parts.size() > 2 && (!number(parts[2], -1, 1000000, nth) || nth == 0))
        return false;
    long lateMs = 0;
    if (parts.size() > 3 && (out.fault != Fault::Repeat || !number(parts[3], 0, 60000, lateMs)))
        return false;
    out.lateMs = static_cast<int>(lateMs);
    out.byte = static_cast<std::uint8_t>(byte);
    out.skip = nth > 0 ? static_cast<int>(nth - 1) : 0;
    out.count = nth > 0 ? 1 : -1;
    return true;
}

// Returns 0 to go on, or the exit code.
int parseOptions(int argc, char **argv, Options &options)
{
    constexpr std::string_view versionOption = "--version-text";
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--no-pacing") {
            options.pacing = false;
        } else if (arg == versionOption) {
            if (i + 1 >= argc) {
                std::fputs("qm5230-sim: --version-text needs a value\n", stderr);
                return 2;
            }
            options.versionText = argv[++i];
        } else if (arg.starts_with(versionOption) && arg.size() > versionOption.size() &&
                   arg[versionOption.size()] == '=') {
            options.versionText = std::string(arg.substr(versionOption.size() + 1));
        } else if (arg == "--fault") {
            AnswerFault fault{};
            if (i + 1 >= argc || !parseFault(argv[i + 1], fault)) {
                std::fputs("qm5230-sim: --fault needs KIND,CODE[,RECORD[,COUNT]]\n", stderr);
                return 2;
            }
            ++i;
            options.faults.push_back(fault);
        } else if (arg == "--boot-fault") {
            BootFault fault{};
            if (i + 1 >= argc || !parseBootFault(argv[i + 1], fault)) {
                std::fputs("qm5230-sim: --boot-fault needs KIND,BYTE[,NTH][,MS]\n", stderr);
                return 2;
            }
            ++i;
            options.bootFaults.push_back(fault);
        } else if (arg == "--bad-block") {
            char *end = nullptr;
            errno = 0;
            const long nth = i + 1 < argc ? std::strtol(argv[i + 1], &end, 0) : 0;
            if (i + 1 >= argc || errno != 0 || !end || *end != '\0' || end == argv[i + 1] ||
                nth < 1 || nth > 1000000) {
                std::fputs("qm5230-sim: --bad-block needs a block number from 1\n", stderr);
                return 2;
            }
            ++i;
            options.badBlock = static_cast<std::uint32_t>(nth);
        } else if (arg == "--help" || arg == "-h") {
            printUsage(stdout);
            return -1;
        } else {
            std::fprintf(stderr, "qm5230-sim: unknown option %s\n", argv[i]);
            printUsage(stderr);
            return 2;
        }
    }
    return 0;
}

struct Pty
{
    int master = -1;
    int slave = -1; // held open so that the master never reports a hang-up
    std::string path;

    ~Pty()
    {
        if (slave >= 0)
            ::close(slave);
        if (master >= 0)
            ::close(master);
    }
};

bool openPty(Pty &pty)
{
    pty.master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (pty.master < 0 || ::grantpt(pty.master) != 0 || ::unlockpt(pty.master) != 0)
        return false;
    const char *name = ::ptsname(pty.master);
    if (!name)
        return false;
    pty.path = name;
    pty.slave = ::open(name, O_RDWR | O_NOCTTY);
    if (pty.slave < 0)
        return false;
    // Raw bytes both ways: no echo, no line editing, no newline translation.
    termios tio{};
    if (::tcgetattr(pty.slave, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B38400);
    ::cfsetospeed(&tio, B38400);
    tio.c_cflag |= CSTOPB | CLOCAL | CREAD;
    if (::tcsetattr(pty.slave, TCSANOW, &tio) != 0)
        return false;
    const int flags = ::fcntl(pty.master, F_GETFL);
    return flags >= 0 && ::fcntl(pty.master, F_SETFL, flags | O_NONBLOCK) == 0;
}

// Bytes nobody takes within a while are dropped, as a full buffer would.
void writeAll(int fd, const std::uint8_t *data, std::size_t size)
{
    while (size > 0 && !stopRequested) {
        const ssize_t n = ::write(fd, data, size);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, 100) > 0)
                continue;
        }
        return;
    }
}

// A block the bootloader turned down is told on stderr with its bytes as they
// came, so that whoever drove the update can see what reached the unit.
void reportRejectedBlock(const sim::SimulatedUnit &unit, std::uint32_t &reported)
{
    const sim::BootloaderState boot = unit.bootloader();
    if (boot.blocksRejected <= reported) {
        reported = boot.blocksRejected; // a restart starts the count again
        return;
    }
    reported = boot.blocksRejected;
    std::fprintf(stderr, "qm5230-sim: the bootloader rejected a block of %zu bytes (after %u pages):",
                 boot.rejected.size(), static_cast<unsigned>(boot.pagesWritten));
    for (const std::uint8_t b : boot.rejected)
        std::fprintf(stderr, " %02X", b);
    std::fputc('\n', stderr);
}

// Whoever drives the update learns that a '!' it waits for will not come.
void reportBentBootBytes(const sim::SimLine &line, int &reported)
{
    const int bent = line.faultedBootBytes();
    if (bent == reported)
        return;
    reported = bent;
    std::fprintf(stderr, "qm5230-sim: --boot-fault has bent %d bootloader bytes\n", bent);
}

void installSignalHandlers()
{
    struct sigaction sa
    {
    };
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0; // no restart: poll() returns at once on a signal
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    sa.sa_handler = onRestartSignal;
    ::sigaction(SIGUSR1, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    if (const int rc = parseOptions(argc, argv, options))
        return rc < 0 ? 0 : rc;
    installSignalHandlers();

    Pty pty;
    if (!openPty(pty)) {
        std::fprintf(stderr, "qm5230-sim: cannot open a pseudo-terminal: %s\n",
                     std::strerror(errno));
        return 1;
    }

    auto unit = std::make_shared<sim::SimulatedUnit>();
    if (!options.versionText.empty())
        unit->setVersionText(options.versionText);
    sim::SimLine line(unit, std::make_shared<sim::SteadyClock>(), options.pacing);
    for (const AnswerFault &f : options.faults)
        line.faultAnswers(f.fault, f.match, f.count);
    for (const BootFault &f : options.bootFaults)
        line.faultBootBytes(f.fault, f.byte, f.skip, f.count, std::chrono::milliseconds(f.lateMs));
    unit->bendBootBlock(options.badBlock);
    const std::uint64_t session = line.openSession().value_or(0);

    std::printf("%s\n", pty.path.c_str());
    std::fflush(stdout);

    constexpr std::chrono::nanoseconds idleWait = std::chrono::milliseconds(20);
    std::array<std::uint8_t, 4096> in{};
    std::array<std::uint8_t, 4096> out{};
    std::uint32_t rejectedBlocks = 0;
    int bentBootBytes = 0;
    while (!stopRequested) {
        if (restartRequested) {
            restartRequested = 0;
            line.restartUnit();
        }
        // Each byte leaves at its own time on the line, not in batches.
        std::chrono::nanoseconds wait = idleWait;
        if (const auto next = line.untilNextEvent())
            wait = std::clamp<std::chrono::nanoseconds>(*next, std::chrono::nanoseconds::zero(),
                                                        idleWait);
        const timespec waitSpec{static_cast<time_t>(wait.count() / 1000000000),
                                static_cast<long>(wait.count() % 1000000000)};
        pollfd p{pty.master, POLLIN, 0};
        const int ready = ::ppoll(&p, 1, &waitSpec, nullptr);
        if (ready < 0 && errno != EINTR) {
            std::fprintf(stderr, "qm5230-sim: poll: %s\n", std::strerror(errno));
            return 1;
        }
        if (ready > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(pty.master, in.data(), in.size());
            if (n > 0)
                line.write(session, std::span(in.data(), static_cast<std::size_t>(n)));
        }
        std::size_t got = 0;
        line.read(session, out, sim::Clock::duration::zero(), got);
        writeAll(pty.master, out.data(), got);
        reportRejectedBlock(*unit, rejectedBlocks);
        reportBentBootBytes(line, bentBootBytes);
    }
    return 0;
}
