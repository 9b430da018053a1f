#pragma once

#include <filesystem>
#include <vector>

#include "platform/front_application_watcher.h"
#include "platform/poll_thread.h"

namespace tq260 {

// The application in front under sway or i3: their IPC socket, subscribed to window events.
class I3FrontWatcher final : public FrontApplicationWatcher {
  public:
    explicit I3FrontWatcher(std::filesystem::path socket) : socket_(std::move(socket)) {}
    ~I3FrontWatcher() override;
    I3FrontWatcher(const I3FrontWatcher&) = delete;
    I3FrontWatcher& operator=(const I3FrontWatcher&) = delete;

    bool start(Listener listener) override;
    void stop() override;
    std::vector<FrontApplication> openApplications() override;

  private:
    std::filesystem::path socket_;
    PollThread thread_;
    int fd_ = -1;
};

}  // namespace tq260
