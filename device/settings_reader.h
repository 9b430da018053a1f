#pragma once

#include <atomic>

#include "device/device_events.h"
#include "device/device_link.h"
#include "device/keyboard_state.h"
#include "device/notification_relay.h"
#include "device/worker_thread.h"

namespace tq260 {

// Reads the keyboard's whole configuration once per connection, on its own thread, then the
// lighting once more (what the window takes as current): fills the record, tells the main
// window and waits for it, then takes the shadow.
class SettingsReader {
  public:
    SettingsReader(DeviceLink& link, KeyboardState& state, NotificationRelay& relay,
                   DeviceEvents& events);
    ~SettingsReader();
    SettingsReader(const SettingsReader&) = delete;
    SettingsReader& operator=(const SettingsReader&) = delete;

    // Starts a read; an earlier one must have ended (running() false).
    void start();
    // True from start until the reader's last act.
    bool running() const { return worker_.running(); }
    void join() { worker_.join(); }

  private:
    void run();

    DeviceLink& link_;
    KeyboardState& state_;
    NotificationRelay& relay_;
    DeviceEvents& events_;
    WorkerThread worker_;
};

}  // namespace tq260
