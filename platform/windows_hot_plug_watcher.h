#pragma once

#include "platform/hot_plug_watcher.h"
#include "platform/windows_message_thread.h"

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
    WindowsMessageThread thread_;
};

}  // namespace tq260
