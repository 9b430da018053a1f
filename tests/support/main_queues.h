#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <utility>

#include "emulator/virtual_clock.h"
#include "platform/main_thread_queue.h"

namespace tq260::testing {

// Runs every task at once on the posting thread: notifications reach the test's handlers
// directly on the worker that sends them.
class ImmediateQueue final : public MainThreadQueue {
  public:
    void post(std::function<void()> task) override { task(); }
    void postAfter(int, std::function<void()> task) override { task(); }
};

// The main thread's queue, run by the test thread. Delayed tasks run in time order on the
// virtual clock, which moves forward to each one's time.
class ManualMainQueue final : public MainThreadQueue {
  public:
    explicit ManualMainQueue(VirtualClock& clock) : clock_(clock) {}

    void post(std::function<void()> task) override { postAt(clock_.nowUs(), std::move(task)); }
    void postAfter(int ms, std::function<void()> task) override {
        postAt(clock_.nowUs() + std::int64_t{ms} * 1000, std::move(task));
    }

    // Runs tasks until done() holds, waiting for other threads to post; false when it does
    // not hold within the limit. done() is looked at again every millisecond while no task
    // comes, since what it waits for may happen on another thread without a task.
    bool runUntil(const std::function<bool()>& done,
                  std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::function<void()> task;
            if (take(task, std::chrono::steady_clock::now() + std::chrono::milliseconds(1))) {
                task();
            }
        }
        return true;
    }

    // Runs every task there is, delayed ones included, without waiting for other threads.
    void runAll() {
        std::function<void()> task;
        while (take(task, std::chrono::steady_clock::now())) task();
    }

    // Waits until count tasks are queued.
    bool waitForPending(std::size_t count,
                        std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        std::unique_lock lock(mutex_);
        return posted_.wait_for(lock, limit, [&] { return tasks_.size() >= count; });
    }

  private:
    void postAt(std::int64_t dueUs, std::function<void()> task) {
        std::lock_guard lock(mutex_);
        tasks_.emplace(std::make_pair(dueUs, sequence_++), std::move(task));
        posted_.notify_all();
    }

    bool take(std::function<void()>& task, std::chrono::steady_clock::time_point deadline) {
        std::unique_lock lock(mutex_);
        if (!posted_.wait_until(lock, deadline, [&] { return !tasks_.empty(); })) return false;
        const auto first = tasks_.begin();
        const std::int64_t due = first->first.first;
        task = std::move(first->second);
        tasks_.erase(first);
        lock.unlock();
        const std::int64_t now = clock_.nowUs();
        if (due > now) clock_.blockUs(due - now);
        return true;
    }

    VirtualClock& clock_;
    std::mutex mutex_;
    std::condition_variable posted_;
    std::map<std::pair<std::int64_t, std::uint64_t>, std::function<void()>> tasks_;
    std::uint64_t sequence_ = 0;
};

}  // namespace tq260::testing
