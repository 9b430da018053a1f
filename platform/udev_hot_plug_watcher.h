#pragma once

#include <thread>

#include "platform/hot_plug_watcher.h"
#include "platform/usb_ids.h"

struct udev;
struct udev_monitor;

namespace tq260 {

// USB device arrivals and removals from the system's device manager (libudev), reported
// from a thread of the watcher's own that sleeps until an event comes.
class UdevHotPlugWatcher final : public HotPlugWatcher {
  public:
    UdevHotPlugWatcher() = default;
    ~UdevHotPlugWatcher() override;
    UdevHotPlugWatcher(const UdevHotPlugWatcher&) = delete;
    UdevHotPlugWatcher& operator=(const UdevHotPlugWatcher&) = delete;

    bool start(Listener listener) override;
    void stop() override;

  private:
    void run(Listener listener);
    void release();

    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    int wakeFd_ = -1;
    std::thread thread_;
};

}  // namespace tq260
