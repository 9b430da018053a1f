#pragma once

#include "platform/clock.h"

namespace tq260 {

// Wall-clock time and real sleeps.
class RealClock final : public Clock {
  public:
    std::int64_t nowUs() const override;
    void sleepMs(int ms) override;
    void blockUs(std::int64_t us) override;
};

}  // namespace tq260
