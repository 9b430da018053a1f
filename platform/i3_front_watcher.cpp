#include "platform/i3_front_watcher.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "platform/i3_ipc.h"

namespace tq260 {

namespace {

int connectTo(const std::filesystem::path& socket) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = socket.string();
    if (path.empty() || path.size() >= sizeof address.sun_path) return -1;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

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

// Reads until the reply of the type has come, waiting at most a second at a time for the
// window manager; what came after it stays in bytes.
std::optional<std::string> awaitReply(int fd, std::uint32_t type, std::string& bytes) {
    pollfd readable{fd, POLLIN, 0};
    bool broken = false;
    do {
        while (const auto taken = i3ipc::takeMessage(bytes, broken)) {
            if (taken->type == type) return taken->payload;
        }
    } while (!broken && poll(&readable, 1, 1000) > 0 && readAvailable(fd, bytes));
    return std::nullopt;
}

// One request and its reply.
std::optional<std::string> ask(const std::filesystem::path& socket, std::uint32_t type) {
    const int fd = connectTo(socket);
    if (fd < 0) return std::nullopt;
    std::string bytes;
    const auto reply =
        sendAll(fd, i3ipc::message(type, "")) ? awaitReply(fd, type, bytes) : std::nullopt;
    close(fd);
    return reply;
}

}  // namespace

I3FrontWatcher::~I3FrontWatcher() {
    stop();
}

bool I3FrontWatcher::start(Listener listener) {
    stop();
    fd_ = connectTo(socket_);
    std::string bytes;
    // The tree is read once the subscription stands: a change after that comes as an event,
    // and one before it is in the tree. Read any earlier and a change between is lost.
    if (fd_ < 0 || !sendAll(fd_, i3ipc::message(i3ipc::kSubscribe, R"(["window"])")) ||
        !awaitReply(fd_, i3ipc::kSubscribe, bytes)) {
        stop();
        return false;
    }
    if (const auto tree = ask(socket_, i3ipc::kGetTree)) {
        if (const auto front = i3ipc::focusedInTree(*tree, getpid())) listener(*front);
    }
    // Events in order after the tree: the last one is where the focus is.
    const auto report = [listener](std::string& bytes) {
        bool broken = false;
        while (const auto taken = i3ipc::takeMessage(bytes, broken)) {
            if (taken->type != i3ipc::kWindowEvent) continue;
            if (const auto front = i3ipc::focusedByEvent(taken->payload, getpid())) {
                listener(*front);
            }
        }
        return !broken;
    };
    // Those that came with the reply are not waiting on the socket any more.
    if (!report(bytes)) {
        stop();
        return false;
    }
    return thread_.start(fd_, [fd = fd_, report, bytes = std::move(bytes)]() mutable {
        const bool open = readAvailable(fd, bytes);
        return report(bytes) && open;
    });
}

void I3FrontWatcher::stop() {
    thread_.stop();
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

std::vector<FrontApplication> I3FrontWatcher::openApplications() {
    const auto tree = ask(socket_, i3ipc::kGetTree);
    return tree ? i3ipc::applicationsInTree(*tree, getpid()) : std::vector<FrontApplication>();
}

}  // namespace tq260
