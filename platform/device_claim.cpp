#include "platform/device_claim.h"

#ifdef __unix__
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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
    // Made and locked through one descriptor, private to this user: a user who may open it
    // may lock it too, and so keep this user's programs off the keyboard. Never through a
    // link, and never waiting on a pipe put in its place.
    const int fd = ::open(path.c_str(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK, 0600);
    struct stat status {};
    if (fd < 0) {
        // Another user's file in this user's own folder, which this user may not open: put
        // there to hold the keyboard.
        if (::lstat(path.c_str(), &status) == 0 && status.st_uid != geteuid()) {
            return heldByAnotherUser(otherUser, userName(status.st_uid));
        }
        return Outcome::NotClaimable;
    }
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return Outcome::NotClaimable;
    }
    // Root may open it all the same; it is still not this user's to take.
    if (status.st_uid != geteuid()) {
        close(fd);
        return heldByAnotherUser(otherUser, userName(status.st_uid));
    }
    // Made open to others by an earlier version.
    if ((status.st_mode & 077) != 0) {
        [[maybe_unused]] const int mode = ::fchmod(fd, 0600);
    }
    struct flock whole = wholeFile();
    if (fcntl(fd, F_OFD_SETLK, &whole) == 0) {
        claim.reset(new DeviceClaim(fd));
        return Outcome::Claimed;
    }
    const int error = errno;
    const auto other = error == EACCES || error == EAGAIN ? otherUserHolding(fd) : std::nullopt;
    close(fd);
    if (other) return heldByAnotherUser(otherUser, *other);
    return error == EACCES || error == EAGAIN ? Outcome::HeldElsewhere : Outcome::NotClaimable;
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
