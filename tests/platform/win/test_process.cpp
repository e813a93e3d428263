// Command-line splitting, error codes and real child processes.
#include "platform/win/Process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

struct SplitCase
{
    const char *line;
    std::vector<std::string> args;
};

// The window system run-time's rules for argv (program name: quotes only
// group; arguments: backslash and quote rules).
const SplitCase kSplitCases[] = {
    {"", {}},
    {"   \t ", {}},
    {"prog", {"prog"}},
    {"  prog  a\tb  ", {"prog", "a", "b"}},
    {R"("C:\Program Files\x.exe" arg)", {R"(C:\Program Files\x.exe)", "arg"}},
    {R"(C:\dir\x.exe a\\b)", {R"(C:\dir\x.exe)", R"(a\\b)"}},
    {R"(p "a b" c)", {"p", "a b", "c"}},
    {R"(p a\"b)", {"p", R"(a"b)"}},
    {R"(p a\\"b c")", {"p", R"(a\b c)"}},
    {R"(p a\\\\"b")", {"p", R"(a\\b)"}},
    {R"(p a\\\"b)", {"p", R"(a\"b)"}},
    {R"(p "a""b")", {"p", R"(a"b)"}},
    {R"(p "" x)", {"p", "", "x"}},
    {R"(p "open ended)", {"p", "open ended"}},
    {R"("unterminated prog)", {"unterminated prog"}},
    {R"("p"x y)", {"p", "x", "y"}},
};

class SplitCommandLine : public testing::TestWithParam<SplitCase>
{
};

TEST_P(SplitCommandLine, GivesTheRuntimesArguments)
{
    EXPECT_EQ(win::SplitCommandLine(GetParam().line), GetParam().args) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(Rules, SplitCommandLine, testing::ValuesIn(kSplitCases));

TEST(Process, ErrnoToSystemError)
{
    const struct
    {
        int error;
        std::uint32_t code;
    } cases[] = {{0, 0},
                 {ENOENT, win::ERROR_FILE_NOT_FOUND},
                 {ENOTDIR, win::ERROR_PATH_NOT_FOUND},
                 {EACCES, win::ERROR_ACCESS_DENIED},
                 {ENOMEM, win::ERROR_NOT_ENOUGH_MEMORY},
                 {ENOEXEC, win::ERROR_BAD_EXE_FORMAT},
                 {EIO, win::ERROR_INVALID_PARAMETER}};
    for (const auto &c : cases)
        EXPECT_EQ(win::ErrorFromErrno(c.error), c.code) << c.error;
}

struct ChildCase
{
    const char *commandLine;
    std::int32_t exitCode;
};

const ChildCase kChildren[] = {
    {"true", 0},
    {"/bin/sh -c \"exit 3\"", 3},
    {"sh -c \"exit 259\"", 259 & 0xFF}, // POSIX keeps 8 bits
    {"sh -c \"kill -9 $$\"", 128 + 9},
};

class RealChild : public testing::TestWithParam<ChildCase>
{
};

TEST_P(RealChild, ExitCodeOfABlockingWait)
{
    pid_t pid = 0;
    ASSERT_EQ(win::CreateProcess(GetParam().commandLine, pid), 0u);
    std::int32_t code = -1;
    ASSERT_TRUE(win::WaitForProcess(pid, code));
    EXPECT_EQ(code, GetParam().exitCode);
    EXPECT_FALSE(win::WaitForProcess(pid, code)) << "already reaped";
}

INSTANTIATE_TEST_SUITE_P(Shell, RealChild, testing::ValuesIn(kChildren));

TEST(Process, MissingProgramFailsToStart)
{
    pid_t pid = 0;
    EXPECT_EQ(win::CreateProcess("/nonexistent/qm5230-prog", pid), win::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(win::CreateProcess("qm5230-no-such-program", pid), win::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(win::CreateProcess("", pid), win::ERROR_FILE_NOT_FOUND);
}

TEST(Process, ChildNotWaitedForIsReaped)
{
    pid_t pid = 0;
    ASSERT_EQ(win::CreateProcess("true", pid), 0u);
    win::ReapInBackground(pid);
    // A zombie keeps its /proc entry until someone reaps it.
    const auto proc = std::filesystem::path("/proc") / std::to_string(pid);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::filesystem::exists(proc) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    EXPECT_FALSE(std::filesystem::exists(proc));
}

} // namespace
