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
    // A POSIX record lock: per process, so the program's own channels never refuse each
    // other, and released by the kernel when the process ends.
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return Outcome::NotClaimable;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (fcntl(fd, F_SETLK, &lock) == 0) {
        claim.reset(new DeviceClaim(fd));
        return Outcome::Claimed;
    }
    const int error = errno;
    close(fd);
    return error == EACCES || error == EAGAIN ? Outcome::HeldElsewhere : Outcome::NotClaimable;
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
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) close(fd);
    return take(path, claim);
#else
    // The file opened unshared: nobody else opens it while this process holds it, and the
    // system closes it when the process ends. Unlike the POSIX lock, it is taken once per
    // process; its holders take it once and keep it.
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

}  // namespace tq260
