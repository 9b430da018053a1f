#pragma once

#include <atomic>
#include <mutex>

namespace tq260 {

// The lock of the keyboard's record. It counts the threads waiting for it, so that a test
// can see a thread held off by it rather than guess with a sleep.
class RecordMutex {
  public:
    void lock() {
        // Counted down however the wait ends, a throwing lock() included.
        struct Waiting {
            std::atomic<int>& count;
            explicit Waiting(std::atomic<int>& c) : count(c) { count.fetch_add(1); }
            ~Waiting() { count.fetch_sub(1); }
            Waiting(const Waiting&) = delete;
            Waiting& operator=(const Waiting&) = delete;
        } waiting(waiting_);
        mutex_.lock();
    }
    bool try_lock() { return mutex_.try_lock(); }
    void unlock() { mutex_.unlock(); }

    int waiting() const { return waiting_.load(); }

  private:
    std::mutex mutex_;
    std::atomic<int> waiting_{0};
};

}  // namespace tq260
