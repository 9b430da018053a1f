#pragma once

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/i3_ipc.h"

namespace tq260::testing {

// A window manager's IPC socket that takes requests at once and answers none until released:
// the subscription with success, GET_TREE with the tree given.
class FakeI3Server {
  public:
    FakeI3Server(std::filesystem::path path, std::string tree)
        : path_(std::move(path)), tree_(std::move(tree)) {
        listening_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path_.c_str(), sizeof address.sun_path - 1);
        if (bind(listening_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
            listen(listening_, 8) == 0) {
            accepting_ = std::thread([this] { accept(); });
        }
    }
    ~FakeI3Server() {
        release();
        shutdown(listening_, SHUT_RDWR);
        if (accepting_.joinable()) accepting_.join();
        // No more connections come once accepting ended: joined without the lock they take.
        for (const int fd : connections_) shutdown(fd, SHUT_RDWR);
        for (std::thread& each : serving_) each.join();
        for (const int fd : connections_) close(fd);
        close(listening_);
    }
    const std::filesystem::path& path() const { return path_; }
    void release() {
        {
            std::lock_guard lock(mutex_);
            released_ = true;
        }
        releasedChanged_.notify_all();
    }
    int requests() {
        std::lock_guard lock(mutex_);
        return requests_;
    }

  private:
    void accept() {
        while (true) {
            const int fd = ::accept4(listening_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) return;
            std::lock_guard lock(mutex_);
            connections_.push_back(fd);
            serving_.emplace_back([this, fd] { serve(fd); });
        }
    }
    void serve(int fd) {
        std::string bytes;
        char chunk[4096];
        bool broken = false;
        while (true) {
            const auto n = recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0) return;
            bytes.append(chunk, static_cast<std::size_t>(n));
            while (const auto request = i3ipc::takeMessage(bytes, broken)) {
                std::unique_lock lock(mutex_);
                ++requests_;
                releasedChanged_.wait(lock, [this] { return released_; });
                lock.unlock();
                const std::string reply = i3ipc::message(
                    request->type,
                    request->type == i3ipc::kSubscribe ? R"({"success":true})" : tree_);
                if (send(fd, reply.data(), reply.size(), MSG_NOSIGNAL) < 0) return;
            }
        }
    }

    std::filesystem::path path_;
    std::string tree_;
    int listening_ = -1;
    std::mutex mutex_;
    std::condition_variable releasedChanged_;
    bool released_ = false;
    int requests_ = 0;
    std::vector<int> connections_;
    std::vector<std::thread> serving_;
    std::thread accepting_;
};

}  // namespace tq260::testing
