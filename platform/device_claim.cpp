#include "platform/device_claim.h"

#ifdef __unix__
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <vector>

#include "platform/system_file.h"
#else
#include <windows.h>

#include <filesystem>
#endif

namespace tq260 {

#ifdef __unix__
namespace {

// The whole file, for writing. An open-file lock: it belongs to the open file
// description, so only closing the claim's own descriptor releases it, and it
// conflicts with the classic record locks an older tool takes.
struct flock wholeFile() {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return lock;
}

// Locks the file just opened; closes it unless claimed.
DeviceClaim::Outcome lockOpened(int fd) {
    if (fd < 0) return DeviceClaim::Outcome::NotClaimable;
    struct flock whole = wholeFile();
    if (fcntl(fd, F_OFD_SETLK, &whole) == 0) return DeviceClaim::Outcome::Claimed;
    const int error = errno;
    close(fd);
    return error == EACCES || error == EAGAIN ? DeviceClaim::Outcome::HeldElsewhere
                                              : DeviceClaim::Outcome::NotClaimable;
}

// The user's name, or "uid N" for a number without one.
std::string userName(uid_t uid) {
    std::vector<char> buffer(16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_name != nullptr) {
        return found->pw_name;
    }
    return "uid " + std::to_string(uid);
}

// The real user of a running process, from the "Uid:" line of its status.
std::optional<uid_t> userOfProcess(pid_t pid) {
    // A few kilobytes: more than a sysfs page where it lists many processors.
    constexpr std::size_t kStatusLimit = 65536;
    const auto status = readSystemFile("/proc/" + std::to_string(pid) + "/status", kStatusLimit);
    if (!status) return std::nullopt;
    const auto line = status->find("\nUid:");
    if (line == std::string::npos) return std::nullopt;
    const auto digits = status->find_first_of("0123456789", line + 5);
    const auto end = status->find_first_not_of("0123456789", digits);
    if (digits == std::string::npos || end == std::string::npos || end - digits > 10) {
        return std::nullopt;
    }
    return static_cast<uid_t>(std::stoul(status->substr(digits, end - digits)));
}

// Who holds the lock this descriptor was refused, when it is another user: that user's name,
// or empty when the system does not say. Nothing when it is this user's (or cannot be told).
std::optional<std::string> otherUserHolding(int fd) {
    struct flock whole = wholeFile();
    if (fcntl(fd, F_OFD_GETLK, &whole) != 0 || whole.l_type == F_UNLCK) return std::nullopt;
    // A record lock names its process; its user is that process's.
    if (whole.l_pid > 0) {
        const auto uid = userOfProcess(whole.l_pid);
        if (!uid || *uid == geteuid()) return std::nullopt;
        return userName(*uid);
    }
    // An open-file lock names none. This user's programs lock for writing, through a file
    // only they may write; a read lock is taken through a file that is merely readable, as
    // another user could read it before it was made private.
    if (whole.l_type == F_RDLCK) return std::string();
    return std::nullopt;
}

DeviceClaim::Outcome heldByAnotherUser(std::string* otherUser, std::string name) {
    if (otherUser != nullptr) *otherUser = std::move(name);
    return DeviceClaim::Outcome::HeldByAnotherUser;
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether the name still leads to the file open as fd.
bool namesFile(const std::string& path, int fd) {
    struct stat named {};
    struct stat opened {};
    return ::lstat(path.c_str(), &named) == 0 && ::fstat(fd, &opened) == 0 &&
           sameFile(named, opened);
}

// One try at the lock file: its descriptor when claimed; again when it changed meanwhile.
struct Attempt {
    DeviceClaim::Outcome outcome = DeviceClaim::Outcome::NotClaimable;
    int fd = -1;
    std::string otherUser = {};
    bool again = false;
};

Attempt refused(DeviceClaim::Outcome outcome, int fd = -1) {
    if (fd >= 0) close(fd);
    return {outcome};
}

Attempt tryAgain(int fd = -1, int other = -1) {
    if (fd >= 0) close(fd);
    if (other >= 0) close(other);
    return {DeviceClaim::Outcome::HeldElsewhere, -1, {}, true};
}

// Opens this user's own regular file by name, made private when missing; never through a
// link, and never waiting on a pipe put in its place. Another user's thing at the name,
// whatever it is, is told as theirs.
Attempt openOwnFile(const std::string& path, struct stat& status) {
    const int fd = ::open(path.c_str(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK, 0600);
    const bool found = fd >= 0 ? ::fstat(fd, &status) == 0 : ::lstat(path.c_str(), &status) == 0;
    // Root may open it all the same; it is still not this user's to take.
    if (found && status.st_uid != geteuid()) {
        if (fd >= 0) close(fd);
        return {DeviceClaim::Outcome::HeldByAnotherUser, -1, userName(status.st_uid)};
    }
    if (fd < 0) return refused(DeviceClaim::Outcome::NotClaimable);
    if (!found || !S_ISREG(status.st_mode)) return refused(DeviceClaim::Outcome::NotClaimable, fd);
    return {DeviceClaim::Outcome::Claimed, fd};
}

bool lockWhole(int fd, short type) {
    struct flock whole = wholeFile();
    whole.l_type = type;
    return fcntl(fd, F_OFD_SETLK, &whole) == 0;
}

// Puts a new private file, locked, in place of the old one, which its lock (ours) keeps
// from being taken meanwhile. A user who opened the old file keeps a file nobody uses.
// Copies of this user's program replace one at a time: each holds the new file's lock
// while it checks the names and renames, and the new file's name is ours alone.
Attempt replaceLockFile(const std::string& path, int old) {
    const std::string fresh = path + ".new";
    struct stat status {};
    Attempt made = openOwnFile(fresh, status);
    if (made.outcome != DeviceClaim::Outcome::Claimed) {
        close(old);
        return made;
    }
    const int fd = made.fd;
    // Never one of ours: made private, and never opened by another user.
    if ((status.st_mode & 077) != 0) {
        ::unlink(fresh.c_str());
        return tryAgain(fd, old);
    }
    // Another copy replacing it now, or one that did and left its name to another.
    if (!lockWhole(fd, F_WRLCK) || !namesFile(fresh, fd)) return tryAgain(fd, old);
    if (!namesFile(path, old)) {
        // Replaced already by another copy: ours is not needed.
        ::unlink(fresh.c_str());
        return tryAgain(fd, old);
    }
    if (::rename(fresh.c_str(), path.c_str()) != 0) {
        ::unlink(fresh.c_str());
        close(old);
        return refused(DeviceClaim::Outcome::NotClaimable, fd);
    }
    close(old);
    return {DeviceClaim::Outcome::Claimed, fd};
}

// Locks this user's lock file for writing. One open to others, or locked through an old
// descriptor by another user, is replaced: whoever may open it may lock it, and so keep this
// user's programs off the keyboard for ever.
Attempt tryLockFile(const std::string& path) {
    struct stat status {};
    Attempt opened = openOwnFile(path, status);
    if (opened.outcome != DeviceClaim::Outcome::Claimed) return opened;
    const int fd = opened.fd;
    if (lockWhole(fd, F_WRLCK)) {
        if ((status.st_mode & 077) != 0) return replaceLockFile(path, fd);
        // Replaced since it was opened: the name leads elsewhere now.
        if (!namesFile(path, fd)) return tryAgain(fd);
        return {DeviceClaim::Outcome::Claimed, fd};
    }
    const int error = errno;
    if (error != EACCES && error != EAGAIN) return refused(DeviceClaim::Outcome::NotClaimable, fd);
    auto other = otherUserHolding(fd);
    // Held by this user's own program; or another user's write lock, which ours cannot join.
    if (!other) return refused(DeviceClaim::Outcome::HeldElsewhere, fd);
    if (!lockWhole(fd, F_RDLCK)) {
        close(fd);
        return {DeviceClaim::Outcome::HeldByAnotherUser, -1, std::move(*other)};
    }
    // Our read lock beside theirs keeps this user's copies from taking the old file meanwhile.
    return replaceLockFile(path, fd);
}

}  // namespace
#endif

DeviceClaim::~DeviceClaim() {
#ifdef __unix__
    if (fd_ >= 0) close(fd_);
#else
    if (file_ != nullptr) CloseHandle(file_);
#endif
}

DeviceClaim::Outcome DeviceClaim::take(const std::string& path,
                                       std::unique_ptr<DeviceClaim>& claim) {
#ifdef __unix__
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    const Outcome outcome = lockOpened(fd);
    if (outcome == Outcome::Claimed) claim.reset(new DeviceClaim(fd));
    return outcome;
#else
    // Windows opens HID devices for sharing; nothing to claim there yet.
    (void)path;
    (void)claim;
    return Outcome::NotClaimable;
#endif
}

DeviceClaim::Outcome DeviceClaim::takeLockFile(const std::string& path,
                                               std::unique_ptr<DeviceClaim>& claim) {
    return takeLockFile(path, claim, nullptr);
}

DeviceClaim::Outcome DeviceClaim::takeLockFile(const std::string& path,
                                               std::unique_ptr<DeviceClaim>& claim,
                                               [[maybe_unused]] std::string* otherUser) {
#ifdef __unix__
    // Tried again when another copy of this user's program replaced the file meanwhile.
    constexpr int kAttempts = 4;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        Attempt tried = tryLockFile(path);
        if (tried.outcome == Outcome::Claimed) {
            claim.reset(new DeviceClaim(tried.fd));
            return Outcome::Claimed;
        }
        if (tried.outcome == Outcome::HeldByAnotherUser) {
            return heldByAnotherUser(otherUser, std::move(tried.otherUser));
        }
        if (!tried.again) return tried.outcome;
    }
    return Outcome::HeldElsewhere;
#else
    // The file opened unshared: nobody else opens it while this claim holds it,
    // and the system closes it when the process ends.
    const std::filesystem::path native(std::u8string(path.begin(), path.end()));
    HANDLE file = CreateFileW(native.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        claim.reset(new DeviceClaim(static_cast<void*>(file)));
        return Outcome::Claimed;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION ? Outcome::HeldElsewhere
                                                     : Outcome::NotClaimable;
#endif
}

bool DeviceClaim::heldElsewhere(const std::string& path) {
#ifdef __unix__
    // Asked without locking, so the question never refuses a claim made
    // meanwhile.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    struct flock whole = wholeFile();
    const bool held = fcntl(fd, F_OFD_GETLK, &whole) == 0 && whole.l_type != F_UNLCK;
    close(fd);
    return held;
#else
    std::unique_ptr<DeviceClaim> claim;
    return take(path, claim) == Outcome::HeldElsewhere;
#endif
}

}  // namespace tq260
