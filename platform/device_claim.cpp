#include "platform/device_claim.h"

#ifdef __unix__
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace tq260 {

DeviceClaim::~DeviceClaim() {
#ifdef __unix__
    if (fd_ >= 0) close(fd_);
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
#endif
    return take(path, claim);
}

}  // namespace tq260
