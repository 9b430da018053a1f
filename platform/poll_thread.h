#pragma once

#include <functional>
#include <thread>

namespace tq260 {

// A thread that sleeps until a descriptor has something to read, then handles it; stopped
// at once from any other thread. Nothing runs between events.
class PollThread {
  public:
    PollThread() = default;
    ~PollThread();
    PollThread(const PollThread&) = delete;
    PollThread& operator=(const PollThread&) = delete;

    // The handler returns false to end the thread (the descriptor closed or failed). It also
    // runs once first: a library may already hold what was read before the thread started.
    // False when the thread could not be made ready.
    bool start(int fd, std::function<bool()> readable);
    // After it returns the handler is not called any more.
    void stop();

  private:
    int wakeFd_ = -1;
    std::thread thread_;
};

}  // namespace tq260
