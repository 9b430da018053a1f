#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "emulator/virtual_keyboard.h"
#include "platform/clock.h"
#include "platform/hid_transport.h"
#include "platform/hot_plug_watcher.h"

namespace tq260 {

// How a virtual keyboard shows up among the host's HID paths.
struct VirtualKeyboardPresence {
    // Paths as Windows lists them (one path per top-level collection, "mi_03", "col03")
    // instead of as Linux hidraw does (one path per USB interface).
    bool perCollectionPaths = false;
    // Leave out USB interface 3, the command channel.
    bool withoutCommandInterface = false;
    // The event channel's path is listed but cannot be opened (busy, access denied).
    bool eventChannelOpenFails = false;
};

// The HID transport of the virtual keyboards: the same interface as hidapi, so the whole
// program runs on it unchanged. Lists the keyboards' interfaces (boot keyboard on
// interface 0, three top-level collections with the event reports on interface 1, a mouse
// on interface 2, the command channel on interface 3) and any other devices added.
class EmulatorTransport final : public HidTransport {
  public:
    explicit EmulatorTransport(Clock& clock);
    ~EmulatorTransport() override;

    VirtualKeyboard& addKeyboard(VirtualKeyboardPresence presence = {});
    // A device that is not the keyboard, listed in order with the keyboards. Plugging and
    // unplugging it is reported like any USB device's.
    void addOtherDevice(HidInterfaceInfo info);
    void removeOtherDevice(const std::string& path);

    // Told of every virtual device plugged or unplugged, outside the transport's lock.
    void setHotPlugListener(HotPlugWatcher::Listener listener);

    std::vector<HidInterfaceInfo> enumerate() override;
    // When each enumeration happened, in clock time.
    std::vector<std::int64_t> enumerationTimesUs() const;
    std::unique_ptr<HidDevice> open(const std::string& path, ReportIds ids) override;

  private:
    struct Entry;
    struct Listing;

    std::vector<Listing> listLocked() const;
    void reportChange(const DeviceChange& change);

    Clock& clock_;
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<Entry>> entries_;
    std::vector<std::int64_t> enumerationTimesUs_;

    std::mutex listenerMutex_;
    HotPlugWatcher::Listener hotPlugListener_;
};

}  // namespace tq260
