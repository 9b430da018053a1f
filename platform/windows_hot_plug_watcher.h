#pragma once

#include <thread>

#include "platform/hot_plug_watcher.h"

namespace tq260 {

// USB arrivals and removals on Windows: the system's device-change notices for HID
// interfaces, received by a message-only window on a thread of the watcher's own.
class WindowsHotPlugWatcher final : public HotPlugWatcher {
  public:
    WindowsHotPlugWatcher() = default;
    ~WindowsHotPlugWatcher() override;
    WindowsHotPlugWatcher(const WindowsHotPlugWatcher&) = delete;
    WindowsHotPlugWatcher& operator=(const WindowsHotPlugWatcher&) = delete;

    bool start(Listener listener) override;
    void stop() override;

  private:
    std::thread thread_;
    unsigned long threadId_ = 0;
};

}  // namespace tq260
