#pragma once

#include <optional>
#include <vector>

#include "platform/front_application_watcher.h"
#include "platform/windows_message_thread.h"

namespace tq260 {

// The application in front on Windows: the system's foreground-window event
// (SetWinEventHook), on a thread of the watcher's own with its message loop; the id is the
// window's process image name ("game.exe").
class WindowsFrontWatcher final : public FrontApplicationWatcher {
  public:
    WindowsFrontWatcher() = default;
    ~WindowsFrontWatcher() override;
    WindowsFrontWatcher(const WindowsFrontWatcher&) = delete;
    WindowsFrontWatcher& operator=(const WindowsFrontWatcher&) = delete;

    bool start(Listener listener) override;
    void stop() override;
    std::optional<std::vector<FrontApplication>> openApplications() override;

  private:
    WindowsMessageThread thread_;
};

}  // namespace tq260
