#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/clock.h"

namespace tq260 {

// Virtual time for tests: nothing sleeps, every protocol wait is recorded and moves the
// time on, so a test sees the exact wait schedule.
class VirtualClock final : public Clock {
  public:
    std::int64_t nowUs() const override;
    void sleepMs(int ms) override;
    void blockUs(std::int64_t us) override;

    // The protocol waits so far, in order, in milliseconds.
    std::vector<int> waits() const;
    std::int64_t totalWaitMs() const;
    void clearWaits();

  private:
    mutable std::mutex mutex_;
    std::int64_t nowUs_ = 0;
    std::vector<int> waits_;
};

}  // namespace tq260
