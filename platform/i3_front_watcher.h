#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/front_application_watcher.h"
#include "platform/poll_thread.h"
#include "platform/real_clock.h"

namespace tq260 {

namespace i3ipc {

// How long one reply may take, all of it: a window manager answers in milliseconds.
constexpr int kReplyMs = 2000;

// Reads a connected socket until the reply of the type is whole, or until the deadline
// (the clock's time) passes, however the bytes trickle in; what came after it stays in
// bytes. Nothing when the deadline passed, the socket closed or spoke no IPC.
std::optional<std::string> awaitReply(int fd, std::uint32_t type, std::string& bytes,
                                      const Clock& clock, std::int64_t deadlineUs);

// One request and its whole reply, on a connection of its own, within kReplyMs.
std::optional<std::string> ask(const std::filesystem::path& socket, std::uint32_t type,
                               const Clock& clock);

}  // namespace i3ipc

// The application in front under sway or i3: their IPC socket, subscribed to window events.
// Nothing waits for the window manager on the caller's thread: start() only connects and
// asks; the answers are read by the watching thread.
class I3FrontWatcher final : public FrontApplicationWatcher {
  public:
    explicit I3FrontWatcher(std::filesystem::path socket)
        : I3FrontWatcher(std::move(socket), realClock_) {}
    // The clock the listing's time limit is measured on; it outlives this.
    I3FrontWatcher(std::filesystem::path socket, const Clock& clock)
        : socket_(std::move(socket)), clock_(clock) {}
    ~I3FrontWatcher() override;
    I3FrontWatcher(const I3FrontWatcher&) = delete;
    I3FrontWatcher& operator=(const I3FrontWatcher&) = delete;

    bool start(Listener listener) override;
    void stop() override;
    // Waits for the window manager (kReplyMs at most, on the clock): not on the main thread.
    std::optional<std::vector<FrontApplication>> openApplications() override;

  private:
    std::filesystem::path socket_;
    RealClock realClock_;
    const Clock& clock_;
    PollThread thread_;
    int fd_ = -1;
};

}  // namespace tq260
