#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace tq260 {

// One running copy per user session. The first copy holds a lock and listens on a local
// channel; later copies hand it a message ("show", "launch-key <vk>") and end. A lock or a
// channel left behind by a copy that crashed never stops the next start.
class SingleInstance final : public QObject {
  public:
    // The program's mutex name; the user's id is added so each user has their own copy.
    static constexpr const char* kMutexName = " {57D1171D-1a34-0804-8A3A-65ABA2160002}";

    explicit SingleInstance(const QString& name = QString::fromLatin1(kMutexName));
    ~SingleInstance() override;

    // True when this is the first copy: it then listens for messages.
    bool becomeFirst();
    // Delivers a message to the first copy; false when none is listening.
    bool sendToFirst(const QString& message);

    std::function<void(const QString&)> onMessage;

    // Why `path` may not hold the lock and channel, or empty when it may: it must be a real
    // folder (not a link), the user's own, mode 0700, so no one else can reach the channel or
    // plant anything in it. A missing one is made 0700 first when `make` is set.
    static QString whyNotPrivate(const QString& path, bool make);

    QString channelName() const { return channel_; }
    QString lockPath() const { return lockPath_; }

  private:
    // Takes the lock only one copy may hold; false when another copy holds it.
    bool holdLock();
#ifdef Q_OS_UNIX
    void removeStaleSocketFolders();
#endif
    QString channel_;
    QString lockPath_;
    std::unique_ptr<QLockFile> lock_;
#ifdef Q_OS_WIN
    QString mutexName_;
    void* mutex_ = nullptr;  // HANDLE
#endif
    std::unique_ptr<QLocalServer> server_;
};

}  // namespace tq260
