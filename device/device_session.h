#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "device/device_events.h"
#include "device/device_link.h"
#include "device/input_listener.h"
#include "device/keyboard_state.h"
#include "device/notification_relay.h"
#include "device/settings_reader.h"
#include "platform/diagnostics.h"
#include "platform/hot_plug_watcher.h"
#include "platform/main_thread_queue.h"

namespace tq260 {

// The keyboard's connection as the main thread runs it: connecting at start, the two
// workers, hot-plug arrival and removal, and the shutdown. Every member is called on the
// main thread.
class DeviceSession {
  public:
    static constexpr int kArrivalSettleMs = 2000;
    static constexpr int kArrivalAttempts = 10;
    static constexpr int kArrivalRetryMs = 100;
    static constexpr int kRemovalCloseMs = 500;
    static constexpr int kRemovalDebugMs = 200;

    DeviceSession(DeviceLink& link, KeyboardState& state, MainThreadQueue& mainThread,
                  DeviceEvents& events, Diagnostics& diagnostics);
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // Opens both channels and starts the workers; asks to hide the window when a channel
    // cannot be opened.
    void connectAtStart();
    // Reports device changes from now on; tells the window when the platform refuses.
    bool registerForNotifications(HotPlugWatcher& watcher);
    // A device came or went. Only the keyboard's own changes count: another USB device
    // leaving never disconnects the keyboard.
    void onDeviceChange(const DeviceChange& change);
    // Unregisters, stops both workers and closes the link; never waits on a worker that
    // waits on the main thread.
    void shutdown();

    const SettingsReader& reader() const { return reader_; }
    const InputListener& listener() const { return listener_; }

  private:
    void onArrival();
    void onRemoval();
    void attemptConnection(int attempt);
    void openEventChannelAndListen();
    // Posts a task that does nothing once the session has shut down.
    void later(int ms, std::function<void()> task);

    DeviceLink& link_;
    MainThreadQueue& mainThread_;
    DeviceEvents& events_;
    Diagnostics& diagnostics_;
    NotificationRelay relay_;
    SettingsReader reader_;
    InputListener listener_;
    HotPlugWatcher* watcher_ = nullptr;
    std::shared_ptr<std::atomic<bool>> alive_;
};

}  // namespace tq260
