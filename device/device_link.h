#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "device/hid_trace.h"
#include "platform/clock.h"
#include "platform/hid_transport.h"

namespace tq260 {

inline constexpr std::uint16_t kKeyboardVendorId = 0x04D9;
inline constexpr std::uint16_t kKeyboardProductId = 0xA12F;

// Which of the keyboard's HID paths a search looks for. On Windows these are the paths
// containing "mi_03" (USB interface 3) and "ol03" (top-level collection 3).
enum class InterfaceFilter { CommandChannel, EventChannel };

bool matchesFilter(const HidInterfaceInfo& info, InterfaceFilter filter);
// That channel of this keyboard (its vendor and product ids).
bool isKeyboardChannel(const HidInterfaceInfo& info, InterfaceFilter channel);

// The keyboard's two open HID paths: the command channel carries every feature report and
// block report, the event channel the keyboard's own event reports.
class DeviceLink {
  public:
    // The HID trace is taken from TQ260_HID_TRACE when set.
    DeviceLink(HidTransport& transport, Clock& clock);
    DeviceLink(HidTransport& transport, Clock& clock, std::shared_ptr<HidTrace> trace);
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // Searches the present HID paths for the keyboard path that passes the filter; the
    // first match in enumeration order wins. Empties the path first, so a failed search
    // never leaves an earlier result behind.
    bool findInterface(InterfaceFilter filter);
    // Each open uses the path of the search just before it.
    bool openCommandChannel();
    bool openEventChannel();
    // Finds and opens both channels in the fixed order; true when the command channel is open.
    bool connect();
    void close();

    bool isConnected() const { return connected_.load(); }
    // False once a command went unanswered, until one is answered again (or the channel is
    // opened again). Single commands that only show the user something at once, such as a
    // lighting preview, are left out meanwhile, so a silent keyboard never holds the window
    // one timeout per slider step; the next Save tries again.
    bool answering() const { return answering_.load(); }
    bool hasEventChannel() const;
    const std::string& devicePath() const { return devicePath_; }
    // The path of the open command channel; empty while none is open.
    std::string commandPath() const;
    // Where the keyboard's paths are found, also for a listing of every keyboard present.
    HidTransport& transport() const { return transport_; }
    int searchCount() const { return searchCount_; }

    Clock& clock() { return clock_; }
    // Shared so that a reader still holding it is never left with a dangling handle.
    std::shared_ptr<HidDevice> eventChannel() const;

  private:
    friend class CommandTransaction;

    std::unique_ptr<HidDevice> traced(std::unique_ptr<HidDevice> device, TraceChannel channel);

    HidTransport& transport_;
    Clock& clock_;
    std::shared_ptr<HidTrace> trace_;

    // Held for a whole transaction: a feature report, or an announcing report with its data
    // phase, never interleaves with another.
    std::mutex commandMutex_;
    std::unique_ptr<HidDevice> command_;
    // Its own lock: asked for without waiting for a transaction.
    mutable std::mutex commandPathMutex_;
    std::string commandPath_;
    std::atomic<bool> connected_{false};
    std::atomic<bool> answering_{true};

    mutable std::mutex eventMutex_;
    std::shared_ptr<HidDevice> event_;

    std::string devicePath_;
    int searchCount_ = 0;
};

}  // namespace tq260
