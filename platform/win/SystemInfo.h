// Names, directories, environment and start-up information of the system,
// as the window system's run-time gives them, answered from POSIX.
//
// Thread contract: the readers may be called from any thread; the
// environment writer only from the main thread while no other thread reads
// the environment (setenv is not thread-safe).
#pragma once

#include <QString>
#include <QStringList>

namespace win {

// The host name; empty when the system gives none.
QString GetComputerName();
// The login name of the effective user; empty when it has none.
QString GetUserName();
// Resolves the host name to its first IPv4 address ("%d.%d.%d.%d", octets
// 0..255). A name that does not resolve, or resolves to no IPv4 address,
// gives "-none-" for both.
void GetHostInfo(QString &name, QString &address);

// Linux has no Windows or system directory: both are empty.
QString GetWindowsDirectory();
QString GetSystemDirectory();
// The directory for temporary files, as given ($TMPDIR or /tmp).
QString GetTempPath();

constexpr int SW_SHOWNORMAL = 1;
// How the program was asked to show its window at start; Linux passes no such
// request, so this is always SW_SHOWNORMAL.
int StartupShowCommand();

// The process environment, "name=value" per variable, in its own order.
QStringList GetEnvironmentStrings();
// False for an empty name, a name with "=", or a refusal of the system.
bool SetEnvironmentVariable(const QString &name, const QString &value);

} // namespace win
