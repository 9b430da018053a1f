#pragma once

#include <atomic>

#include "device/device_events.h"
#include "device/device_link.h"
#include "device/keyboard_state.h"
#include "device/notification_relay.h"
#include "device/worker_thread.h"

namespace tq260 {

// Waits for the keyboard's event reports and turns a lighting change made on the keyboard
// into a record update and a notification. Runs until its stop flag goes up.
class InputListener {
  public:
    static constexpr int kReadWaitMs = 200;
    static constexpr int kPauseMs = 10;

    InputListener(DeviceLink& link, KeyboardState& state, NotificationRelay& relay,
                  DeviceEvents& events);
    ~InputListener();
    InputListener(const InputListener&) = delete;
    InputListener& operator=(const InputListener&) = delete;

    // Clears the stop flag and starts the loop; an earlier loop must have left
    // (running() false).
    void start();
    // True from start until the loop has left.
    bool running() const { return worker_.running(); }

    void requestStop();
    bool stopRequested() const { return stop_.load(); }
    // Waits for the thread to end.
    void join() { worker_.join(); }

  private:
    void run();
    void handleReport(std::span<const std::uint8_t> report);

    DeviceLink& link_;
    KeyboardState& state_;
    NotificationRelay& relay_;
    DeviceEvents& events_;
    std::atomic<bool> stop_{false};
    WorkerThread worker_;
};

}  // namespace tq260
