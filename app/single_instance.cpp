#include "app/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTextStream>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#else
#include <windows.h>
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

#ifdef Q_OS_UNIX
// Where the lock and the channel live, the same for every copy of the user whatever its
// TMPDIR says: the session's runtime folder, else a folder of the user's own under /tmp. Anyone
// can make that /tmp name first, so when it does not pass, the user's cache folder (in their
// home, where no one else can make things) holds them instead. A refused folder is named on
// stderr. Empty when no folder passes.
QString runtimeFolder() {
    constexpr const char* kProgram = "TQ260 104vez VANTOR";
    struct Candidate {
        QString path;
        bool make;
    };
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const Candidate candidates[] = {
        // The session makes its runtime folder; a stale variable naming none is passed over.
        {qEnvironmentVariable("XDG_RUNTIME_DIR"), false},
        {QStringLiteral("/tmp/tq260-%1").arg(::getuid()), true},
        {cache.isEmpty() ? QString() : cache + QStringLiteral("/tq260"), true},
    };
    for (const auto& [path, make] : candidates) {
        struct stat status {};
        if (path.isEmpty() ||
            (!make && ::lstat(QFile::encodeName(path).constData(), &status) != 0)) {
            continue;
        }
        if (make) QDir().mkpath(QFileInfo(path).path());
        const QString why = SingleInstance::whyNotPrivate(path, make);
        if (why.isEmpty()) return path;
        QTextStream(stderr) << kProgram << " does not use " << path
                            << " for its lock and channel: " << why << ".\n";
    }
    QTextStream(stderr) << kProgram << " has no folder of its own for its lock and channel, "
                        << "so later starts will not find this copy.\n";
    return {};
}
#endif

}  // namespace

QString SingleInstance::whyNotPrivate(const QString& path, bool make) {
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    if (make && ::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        return QStringLiteral("it cannot be made (%1)")
            .arg(QString::fromLocal8Bit(strerror(errno)));
    }
    // lstat: a link is judged as itself, never by what it points to.
    struct stat status {};
    if (::lstat(native.constData(), &status) != 0) return QStringLiteral("it is not there");
    if (S_ISLNK(status.st_mode)) return QStringLiteral("it is a symbolic link");
    if (!S_ISDIR(status.st_mode)) return QStringLiteral("it is not a folder");
    if (status.st_uid != ::getuid()) {
        return QStringLiteral("it belongs to another user (uid %1)").arg(status.st_uid);
    }
    if ((status.st_mode & 07777) != 0700) {
        return QStringLiteral("its mode is %1, not 0700")
            .arg(status.st_mode & 07777, 4, 8, QLatin1Char('0'));
    }
#else
    Q_UNUSED(path);
    Q_UNUSED(make);
#endif
    return {};
}

SingleInstance::SingleInstance(const QString& name) {
    // A name fit for a socket file: the mutex name and user, hashed.
    const QByteArray key = (name + QLatin1Char('|') + sessionUser()).toUtf8();
    const QString hashed =
        QStringLiteral("tq260-") +
        QString::fromLatin1(
            QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
#ifdef Q_OS_UNIX
    // A full path: the channel does not follow TMPDIR either.
    const QString folder = runtimeFolder();
    if (folder.isEmpty()) return;
    channel_ = folder + QLatin1Char('/') + hashed;
    lockPath_ = channel_ + QStringLiteral(".lock");
#else
    channel_ = hashed;
    // A named mutex rather than a lock file: the system lets it go the moment its process
    // ends, where a lock file left by a killed copy is judged by a process id that may have
    // been handed on to another program since.
    mutexName_ = QStringLiteral("Local\\") + hashed;
#endif
}

SingleInstance::~SingleInstance() {
#ifdef Q_OS_WIN
    if (mutex_) CloseHandle(mutex_);
#endif
}

bool SingleInstance::holdLock() {
#ifdef Q_OS_WIN
    mutex_ = CreateMutexW(nullptr, FALSE, reinterpret_cast<LPCWSTR>(mutexName_.utf16()));
    if (mutex_ && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex_);
        mutex_ = nullptr;
        return false;
    }
    // Without a mutex (no name space to make it in) this copy runs alone.
    return true;
#else
    if (lockPath_.isEmpty()) return true;  // no folder to meet in: this copy runs alone
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // A lock whose owner process is gone is taken over.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        lock_.reset();
        return false;
    }
    return true;
#endif
}

bool SingleInstance::becomeFirst() {
    if (!holdLock()) return false;
    QLocalServer::removeServer(channel_);  // a socket left behind by a crash
#ifdef Q_OS_UNIX
    removeStaleSocketFolders();
#endif
    server_ = std::make_unique<QLocalServer>();
#ifdef Q_OS_UNIX
    // No access option: the folder is the user's own and 0700, which already keeps others from
    // the socket, and the option makes the socket in a temporary folder beside it that a copy
    // killed at the wrong moment leaves behind.
#else
    // A named pipe has no folder to guard it.
    server_->setSocketOptions(QLocalServer::UserAccessOption);
#endif
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

#ifdef Q_OS_UNIX
void SingleInstance::removeStaleSocketFolders() {
    // Earlier copies made their socket in a temporary folder beside it ("<channel>" and six
    // random characters), which a copy killed at the wrong moment left behind. This copy holds
    // the lock, so none of its kind is making one now.
    const QFileInfo channel(channel_);
    const QDir folder = channel.dir();
    for (const QFileInfo& entry : folder.entryInfoList(
             {channel.fileName() + QStringLiteral("*")},
             QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
        const qsizetype extra = entry.fileName().size() - channel.fileName().size();
        if ((extra == 6 || extra == 7) && entry.ownerId() == ::getuid()) {
            QDir(entry.filePath()).removeRecursively();
        }
    }
}
#endif

bool SingleInstance::sendToFirst(const QString& message) {
    if (channel_.isEmpty()) return false;
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
