#include "app/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace tq260 {

namespace {

constexpr int kConnectTimeoutMs = 1000;

// The user the process runs as, by the system's own count: $USER can be set to anything.
QString sessionUser() {
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

// Where the lock and the channel live: the user's runtime folder, the same for every copy
// of that user whatever its TMPDIR says.
QString runtimeFolder() {
#ifdef Q_OS_UNIX
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) return runtime;
    // Without one (a plain console), a folder of the user's own under /tmp itself.
    const QString own = QStringLiteral("/tmp/tq260-%1").arg(::getuid());
    QDir().mkpath(own);
    QFile::setPermissions(own,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return own;
#else
    return QDir::tempPath();
#endif
}

}  // namespace

SingleInstance::SingleInstance(const QString& name) {
    // A name fit for a socket file: the mutex name and user, hashed.
    const QByteArray key = (name + QLatin1Char('|') + sessionUser()).toUtf8();
    const QString hashed =
        QStringLiteral("tq260-") +
        QString::fromLatin1(
            QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
#ifdef Q_OS_UNIX
    // A full path: the channel does not follow TMPDIR either.
    channel_ = runtimeFolder() + QLatin1Char('/') + hashed;
    lockPath_ = channel_ + QStringLiteral(".lock");
#else
    channel_ = hashed;
    lockPath_ = QDir(runtimeFolder()).filePath(hashed + QStringLiteral(".lock"));
#endif
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::becomeFirst() {
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // A lock whose owner process is gone is taken over.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        lock_.reset();
        return false;
    }
    QLocalServer::removeServer(channel_);  // a socket left behind by a crash
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                const QString message = QString::fromUtf8(socket->readAll()).trimmed();
                if (onMessage && !message.isEmpty()) onMessage(message);
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    server_->listen(channel_);
    return true;
}

bool SingleInstance::sendToFirst(const QString& message) {
    QLocalSocket socket;
    socket.connectToServer(channel_);
    if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
    socket.write(message.toUtf8());
    socket.flush();
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

}  // namespace tq260
