#include "platform/poll_thread.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace tq260 {

PollThread::~PollThread() {
    stop();
}

bool PollThread::start(int fd, std::function<bool()> readable) {
    stop();
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) return false;
    thread_ = std::thread([fd, wake = wakeFd_, readable = std::move(readable)] {
        pollfd fds[2] = {{fd, POLLIN, 0}, {wake, POLLIN, 0}};
        if (!readable()) return;
        while (true) {
            if (poll(fds, 2, -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (fds[1].revents != 0) return;
            if (fds[0].revents != 0 && !readable()) return;
        }
    });
    return true;
}

void PollThread::stop() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = write(wakeFd_, &one, sizeof one);
        thread_.join();
    }
    if (wakeFd_ >= 0) {
        close(wakeFd_);
        wakeFd_ = -1;
    }
}

}  // namespace tq260
