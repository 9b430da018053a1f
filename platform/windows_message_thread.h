#pragma once

#include <functional>
#include <optional>
#include <thread>

namespace tq260 {

// A thread with a message loop of its own, as the system's hooks and notices need: they are
// delivered to the thread that asked for them, and only while it reads its messages.
class WindowsMessageThread final {
  public:
    // Runs on the thread once the loop has ended.
    using Cleanup = std::function<void()>;
    // Runs on the thread before the loop; nothing when it failed, and the thread then ends.
    using SetUp = std::function<std::optional<Cleanup>()>;

    WindowsMessageThread() = default;
    ~WindowsMessageThread();
    WindowsMessageThread(const WindowsMessageThread&) = delete;
    WindowsMessageThread& operator=(const WindowsMessageThread&) = delete;

    // Starts the thread (ending one already running) and returns once `setUp` has run: true
    // when it succeeded. `whenRunning` then runs on the thread, after start() has returned.
    bool start(SetUp setUp, std::function<void()> whenRunning = {});
    // Ends the loop, runs the cleanup and joins the thread.
    void stop();

  private:
    std::thread thread_;
    unsigned long threadId_ = 0;
};

}  // namespace tq260
