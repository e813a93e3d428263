// Starting programs from a command line, waiting for them and reading their
// exit codes, in the window system's terms.
//
// Thread contract: any thread; a process id is waited for by one caller.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace win {

// System error codes a failed start reports (the window system's numbers).
constexpr std::uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr std::uint32_t ERROR_PATH_NOT_FOUND = 3;
constexpr std::uint32_t ERROR_ACCESS_DENIED = 5;
constexpr std::uint32_t ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr std::uint32_t ERROR_BAD_ENVIRONMENT = 10;
constexpr std::uint32_t ERROR_SHARING_VIOLATION = 32;
constexpr std::uint32_t ERROR_INVALID_PARAMETER = 87;
constexpr std::uint32_t ERROR_BAD_EXE_FORMAT = 193;
constexpr std::uint32_t ERROR_FILENAME_EXCED_RANGE = 206;

constexpr std::uint32_t STILL_ACTIVE = 259;

// Splits a command line as the window system's run-time does: the program
// name ends at white space or, when it starts with a quote, at the next
// quote; in the arguments quotes group white space, "" inside quotes is a
// quote, 2n backslashes before a quote give n backslashes and 2n + 1 give n
// and a literal quote; other backslashes are kept.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// The system error code for an errno value of a failed start.
std::uint32_t ErrorFromErrno(int error);

// Starts the command line's program, searched along PATH. On success gives
// the process id and returns 0, else returns the system error code.
std::uint32_t CreateProcess(std::string_view commandLine, pid_t &pid);

enum class ProcessState { Running, Exited, Failed };
// Without blocking: whether the process has ended, and then its exit code
// (128 + the signal number for a process ended by a signal). An ended
// process is reaped by this call.
ProcessState PollProcess(pid_t pid, std::int32_t &exitCode);
// Blocks until the process ends; false when it cannot be waited for.
bool WaitForProcess(pid_t pid, std::int32_t &exitCode);
// Reaps the process when it ends, without anyone waiting for it.
void ReapInBackground(pid_t pid);

} // namespace win
