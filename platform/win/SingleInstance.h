// The mark of a running copy of a program and the word a later copy sends
// it. A locked file marks the first copy: the lock goes with its process,
// so a copy that crashed leaves nothing behind. A local socket carries the
// message.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QLocalServer;

namespace win {

// The names used for one executable path: the same path gives the same
// names, another path others; short enough for any socket name.
QString InstanceName(const QString &executablePath);
// Where every copy of a program run by this user looks for the lock and the
// socket: a directory of the user's own under /tmp, the same whatever the
// environment says (TMPDIR, XDG_RUNTIME_DIR), so that copies started from
// different shells or sessions still find each other.
QString InstanceDirectory();

// Thread contract: main thread only (the server delivers on its thread).
class InstanceLock : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(InstanceLock)

public:
    // `directory`: where the lock file and the socket lie; empty for
    // InstanceDirectory(). A directory that cannot be made or is not the
    // user's own alone holds no lock (every copy is the first) and no socket.
    explicit InstanceLock(const QString &executablePath, const QString &directory = {},
                          QObject *parent = nullptr);
    ~InstanceLock() override;

    // Takes the lock. False only when another live process holds it; a lock
    // file that cannot be made counts as taken (this is the first copy).
    bool Acquire();
    bool Held() const { return m_fd >= 0; }
    QString LockFile() const { return m_lockFile; }

    // In the first copy: listens for later copies; `onMessage` gets each
    // message. False when the socket cannot be opened.
    bool Listen(std::function<void(const QString &)> onMessage);
    // Closes the socket, so that its file goes; the lock stays held.
    void StopListening();
    // In a later copy: hands `message` to the first; false when it cannot
    // be reached within `timeoutMs`.
    bool Send(const QString &message, int timeoutMs = 2000) const;

private:
    QString m_name; // the socket's name, or its path in a given directory
    QString m_lockFile;
    int m_fd = -1;
    bool m_usable = true; // false: the directory is not safely the user's
    QPointer<QLocalServer> m_server;
};

} // namespace win
