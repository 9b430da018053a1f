#include "app/single_instance.h"

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>
#include <string_view>

#include "support/scoped_environment.h"

namespace tq260 {
namespace {

QString uniqueName() {
    return QStringLiteral("test-") + QUuid::createUuid().toString();
}

TEST(SingleInstance, SecondStartHandsItsRequestToTheFirst) {
    const QString name = uniqueName();
    SingleInstance first(name);
    ASSERT_TRUE(first.becomeFirst());
    QStringList received;
    first.onMessage = [&](const QString& message) { received << message; };

    SingleInstance second(name);
    EXPECT_FALSE(second.becomeFirst());
    EXPECT_TRUE(second.sendToFirst(QStringLiteral("launch-key 112")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !received.isEmpty(); }, 5000));
    EXPECT_EQ(received, QStringList{QStringLiteral("launch-key 112")});
}

// The same user with another TMPDIR (or another $USER) is still the same user: one copy.
TEST(SingleInstance, AnotherTmpdirOrUserNameIsStillTheSameUser) {
    const QString name = uniqueName();
    SingleInstance first(name);
    ASSERT_TRUE(first.becomeFirst());
    const QByteArray tmpdir = qgetenv("TMPDIR");
    const QByteArray user = qgetenv("USER");
    QTemporaryDir elsewhere;
    qputenv("TMPDIR", elsewhere.path().toUtf8());
    qputenv("USER", "someone-else");
    SingleInstance second(name);
    EXPECT_FALSE(second.becomeFirst());
    EXPECT_EQ(second.lockPath(), first.lockPath());
    qputenv("TMPDIR", tmpdir);
    qputenv("USER", user);
    if (tmpdir.isEmpty()) qunsetenv("TMPDIR");
}

int makeFolder(const QByteArray& path, mode_t mode) {
    return ::mkdir(path, mode) == 0 ? ::chmod(path, mode) : -1;  // whatever the umask
}

// A runtime folder the session names but that is not there (a stale variable), or that others
// may enter: the copy still starts, in a folder of the user's own that only they may enter,
// and stays alone.
TEST(SingleInstance, ARuntimeFolderNotThereOrOpenToOthersFallsBackToTheUsersOwn) {
    QTemporaryDir scratch;
    ASSERT_EQ(makeFolder(QFile::encodeName(scratch.filePath("open")), 0755), 0);
    for (const char* runtimeFolder : {"gone", "open"}) {
        SCOPED_TRACE(runtimeFolder);
        const testing::ScopedEnvironment runtime("XDG_RUNTIME_DIR",
                                                 scratch.filePath(runtimeFolder).toStdString());
        const QString name = uniqueName();
        SingleInstance first(name);
        ASSERT_TRUE(first.becomeFirst());
        const QFileInfo folder(QFileInfo(first.lockPath()).path());
        EXPECT_EQ(folder.filePath(), QStringLiteral("/tmp/tq260-%1").arg(::getuid()));
        EXPECT_EQ(folder.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::ExeOther),
                  0);
        SingleInstance second(name);
        EXPECT_FALSE(second.becomeFirst());
        EXPECT_TRUE(second.sendToFirst(QStringLiteral("show")));
    }
}

// Only a real folder of the user's own, mode 0700, holds the lock and channel; anything else
// someone may have put in its place is refused and left as it is.
TEST(SingleInstance, OnlyARealFolderOfTheUsersOwnThatOnlyTheyEnterIsUsed) {
    QTemporaryDir scratch;
    const QByteArray target = QFile::encodeName(scratch.filePath("target"));
    ASSERT_EQ(makeFolder(target, 0755), 0);
    const struct {
        std::string_view name;
        mode_t mode;          // of a folder made first; 0 for none
        const char* refusal;  // empty when the folder is used
    } rows[] = {{"missing", 0, ""},
                {"private", 0700, ""},
                {"open", 0755, "mode is 0755"},
                {"link", 0, "symbolic link"},
                {"foreign", 0700, "another user"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray path = QFile::encodeName(scratch.filePath(row.name.data()));
        ASSERT_EQ(row.mode != 0 ? makeFolder(path, row.mode) : 0, 0);
        ASSERT_EQ(row.name == "link" ? ::symlink(target, path) : 0, 0);
        // Only root can give a folder away.
        if (row.name == "foreign" && (::geteuid() != 0 || ::chown(path, ::getuid() + 1, -1) != 0))
            continue;
        const QString why = SingleInstance::whyNotPrivate(QFile::decodeName(path), true);
        EXPECT_TRUE(*row.refusal ? why.contains(QLatin1String(row.refusal)) : why.isEmpty())
            << why.toStdString();
        struct stat status {};
        ASSERT_EQ(::lstat(path, &status), 0);
        if (*row.refusal == '\0') {
            EXPECT_EQ(status.st_mode, S_IFDIR | 0700u);
        }
    }
    struct stat status {};
    ASSERT_EQ(::stat(target, &status), 0);
    EXPECT_EQ(status.st_mode, S_IFDIR | 0755u);
    EXPECT_TRUE(QDir(QFile::decodeName(target)).isEmpty());
}

// The lock and the channel are made right in the verified folder, with no temporary folder
// beside them for a copy killed at the wrong moment to leave behind.
TEST(SingleInstance, ListensInTheFolderItselfWithoutATemporaryFolder) {
    QTemporaryDir runtime;  // the user's own, 0700
    const testing::ScopedEnvironment variable("XDG_RUNTIME_DIR", runtime.path().toStdString());
    const int watch = ::inotify_init1(IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, QFile::encodeName(runtime.path()), IN_CREATE), 0);
    SingleInstance first(uniqueName());
    ASSERT_TRUE(first.becomeFirst());
    EXPECT_EQ(QFileInfo(first.channelName()).path(), runtime.path());
    EXPECT_EQ(QFileInfo(first.lockPath()).path(), runtime.path());
    alignas(inotify_event) char events[4096];
    const ssize_t length = ::read(watch, events, sizeof events);
    ::close(watch);
    ASSERT_GT(length, 0);
    for (ssize_t at = 0; at < length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(events + at);
        EXPECT_EQ(event->mask & IN_ISDIR, 0u) << event->name;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
}

TEST(SingleInstance, NobodyListeningMeansTheRequestFails) {
    SingleInstance alone(uniqueName());
    EXPECT_FALSE(alone.sendToFirst(QStringLiteral("show")));
}

TEST(SingleInstance, LockAndChannelLeftByACrashDoNotStopTheNextStart) {
    const QString name = uniqueName();
    SingleInstance probe(name);
    const QString lockPath = probe.lockPath();
    {
        // A lock written by a process that no longer runs.
        QFile lock(lockPath);
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write("999999\n" + QCoreApplication::applicationName().toUtf8() + "\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
    }
    // The temporary socket folder an earlier copy was killed in, and a folder not its own.
    const QString stale = probe.channelName() + QStringLiteral(".Ab12cD");
    const QString other = probe.channelName() + QStringLiteral("-not-a-socket-folder");
    ASSERT_TRUE(QDir().mkpath(stale + QStringLiteral("/socket")));
    ASSERT_TRUE(QDir().mkpath(other));
    SingleInstance next(name);
    EXPECT_TRUE(next.becomeFirst());
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_TRUE(QFileInfo::exists(other));
    QDir(other).removeRecursively();
}

}  // namespace
}  // namespace tq260
