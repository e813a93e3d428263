// One round trip through the qm5230-sim program on its pseudo-terminal.
#include "link/DeviceCommands.h"
#include "sim_test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <chrono>
#include <string>
#include <vector>

extern char **environ;

using namespace devlink;
using namespace simtest;

namespace {

// Generous bounds: the program is slow only on a loaded machine.
constexpr int StartTimeoutMs = 20000;
constexpr int AnswerTimeoutMs = 20000;

// The program with its stdout on a pipe; killed on every way out.
class SimProcess
{
public:
    explicit SimProcess(std::vector<std::string> args)
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addclose(&actions, fds[1]);
        args.insert(args.begin(), QM5230_SIM_PROGRAM);
        std::vector<char *> argv;
        for (auto &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, QM5230_SIM_PROGRAM, &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        out_ = fds[0];
    }
    ~SimProcess()
    {
        if (out_ >= 0)
            ::close(out_);
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool running() const { return pid_ > 0; }

    // The first line the program prints, or "" when none came in time.
    std::string firstLine()
    {
        std::string line;
        const auto end =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(StartTimeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            char c = 0;
            const ssize_t n = ::read(out_, &c, 1);
            if (n <= 0)
                return "";
            if (c == '\n')
                return line;
            line += c;
        }
        return "";
    }

    // Sends SIGTERM and returns the exit status (-1 when it did not end).
    int terminate()
    {
        ::kill(pid_, SIGTERM);
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
};

} // namespace

TEST(SimProgram, AnswersVersionRequestOnItsTerminal)
{
    SimProcess sim({"--version-text", "T-2.5"});
    ASSERT_TRUE(sim.running());
    const std::string path = sim.firstLine();
    ASSERT_FALSE(path.empty());

    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0) << path << ": " << std::strerror(errno);
    termios tio{};
    ASSERT_EQ(::tcgetattr(fd, &tio), 0);
    ::cfmakeraw(&tio);
    ASSERT_EQ(::tcsetattr(fd, TCSANOW, &tio), 0);

    const Bytes req = request(1, VERSION_REQ, 4);
    ASSERT_EQ(::write(fd, req.data(), req.size()), ssize_t(req.size()));

    Bytes stream;
    std::vector<Bytes> got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(AnswerTimeoutMs);
    while (got.empty() && std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        std::uint8_t buffer[256];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        stream.insert(stream.end(), buffer, buffer + n);
        got = frames(stream);
    }
    ::close(fd);

    ASSERT_EQ(got.size(), 1u);
    const Bytes &f = got[0];
    ASSERT_TRUE(IsValidFrame(f.data(), f.size()));
    EXPECT_EQ(f[FrameNodeAt], 1);
    EXPECT_EQ(f[FrameCommandAt], VERSION_CFM);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(&f[4])), "T-2.5");
    EXPECT_EQ(sim.terminate(), 0);
}
