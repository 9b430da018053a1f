#include "app/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>

namespace tq260 {

namespace {

constexpr int kConnectTimeoutMs = 1000;

QString sessionUser() {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) user = qEnvironmentVariable("USERNAME");
    return user;
}

}  // namespace

SingleInstance::SingleInstance(const QString& name) {
    // A name fit for a socket file: the mutex name and user, hashed.
    const QByteArray key = (name + QLatin1Char('|') + sessionUser()).toUtf8();
    channel_ = QStringLiteral("tq260-") +
               QString::fromLatin1(
                   QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::becomeFirst() {
    lock_ = std::make_unique<QLockFile>(QDir::temp().filePath(channel_ + QStringLiteral(".lock")));
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
