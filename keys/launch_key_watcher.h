#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

#include "platform/key_input_source.h"
#include "platform/main_thread_queue.h"

namespace tq260 {

// Watches the keyboard's own keystrokes while the program runs and hands every key press to
// the main thread, which starts what a launch assignment names (the path of a launch-key
// message). Held and released keys start nothing more: one start per press.
class LaunchKeyWatcher {
  public:
    using PressHandler = std::function<void(std::uint8_t virtualKey)>;

    LaunchKeyWatcher(KeyInputSource& source, MainThreadQueue& mainThread, PressHandler onPress);
    ~LaunchKeyWatcher();
    LaunchKeyWatcher(const LaunchKeyWatcher&) = delete;
    LaunchKeyWatcher& operator=(const LaunchKeyWatcher&) = delete;

    // Opens the source and, when it reads, starts watching on a thread of its own.
    KeyInputSource::Opened start();
    // True from a successful start until the source ends (its nodes vanished) or stop().
    bool watching() const { return watching_.load(); }
    // Ends the watching and waits for its thread; safe to call more than once.
    void stop();

  private:
    void run();

    KeyInputSource& source_;
    MainThreadQueue& mainThread_;
    PressHandler onPress_;
    std::atomic<bool> watching_{false};
    std::thread thread_;
};

}  // namespace tq260
