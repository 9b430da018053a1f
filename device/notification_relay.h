#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/main_thread_queue.h"

namespace tq260 {

// Hands a worker's notification to the main thread and waits until it has been handled,
// as a synchronous send does. Unlike a plain blocking call it can be let go: a worker
// stops waiting when its own stop flag goes up or when the relay closes, so the main
// thread can stop and join the workers without waiting on a worker that waits on it.
class NotificationRelay {
  public:
    explicit NotificationRelay(MainThreadQueue& queue);
    ~NotificationRelay();
    NotificationRelay(const NotificationRelay&) = delete;
    NotificationRelay& operator=(const NotificationRelay&) = delete;

    // Runs task on the main thread and waits for it. True when it ran; false when the wait
    // was given up (stop raised, relay closed), in which case the task never runs.
    bool deliver(std::function<void()> task, const std::atomic<bool>* stop = nullptr);
    // Makes waiting workers look at their stop flags again.
    void wake();
    // Lets every waiting worker go; later deliveries return false at once.
    void close();

  private:
    struct Shared;
    MainThreadQueue& queue_;
    std::shared_ptr<Shared> shared_;
};

}  // namespace tq260
