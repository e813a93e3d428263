#include "platform/win/Process.h"

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char **environ;

namespace win {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::int32_t exitCodeOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

} // namespace

std::vector<std::string> SplitCommandLine(std::string_view line)
{
    std::vector<std::string> args;
    std::size_t i = 0;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    if (i == line.size())
        return args;

    std::string program;
    if (line[i] == '"') {
        ++i;
        while (i < line.size() && line[i] != '"')
            program.push_back(line[i++]);
        if (i < line.size())
            ++i;
    } else {
        while (i < line.size() && !isBlank(line[i]))
            program.push_back(line[i++]);
    }
    args.push_back(std::move(program));

    for (;;) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i == line.size())
            break;
        std::string arg;
        bool quoted = false;
        while (i < line.size() && (quoted || !isBlank(line[i]))) {
            if (line[i] == '\\') {
                std::size_t slashes = 0;
                while (i < line.size() && line[i] == '\\') {
                    ++slashes;
                    ++i;
                }
                if (i < line.size() && line[i] == '"') {
                    arg.append(slashes / 2, '\\');
                    if (slashes % 2 == 1) {
                        arg.push_back('"');
                        ++i;
                    }
                } else {
                    arg.append(slashes, '\\');
                }
            } else if (line[i] == '"') {
                if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    arg.push_back('"');
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg.push_back(line[i++]);
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

std::uint32_t ErrorFromErrno(int error)
{
    switch (error) {
    case 0:
        return 0;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ELOOP:
        return ERROR_PATH_NOT_FOUND;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EACCES:
    case EPERM:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case ENOMEM:
    case EAGAIN:
        return ERROR_NOT_ENOUGH_MEMORY;
    case E2BIG:
        return ERROR_BAD_ENVIRONMENT;
    case ETXTBSY:
        return ERROR_SHARING_VIOLATION;
    case ENOEXEC:
        return ERROR_BAD_EXE_FORMAT;
    default:
        return ERROR_INVALID_PARAMETER;
    }
}

std::uint32_t CreateProcess(std::string_view commandLine, pid_t &pid)
{
    std::vector<std::string> args = SplitCommandLine(commandLine);
    if (args.empty() || args[0].empty())
        return ERROR_FILE_NOT_FOUND;
    std::vector<char *> argv;
    argv.reserve(args.size() + 1);
    for (auto &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int error = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    return ErrorFromErrno(error);
}

ProcessState PollProcess(pid_t pid, std::int32_t &exitCode)
{
    int status = 0;
    pid_t r;
    do {
        r = waitpid(pid, &status, WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == 0)
        return ProcessState::Running;
    if (r < 0)
        return ProcessState::Failed;
    exitCode = exitCodeOf(status);
    return ProcessState::Exited;
}

bool WaitForProcess(pid_t pid, std::int32_t &exitCode)
{
    int status = 0;
    pid_t r;
    do {
        r = waitpid(pid, &status, 0);
    } while (r < 0 && errno == EINTR);
    if (r != pid)
        return false;
    exitCode = exitCodeOf(status);
    return true;
}

void ReapInBackground(pid_t pid)
{
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

} // namespace win
