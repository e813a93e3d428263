// An X server and a window manager of a test's own: the offscreen platform
// draws no frames and has no key repeat, so tests of window placement and of
// held keys start Xvfb and openbox and run the tool's windows on them.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace xtest {

inline constexpr int DeadlineMs = 20000;

inline std::string FindProgram(const char *name)
{
    const char *path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t at = 0;
    while (at <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', at), dirs.size());
        const std::string candidate = dirs.substr(at, end - at) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        at = end + 1;
    }
    return {};
}

// Starts `args` with its output dropped and `closeFd` closed in it; the
// child is ended with the test, even when the test itself is killed.
inline pid_t Spawn(const std::vector<std::string> &args, int closeFd = -1)
{
    std::vector<char *> argv;
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid < 0 ? 0 : pid;
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)
        ::_exit(1);
    if (closeFd >= 0)
        ::close(closeFd);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

// An X server and a window manager of the test's own, ended with the test.
class XSession
{
public:
    XSession()
    {
        const std::string xvfb = FindProgram("Xvfb");
        const std::string wm = FindProgram("openbox");
        if (xvfb.empty() || wm.empty()) {
            missing_ = "Xvfb or openbox is not installed";
            return;
        }
        // The server picks a free display and writes its number when it accepts clients.
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        server_ = Spawn({xvfb, "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24",
                         "-nolisten", "tcp"},
                        fds[0]);
        ::close(fds[1]);
        std::string number;
        QDeadlineTimer deadline(DeadlineMs);
        while (server_ && !deadline.hasExpired()) {
            pollfd p{fds[0], POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(deadline.remainingTime())) <= 0)
                break;
            char c = 0;
            if (::read(fds[0], &c, 1) != 1 || c == '\n')
                break;
            number += c;
        }
        ::close(fds[0]);
        if (number.empty())
            return;
        display_ = ":" + number;
        ::setenv("DISPLAY", display_.c_str(), 1);
        wm_ = Spawn({wm, "--sm-disable"});
    }
    ~XSession()
    {
        for (pid_t pid : {wm_, server_})
            if (pid > 0) {
                ::kill(pid, SIGTERM);
                ::waitpid(pid, nullptr, 0);
            }
    }
    XSession(const XSession &) = delete;
    XSession &operator=(const XSession &) = delete;

    bool running() const { return !display_.empty() && wm_ > 0; }
    const std::string &missing() const { return missing_; }

private:
    std::string missing_;
    std::string display_;
    pid_t server_ = 0;
    pid_t wm_ = 0;
};

// Children that keep every processor busy while it lives, `perProcessor`
// loops each, so that key repeats and timers come as on a loaded machine;
// ended with it, or with the test when the test is killed.
class BusyProcessors
{
public:
    explicit BusyProcessors(int perProcessor = 1)
    {
        // The processors this process may run on: all of the machine's, or
        // those a CI runner or `taskset` gives it.
        cpu_set_t set;
        CPU_ZERO(&set);
        const long count = ::sched_getaffinity(0, sizeof set, &set) == 0
                               ? std::max(1, CPU_COUNT(&set))
                               : std::max(1L, ::sysconf(_SC_NPROCESSORS_ONLN));
        const pid_t parent = ::getpid();
        for (long i = 0; i < count * perProcessor; ++i) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::prctl(PR_SET_PDEATHSIG, SIGKILL);
                if (::getppid() != parent)
                    ::_exit(1);
                volatile unsigned long spin = 0;
                for (;;)
                    spin = spin + 1;
            }
            if (pid > 0)
                children_.push_back(pid);
        }
    }
    ~BusyProcessors()
    {
        for (pid_t pid : children_)
            ::kill(pid, SIGKILL);
        for (pid_t pid : children_)
            ::waitpid(pid, nullptr, 0);
    }
    BusyProcessors(const BusyProcessors &) = delete;
    BusyProcessors &operator=(const BusyProcessors &) = delete;

private:
    std::vector<pid_t> children_;
};

// Runs the event loop until `done` holds or the deadline passes.
inline bool WaitFor(const std::function<bool()> &done, int deadlineMs = DeadlineMs)
{
    QDeadlineTimer deadline(deadlineMs);
    QTimer wake; // the loop sleeps until an event or this wakes it
    wake.start(10);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// The window manager has put its frame around the window and shows it.
inline bool Framed(QWidget &w)
{
    QWindow *window = w.windowHandle();
    return window && window->isExposed() && window->frameMargins().top() > 0;
}

// Waits until the window manager frames a window of ours. A window mapped
// while it was still starting may never be taken in, so one left unframed
// for a while is mapped again.
inline bool AwaitWindowManager()
{
    QWidget probe;
    probe.resize(100, 50);
    for (QDeadlineTimer deadline(3 * DeadlineMs); !deadline.hasExpired();) {
        probe.show();
        if (WaitFor([&] { return Framed(probe); }, 2000))
            return true;
        probe.hide();
    }
    return false;
}

// Starts `args` and waits for it to end; its exit status, -1 when it did not run.
inline int RunProgram(const std::vector<std::string> &args)
{
    const pid_t pid = Spawn(args);
    int status = 0;
    if (pid <= 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// Starts `args` and runs the event loop until it ends, so that the window
// takes what the program does to it as it happens; its exit status, -1 when
// it did not run or did not end within the deadline.
inline int RunProgramLooping(const std::vector<std::string> &args)
{
    const pid_t pid = Spawn(args);
    if (pid <= 0)
        return -1;
    int status = 0;
    bool ended = false;
    WaitFor([&] { return ended = ::waitpid(pid, &status, WNOHANG) == pid; });
    if (!ended) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Whether a test can drive `session`: skipped where Xvfb or openbox (or,
// given `xdotool`, that tool, whose path it gets) is not installed, failed
// where they did not start.
inline bool SessionReady(const XSession *session, std::string *xdotool = nullptr)
{
    bool ready = false;
    [&] {
        ASSERT_NE(session, nullptr);
        if (!session->missing().empty())
            GTEST_SKIP() << session->missing();
        ASSERT_TRUE(session->running()) << "Xvfb or openbox did not start";
        if (xdotool) {
            *xdotool = FindProgram("xdotool");
            if (xdotool->empty())
                GTEST_SKIP() << "xdotool is not installed";
        }
        ready = true;
    }();
    return ready;
}

// Runs the tests on `session`'s display, once its window manager frames a
// window; on the offscreen platform where no session runs (the tests then
// skip). Returns the tests' result.
template <class App> int RunTests(int argc, char **argv, XSession &session)
{
    if (session.running())
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    else
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    App app(argc, argv);
    if (session.running() && !AwaitWindowManager()) {
        std::fprintf(stderr, "the window manager did not start\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}

} // namespace xtest
