#include "platform/device_claim.h"

#ifdef __unix__
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
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
#ifdef __unix__
    // Made and locked through one descriptor.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    const Outcome outcome = lockOpened(fd);
    if (outcome == Outcome::Claimed) claim.reset(new DeviceClaim(fd));
    return outcome;
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
