#include "platform/device_claim.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "platform/shared_device_claims.h"
#include "support/other_process_lock.h"
#include "support/temporary_folder.h"

namespace tq260 {
namespace {

using testing::anotherProcessLocks;
using testing::OtherProcess;
using testing::TemporaryFolder;
using testing::writeRawFile;

// What another process finds when it tries to claim the node: its outcome, as its exit code.
int outcomeInAnotherProcess(const std::string& path) {
    const pid_t child = fork();
    if (child == 0) {
        std::unique_ptr<DeviceClaim> claim;
        _exit(static_cast<int>(DeviceClaim::take(path, claim)));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::ptrdiff_t openDescriptors() {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                         std::filesystem::directory_iterator());
}

TEST(DeviceClaim, OneClaimAtATimeHoldsTheNode) {
    TemporaryFolder folder;
    const std::string node = (folder / "hidraw3").string();
    writeRawFile(node, {});
    EXPECT_FALSE(DeviceClaim::heldElsewhere(node));
    std::unique_ptr<DeviceClaim> command;
    ASSERT_EQ(DeviceClaim::take(node, command), DeviceClaim::Outcome::Claimed);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(outcomeInAnotherProcess(node), static_cast<int>(DeviceClaim::Outcome::HeldElsewhere));
    // A second claim of this process is refused too: its holders share the one they have.
    // Neither it nor a probe leaves a descriptor open (the program tries again and again).
    const auto descriptors = openDescriptors();
    EXPECT_TRUE(DeviceClaim::heldElsewhere(node));
    std::unique_ptr<DeviceClaim> again;
    EXPECT_EQ(DeviceClaim::take(node, again), DeviceClaim::Outcome::HeldElsewhere);
    EXPECT_EQ(again, nullptr);
    EXPECT_EQ(openDescriptors(), descriptors);
    command.reset();
    // Released: the other process gets it.
    EXPECT_FALSE(DeviceClaim::heldElsewhere(node));
    EXPECT_EQ(outcomeInAnotherProcess(node), static_cast<int>(DeviceClaim::Outcome::Claimed));
}

// Whatever else the process does with the file, the claim holds until it goes, against this
// program's lock and an older tool's record lock alike.
TEST(DeviceClaim, ClosingAnotherDescriptorOfTheFileNeverLetsGo) {
    using Take = DeviceClaim::Outcome (*)(const std::string&, std::unique_ptr<DeviceClaim>&);
    const struct {
        const char* name;
        Take take;
    } ways[] = {{"a device node", &DeviceClaim::take}, {"a lock file", &DeviceClaim::takeLockFile}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        TemporaryFolder folder;
        const std::string file = (folder / "VirtualKeyboard.lock").string();
        writeRawFile(file, {});
        std::unique_ptr<DeviceClaim> claim;
        ASSERT_EQ(way.take(file, claim), DeviceClaim::Outcome::Claimed);
        // A chooser reading the file to tell its type, a probe.
        { std::ifstream(file).get(); }
        close(open(file.c_str(), O_RDWR));
        EXPECT_TRUE(DeviceClaim::heldElsewhere(file));
        for (const int command : {F_OFD_SETLK, F_SETLK}) {
            EXPECT_EQ(anotherProcessLocks(file, command), OtherProcess::Refused) << command;
        }
        claim.reset();
        EXPECT_EQ(anotherProcessLocks(file, F_SETLK), OtherProcess::Locked);
    }
}

mode_t modeOf(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

// Whoever may open the lock file may lock it: it is made this user's alone, and one an
// earlier version (or the umask) made readable by others, a group's members too, is made so
// when it is opened.
TEST(DeviceClaim, ALockFileIsPrivateToItsUserAsANormalUser) {
    const mode_t umask = ::umask(022);
    for (const std::optional<mode_t> before :
         {std::optional<mode_t>{}, {0644}, {0640}, {0604}, {0666}}) {
        TemporaryFolder folder;
        const std::string file = (folder / "VirtualKeyboard.lock").string();
        if (before) {
            writeRawFile(file, {});
            ASSERT_EQ(::chmod(file.c_str(), *before), 0);
        }
        std::unique_ptr<DeviceClaim> claim;
        std::string otherUser = "unchanged";
        ASSERT_EQ(DeviceClaim::takeLockFile(file, claim, &otherUser),
                  DeviceClaim::Outcome::Claimed);
        EXPECT_EQ(modeOf(file), 0600U) << std::oct << before.value_or(0);
        EXPECT_EQ(otherUser, "unchanged");
        // This user's own program holding it is no other user.
        std::unique_ptr<DeviceClaim> again;
        EXPECT_EQ(DeviceClaim::takeLockFile(file, again, &otherUser),
                  DeviceClaim::Outcome::HeldElsewhere);
    }
    ::umask(umask);
}

// Another user: one whose files this process may make, so root only.
constexpr uid_t kOtherUser = 65534;

std::string otherUsersName() {
    const passwd* entry = ::getpwuid(kOtherUser);
    return entry != nullptr ? entry->pw_name : "uid " + std::to_string(kOtherUser);
}

// Whatever another user put at the lock file's name in this user's folder (a file, a link, a
// pipe, a folder) is never locked or used, and its owner is named.
TEST(DeviceClaim, AnotherUsersLockFileIsNeverTaken) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root gives a file to another user";
    const char* const kinds[] = {"file", "link", "pipe", "folder"};
    for (const std::string kind : kinds) {
        SCOPED_TRACE(kind);
        TemporaryFolder folder;
        const std::string owned = (folder / "theirs").string();
        writeRawFile(owned, {});
        ASSERT_EQ(::chmod(owned.c_str(), 0644), 0);
        ASSERT_EQ(::chown(owned.c_str(), kOtherUser, kOtherUser), 0);
        const std::string file = (folder / "VirtualKeyboard.lock").string();
        const int made = kind == "link"     ? ::symlink("theirs", file.c_str())
                         : kind == "pipe"   ? ::mkfifo(file.c_str(), 0644)
                         : kind == "folder" ? ::mkdir(file.c_str(), 0755)
                                            : ::rename(owned.c_str(), file.c_str());
        ASSERT_EQ(made, 0);
        ASSERT_EQ(::lchown(file.c_str(), kOtherUser, kOtherUser), 0);
        std::unique_ptr<DeviceClaim> claim;
        std::string otherUser;
        EXPECT_EQ(DeviceClaim::takeLockFile(file, claim, &otherUser),
                  DeviceClaim::Outcome::HeldByAnotherUser);
        EXPECT_EQ(claim, nullptr);
        EXPECT_EQ(otherUser, otherUsersName());
        // Left as it was: not made this user's, nor locked, nor replaced.
        EXPECT_EQ(modeOf(kind == "link" ? owned : file), kind == "folder" ? 0755U : 0644U);
        if (kind == "file" || kind == "link") {
            EXPECT_EQ(anotherProcessLocks(file), OtherProcess::Locked);
        }
    }
}

// What another process of this user's finds when it tries to take the lock file.
DeviceClaim::Outcome lockFileInAnotherProcess(const std::string& path) {
    const pid_t child = fork();
    if (child == 0) {
        std::unique_ptr<DeviceClaim> claim;
        _exit(static_cast<int>(DeviceClaim::takeLockFile(path, claim)));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return static_cast<DeviceClaim::Outcome>(WIFEXITED(status) ? WEXITSTATUS(status) : 99);
}

ino_t inodeOf(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

// Another user who opened the file while it was readable to others read-locks it, before
// this user's claim or after: the file is replaced by a private one, so the old descriptor
// holds a file nobody uses, and this user's claims still exclude each other. This user's own
// process (an older tool's record lock) is no other user: its file is kept until it lets go.
TEST(DeviceClaim, AnotherUsersOldDescriptorNeverBlocksAndClaimsStillExclude) {
    const struct {
        int command;
        bool anotherUser;
        bool lockFirst;
        DeviceClaim::Outcome whileLocked;
    } locks[] = {
        {F_SETLK, true, true, DeviceClaim::Outcome::Claimed},
        {F_OFD_SETLK, true, true, DeviceClaim::Outcome::Claimed},
        {F_OFD_SETLK, true, false, DeviceClaim::Outcome::Claimed},
        {F_SETLK, false, true, DeviceClaim::Outcome::HeldElsewhere},
    };
    for (const auto& lock : locks) {
        SCOPED_TRACE(std::to_string(lock.command) + (lock.anotherUser ? " another user" : "") +
                     (lock.lockFirst ? " locked first" : ""));
        // Only root runs a process as another user.
        if (lock.anotherUser && ::geteuid() != 0) continue;
        TemporaryFolder folder;
        ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
        const std::string file = (folder / "VirtualKeyboard.lock").string();
        writeRawFile(file, {});
        ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
        const ino_t old = inodeOf(file);
        int ready[2];
        int go[2];
        ASSERT_EQ(::pipe(ready), 0);
        ASSERT_EQ(::pipe(go), 0);
        const pid_t child = fork();
        if (child == 0) {
            // System calls only, as the child of a process with threads must make. Opened as
            // that user, so only through what the file's mode lets others do.
            ::close(go[1]);
            ::close(ready[0]);
            char byte = 0;
            struct flock whole {};
            whole.l_type = F_RDLCK;
            whole.l_whence = SEEK_SET;
            if (lock.anotherUser && (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0)) {
                _exit(1);
            }
            const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0 || (lock.lockFirst && ::fcntl(fd, lock.command, &whole) != 0) ||
                ::write(ready[1], &byte, 1) != 1 || ::read(go[0], &byte, 1) != 1 ||
                ::fcntl(fd, lock.command, &whole) != 0 || ::write(ready[1], &byte, 1) != 1) {
                _exit(1);
            }
            _exit(::read(go[0], &byte, 1) == 1 ? 0 : 1);
        }
        ::close(ready[1]);
        ::close(go[0]);
        // The other holder ends when its pipe closes, should a check fail before it is let go.
        const struct Release {
            int fds[2];
            pid_t child;
            ~Release() {
                for (const int fd : fds) ::close(fd);
                ::waitpid(child, nullptr, 0);
            }
        } release{{go[1], ready[0]}, child};
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        std::unique_ptr<DeviceClaim> claim;
        std::string otherUser = "unchanged";
        ASSERT_EQ(DeviceClaim::takeLockFile(file, claim, &otherUser), lock.whileLocked);
        EXPECT_EQ(otherUser, "unchanged");
        const bool replaced = lock.whileLocked == DeviceClaim::Outcome::Claimed;
        EXPECT_EQ(inodeOf(file) != old, replaced);
        EXPECT_EQ(modeOf(file), replaced ? 0600U : 0644U);
        // The other holder locks (again) through its old descriptor.
        ASSERT_EQ(::write(go[1], &byte, 1), 1);
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        for (int round = 0; round < 2 && replaced; ++round) {
            // This user's claim holds against this user's other processes, taken again too.
            EXPECT_EQ(lockFileInAnotherProcess(file), DeviceClaim::Outcome::HeldElsewhere);
            claim.reset();
            EXPECT_EQ(DeviceClaim::takeLockFile(file, claim, &otherUser),
                      DeviceClaim::Outcome::Claimed);
            EXPECT_EQ(otherUser, "unchanged");
        }
        ASSERT_EQ(::write(go[1], &byte, 1), 1);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        // Once this user's older tool lets go, its file is replaced too.
        claim.reset();
        EXPECT_EQ(DeviceClaim::takeLockFile(file, claim), DeviceClaim::Outcome::Claimed);
        EXPECT_EQ(modeOf(file), 0600U);
        EXPECT_EQ(lockFileInAnotherProcess(file), DeviceClaim::Outcome::HeldElsewhere);
    }
}

// Copies of this user's program that find the file open to others at once each replace it,
// one after another: still exactly one of them holds it.
TEST(DeviceClaim, CopiesReplacingTheFileAtOnceStillExcludeEachOther) {
    constexpr int kCopies = 6;
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE(round);
        TemporaryFolder folder;
        const std::string file = (folder / "VirtualKeyboard.lock").string();
        writeRawFile(file, {});
        ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
        int start[2];
        int outcomes[2];
        int done[2];
        ASSERT_EQ(::pipe(start), 0);
        ASSERT_EQ(::pipe(outcomes), 0);
        ASSERT_EQ(::pipe(done), 0);
        pid_t copies[kCopies];
        for (pid_t& copy : copies) {
            copy = fork();
            if (copy == 0) {
                ::close(start[1]);
                ::close(done[1]);
                char byte = 0;
                // All start when the pipe closes; each holds what it got until told.
                static_cast<void>(::read(start[0], &byte, 1));
                std::unique_ptr<DeviceClaim> claim;
                byte = static_cast<char>(DeviceClaim::takeLockFile(file, claim));
                _exit(::write(outcomes[1], &byte, 1) == 1 && ::read(done[0], &byte, 1) == 0 ? 0
                                                                                            : 1);
            }
        }
        ::close(start[0]);
        ::close(start[1]);
        ::close(outcomes[1]);
        int claimed = 0;
        char byte = 0;
        for (int copy = 0; copy < kCopies && ::read(outcomes[0], &byte, 1) == 1; ++copy) {
            claimed += byte == static_cast<char>(DeviceClaim::Outcome::Claimed);
        }
        EXPECT_EQ(claimed, 1);
        EXPECT_EQ(modeOf(file), 0600U);
        ::close(done[1]);
        for (const pid_t copy : copies) ::waitpid(copy, nullptr, 0);
        ::close(outcomes[0]);
        ::close(done[0]);
    }
}

// This user's own pipe or folder at the name is no lock file: nothing can be locked there.
TEST(DeviceClaim, NoLockFileWhereThisUsersPipeOrFolderIs) {
    for (const bool pipe : {true, false}) {
        TemporaryFolder folder;
        const std::string file = (folder / "VirtualKeyboard.lock").string();
        ASSERT_EQ(pipe ? ::mkfifo(file.c_str(), 0600) : ::mkdir(file.c_str(), 0700), 0);
        std::unique_ptr<DeviceClaim> claim;
        EXPECT_EQ(DeviceClaim::takeLockFile(file, claim), DeviceClaim::Outcome::NotClaimable);
        EXPECT_EQ(claim, nullptr);
    }
}

TEST(DeviceClaim, ANodeThatCannotBeOpenedIsLeftToTheOpen) {
    TemporaryFolder folder;
    std::unique_ptr<DeviceClaim> claim;
    EXPECT_EQ(DeviceClaim::take((folder / "gone").string(), claim),
              DeviceClaim::Outcome::NotClaimable);
    EXPECT_EQ(claim, nullptr);
    EXPECT_FALSE(DeviceClaim::heldElsewhere((folder / "gone").string()));
}

// The command and event channels on one node, or a new channel opened before the old one is
// closed: one claim, held until its last share goes, even after the transport.
TEST(SharedDeviceClaims, ANodeStaysHeldUntilItsLastShareGoes) {
    TemporaryFolder folder;
    const std::string node = (folder / "hidraw3").string();
    writeRawFile(node, {});
    auto claims = std::make_unique<SharedDeviceClaims>();
    std::unique_ptr<SharedDeviceClaims::Share> command;
    std::unique_ptr<SharedDeviceClaims::Share> event;
    ASSERT_EQ(claims->take(node, command), DeviceClaim::Outcome::Claimed);
    ASSERT_EQ(claims->take(node, event), DeviceClaim::Outcome::Claimed);
    // Another transport is another holder.
    SharedDeviceClaims other;
    std::unique_ptr<SharedDeviceClaims::Share> refused;
    EXPECT_EQ(other.take(node, refused), DeviceClaim::Outcome::HeldElsewhere);
    EXPECT_EQ(refused, nullptr);

    command.reset();
    EXPECT_EQ(anotherProcessLocks(node), OtherProcess::Refused);
    claims.reset();
    EXPECT_EQ(anotherProcessLocks(node), OtherProcess::Refused);
    event.reset();
    EXPECT_EQ(anotherProcessLocks(node), OtherProcess::Locked);
    // Taken again from scratch once all shares went; its last share lets go of it while
    // the transport lives on.
    EXPECT_EQ(other.take(node, refused), DeviceClaim::Outcome::Claimed);
    EXPECT_EQ(anotherProcessLocks(node), OtherProcess::Refused);
    refused.reset();
    EXPECT_EQ(anotherProcessLocks(node), OtherProcess::Locked);
}

}  // namespace
}  // namespace tq260
