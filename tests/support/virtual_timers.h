#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <utility>

#include "platform/main_thread_queue.h"

namespace tq260::testing {

// Timed tasks on a time of their own, moved on only by the test: a pause is checked to the
// millisecond, whatever the keyboard's threads do to the shared virtual clock meanwhile.
// Moved on from the test's thread only, which is the window's; tasks may be posted from any
// thread (a watcher's, as the program's own queue takes them). Tasks hold the window that
// posted them, so time is moved on only while it lives.
class VirtualTimers final : public MainThreadQueue {
  public:
    void post(std::function<void()> task) override { postAfter(0, std::move(task)); }
    void postAfter(int ms, std::function<void()> task) override {
        std::lock_guard lock(mutex_);
        tasks_.emplace(std::pair{nowMs_ + ms, sequence_++}, std::move(task));
    }

    // Moves the time on by ms, running each task that falls due on the way, in time order.
    void advance(std::int64_t ms) {
        std::unique_lock lock(mutex_);
        const std::int64_t until = nowMs_ + ms;
        while (!tasks_.empty() && tasks_.begin()->first.first <= until) {
            const auto first = tasks_.begin();
            nowMs_ = first->first.first;
            std::function<void()> task = std::move(first->second);
            tasks_.erase(first);
            // Run unlocked: a task posts more.
            lock.unlock();
            task();
            lock.lock();
        }
        nowMs_ = until;
    }

    std::size_t pending() const {
        std::lock_guard lock(mutex_);
        return tasks_.size();
    }

  private:
    mutable std::mutex mutex_;
    std::int64_t nowMs_ = 0;
    std::uint64_t sequence_ = 0;
    std::map<std::pair<std::int64_t, std::uint64_t>, std::function<void()>> tasks_;
};

}  // namespace tq260::testing
