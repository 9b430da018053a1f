#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace tq260 {

// A thread that runs one job at a time. The job says when it counts as finished (its
// "handle emptied"); the thread itself is joined before the next job starts and on
// destruction.
class WorkerThread {
  public:
    WorkerThread() = default;
    ~WorkerThread() { join(); }
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    void start(std::function<void()> job) {
        join();
        running_ = true;
        thread_ = std::thread(std::move(job));
    }
    bool running() const { return running_.load(); }
    // Called by the job.
    void finished() { running_ = false; }
    void join() {
        if (thread_.joinable()) thread_.join();
    }

  private:
    std::atomic<bool> running_{false};
    std::thread thread_;
};

}  // namespace tq260
