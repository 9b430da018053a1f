#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace tq260::testing {

enum class OtherProcess { Locked, Refused, Failed };

// What another process finds when it locks the whole file for writing now: with F_OFD_SETLK
// as this program locks, or with F_SETLK as a tool that takes classic record locks. The
// child makes system calls only, as the child of a process with threads must.
inline OtherProcess anotherProcessLocks(const std::string& path, int command = F_OFD_SETLK) {
    const char* file = path.c_str();
    const pid_t child = fork();
    if (child == 0) {
        const int fd = open(file, O_RDWR | O_CLOEXEC);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        if (fd < 0) _exit(static_cast<int>(OtherProcess::Failed));
        if (fcntl(fd, command, &lock) == 0) _exit(static_cast<int>(OtherProcess::Locked));
        _exit(static_cast<int>(errno == EAGAIN || errno == EACCES ? OtherProcess::Refused
                                                                  : OtherProcess::Failed));
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return OtherProcess::Failed;
    }
    return static_cast<OtherProcess>(WEXITSTATUS(status));
}

}  // namespace tq260::testing
