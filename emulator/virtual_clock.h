#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/clock.h"

namespace tq260 {

// Virtual time for tests: nothing sleeps, every protocol wait is recorded and moves the
// time on, so a test sees the exact wait schedule. With several threads, each moves the
// one shared time on as it waits.
class VirtualClock final : public Clock {
  public:
    std::int64_t nowUs() const override;
    void sleepMs(int ms) override;
    void blockUs(std::int64_t us) override;

    // The protocol waits so far, in order, in milliseconds.
    std::vector<int> waits() const;
    std::int64_t totalWaitMs() const;
    void clearWaits();

    // How far the calling thread has moved the time on (its waits and blocked calls), so a
    // test can time one thread's work while others move the shared time too.
    std::int64_t movedByThisThreadUs() const;
    std::int64_t threadTimeUs() const override { return movedByThisThreadUs(); }

    // Runs action, on the thread that moves the time past atUs, once it has.
    void setAlarm(std::int64_t atUs, std::function<void()> action);

  private:
    void advance(std::int64_t us);

    mutable std::mutex mutex_;
    std::multimap<std::int64_t, std::function<void()>> alarms_;
    std::int64_t nowUs_ = 0;
    std::map<std::thread::id, std::int64_t> movedByThread_;
    std::vector<int> waits_;
};

}  // namespace tq260
