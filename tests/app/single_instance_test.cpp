#include "app/single_instance.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

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

// A runtime folder the session names but that is not there (a stale variable): the copy
// still starts, in a folder of the user's own that only they may enter, and stays alone.
TEST(SingleInstance, ARuntimeFolderThatIsNotThereFallsBackToTheUsersOwn) {
    QTemporaryDir scratch;
    const testing::ScopedEnvironment runtime("XDG_RUNTIME_DIR",
                                             scratch.filePath("gone").toStdString());
    const QString name = uniqueName();
    SingleInstance first(name);
    ASSERT_TRUE(first.becomeFirst());
    const QFileInfo folder(QFileInfo(first.lockPath()).path());
    EXPECT_EQ(folder.filePath(), QStringLiteral("/tmp/tq260-%1").arg(::getuid()));
    EXPECT_EQ(folder.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::ExeOther), 0);
    SingleInstance second(name);
    EXPECT_FALSE(second.becomeFirst());
    EXPECT_TRUE(second.sendToFirst(QStringLiteral("show")));
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
    SingleInstance next(name);
    EXPECT_TRUE(next.becomeFirst());
}

}  // namespace
}  // namespace tq260
