#include "platform/win/SystemInfo.h"

#include <QDir>

#include <climits>
#include <cstdlib>
#include <netdb.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace win {

QString GetComputerName()
{
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return {};
    return QString::fromLocal8Bit(name);
}

QString GetUserName()
{
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? std::size_t(size) : 16384);
    passwd entry{};
    passwd *found = nullptr;
    while (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
           buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    return found && found->pw_name ? QString::fromLocal8Bit(found->pw_name) : QString();
}

void GetHostInfo(QString &name, QString &address)
{
    name = address = QStringLiteral("-none-");
    const QString host = GetComputerName();
    if (host.isEmpty())
        return;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo *result = nullptr;
    if (getaddrinfo(host.toLocal8Bit().constData(), nullptr, &hints, &result) != 0 || !result)
        return;
    for (const addrinfo *a = result; a; a = a->ai_next) {
        if (a->ai_family != AF_INET || !a->ai_addr)
            continue;
        const auto *in = reinterpret_cast<const sockaddr_in *>(a->ai_addr);
        const auto *octets = reinterpret_cast<const unsigned char *>(&in->sin_addr.s_addr);
        address = QStringLiteral("%1.%2.%3.%4")
                      .arg(octets[0])
                      .arg(octets[1])
                      .arg(octets[2])
                      .arg(octets[3]);
        name = host;
        break;
    }
    freeaddrinfo(result);
}

QString GetWindowsDirectory()
{
    return {};
}

QString GetSystemDirectory()
{
    return {};
}

QString GetTempPath()
{
    const QByteArray tmp = qgetenv("TMPDIR");
    return tmp.isEmpty() ? QDir::tempPath() : QString::fromLocal8Bit(tmp);
}

int StartupShowCommand()
{
    return SW_SHOWNORMAL;
}

QStringList GetEnvironmentStrings()
{
    QStringList lines;
    for (char **e = environ; e && *e; ++e)
        lines << QString::fromLocal8Bit(*e);
    return lines;
}

bool SetEnvironmentVariable(const QString &name, const QString &value)
{
    if (name.isEmpty() || name.contains(u'='))
        return false;
    return setenv(name.toLocal8Bit().constData(), value.toLocal8Bit().constData(), 1) == 0;
}

} // namespace win
