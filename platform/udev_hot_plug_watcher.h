#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <thread>

#include "platform/hot_plug_watcher.h"

struct udev;
struct udev_monitor;

namespace tq260 {

struct UsbIds {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

// A USB id as the device manager writes it, in hex ("4d9", "a12f"); nothing for anything else.
std::optional<std::uint16_t> parseHex16(std::string_view text);

// The vendor and product ids of a USB device's PRODUCT property ("4d9/a12f/100"), which
// the kernel sends with both the add and the remove event.
std::optional<UsbIds> parseUsbProduct(std::string_view product);

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
