#pragma once

#include <functional>

namespace tq260 {

// Runs tasks on the main (user-interface) thread, in the order posted. Callable from any
// thread.
class MainThreadQueue {
  public:
    virtual ~MainThreadQueue() = default;
    virtual void post(std::function<void()> task) = 0;
    // Runs the task once ms have passed, without holding up the main thread meanwhile.
    virtual void postAfter(int ms, std::function<void()> task) = 0;
};

}  // namespace tq260
