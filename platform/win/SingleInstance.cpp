#include "platform/win/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace win {

namespace {
// A message is one line, and no one sends more.
constexpr qint64 MaxMessage = 4096;
} // namespace

QString InstanceName(const QString &executablePath)
{
    const QByteArray hash =
        QCryptographicHash::hash(executablePath.toUtf8(), QCryptographicHash::Sha256).toHex();
    return QStringLiteral("qm5230-instance-") + QString::fromLatin1(hash.left(32));
}

QString InstanceDirectory()
{
    return QStringLiteral("/tmp/qm5230-instances-%1").arg(::getuid());
}

namespace {

// The user's own directory for the lock and the socket, made when missing;
// false when it cannot be made, or when someone else could have put or may
// change anything in it.
bool OwnDirectory(const QString &dir)
{
    const QByteArray path = QFile::encodeName(dir);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st = {};
    if (::lstat(path.constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

} // namespace

InstanceLock::InstanceLock(const QString &executablePath, const QString &directory, QObject *parent)
    : QObject(parent)
{
    const QString name = InstanceName(executablePath);
    // One directory keeps the lock and the socket, so copies that find the
    // one find the other.
    QString dir = directory;
    if (dir.isEmpty()) {
        dir = InstanceDirectory();
        m_usable = OwnDirectory(dir);
    }
    m_name = QDir(dir).filePath(name);
    m_lockFile = QDir(dir).filePath(name + QStringLiteral(".lock"));
}

InstanceLock::~InstanceLock()
{
    if (m_server)
        m_server->close();
    if (m_fd >= 0)
        ::close(m_fd);
}

bool InstanceLock::Acquire()
{
    if (m_fd >= 0 || !m_usable)
        return true;
    const int fd =
        ::open(QFile::encodeName(m_lockFile).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return !busy;
    }
    m_fd = fd;
    return true;
}

bool InstanceLock::Listen(std::function<void(const QString &)> onMessage)
{
    if (!m_usable)
        return false;
    if (!m_server) {
        m_server = new QLocalServer(this);
        // Only the holder of the lock listens, so a socket left by a copy
        // that died is stale and may go.
        if (m_fd >= 0)
            QLocalServer::removeServer(m_name);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        if (!m_server->listen(m_name))
            return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this, onMessage] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            const auto read = [socket, onMessage] {
                if (!socket->canReadLine()) {
                    if (socket->bytesAvailable() > MaxMessage)
                        socket->abort();
                    return;
                }
                const QString message = QString::fromUtf8(socket->readLine(MaxMessage)).trimmed();
                socket->disconnectFromServer();
                if (onMessage)
                    onMessage(message);
            };
            connect(socket, &QLocalSocket::readyRead, socket, read);
            if (socket->bytesAvailable() > 0)
                read();
        }
    });
    return true;
}

void InstanceLock::StopListening()
{
    if (m_server)
        m_server->close();
}

bool InstanceLock::Send(const QString &message, int timeoutMs) const
{
    if (!m_usable)
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(message.toUtf8().left(MaxMessage - 1) + '\n');
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return sent;
}

} // namespace win
