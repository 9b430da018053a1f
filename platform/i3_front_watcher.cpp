#include "platform/i3_front_watcher.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "platform/i3_ipc.h"

namespace tq260 {

namespace {

// Never blocks: a window manager too busy to take the connection is not reached.
int connectTo(const std::filesystem::path& socket) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = socket.string();
    if (path.empty() || path.size() >= sizeof address.sun_path) return -1;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// A request is a few dozen bytes: it fits the empty socket's buffer, or the socket is no
// window manager's.
bool sendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const auto n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// Appends what can be read now; false when the other end closed or failed.
bool readAvailable(int fd, std::string& bytes) {
    char chunk[16384];
    while (true) {
        const auto n = recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n > 0) {
            bytes.append(chunk, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

}  // namespace

namespace i3ipc {

std::optional<std::string> awaitReply(int fd, std::uint32_t type, std::string& bytes,
                                      const Clock& clock, std::int64_t deadlineUs) {
    pollfd readable{fd, POLLIN, 0};
    bool broken = false;
    while (true) {
        while (const auto taken = takeMessage(bytes, broken)) {
            if (taken->type == type) return taken->payload;
        }
        const std::int64_t leftUs = deadlineUs - clock.nowUs();
        if (broken || leftUs <= 0) return std::nullopt;
        const int waitMs =
            static_cast<int>(std::min<std::int64_t>((leftUs + 999) / 1000, kReplyMs));
        const int ready = poll(&readable, 1, waitMs);
        if (ready < 0 && errno != EINTR) return std::nullopt;
        if (ready > 0 && !readAvailable(fd, bytes)) return std::nullopt;
    }
}

std::optional<std::string> ask(const std::filesystem::path& socket, std::uint32_t type,
                               const Clock& clock) {
    const std::int64_t deadlineUs = clock.nowUs() + std::int64_t{kReplyMs} * 1000;
    const int fd = connectTo(socket);
    if (fd < 0) return std::nullopt;
    std::string bytes;
    const auto reply = sendAll(fd, message(type, ""))
                           ? awaitReply(fd, type, bytes, clock, deadlineUs)
                           : std::nullopt;
    close(fd);
    return reply;
}

}  // namespace i3ipc

I3FrontWatcher::~I3FrontWatcher() {
    stop();
}

bool I3FrontWatcher::start(Listener listener) {
    stop();
    fd_ = connectTo(socket_);
    // The tree is asked on the same connection once the subscription stands: the window
    // manager answers in order, so a change before the tree is in it and one after comes as
    // an event. The answers are read by the watching thread, never waited for here.
    if (fd_ < 0 || !sendAll(fd_, i3ipc::message(i3ipc::kSubscribe, R"(["window"])") +
                                     i3ipc::message(i3ipc::kGetTree, ""))) {
        stop();
        return false;
    }
    // Everything in the order it came: the last report is where the focus is.
    return thread_.start(fd_, [fd = fd_, listener, bytes = std::string()]() mutable {
        const bool open = readAvailable(fd, bytes);
        bool broken = false;
        while (const auto taken = i3ipc::takeMessage(bytes, broken)) {
            std::optional<FrontApplication> front;
            if (taken->type == i3ipc::kGetTree) {
                front = i3ipc::focusedInTree(taken->payload, getpid());
            } else if (taken->type == i3ipc::kWindowEvent) {
                front = i3ipc::focusedByEvent(taken->payload, getpid());
            }
            if (front) listener(*front);
        }
        return open && !broken;
    });
}

void I3FrontWatcher::stop() {
    thread_.stop();
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

std::optional<std::vector<FrontApplication>> I3FrontWatcher::openApplications() {
    const auto tree = i3ipc::ask(socket_, i3ipc::kGetTree, clock_);
    if (!tree) return std::nullopt;
    return i3ipc::applicationsInTree(*tree, getpid());
}

}  // namespace tq260
