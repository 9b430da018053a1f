#include "emulator/virtual_clock.h"

#include <numeric>

namespace tq260 {

std::int64_t VirtualClock::nowUs() const {
    std::lock_guard lock(mutex_);
    return nowUs_;
}

void VirtualClock::sleepMs(int ms) {
    std::lock_guard lock(mutex_);
    waits_.push_back(ms);
    nowUs_ += std::int64_t{ms} * 1000;
}

void VirtualClock::blockUs(std::int64_t us) {
    std::lock_guard lock(mutex_);
    if (us > 0) nowUs_ += us;
}

std::vector<int> VirtualClock::waits() const {
    std::lock_guard lock(mutex_);
    return waits_;
}

std::int64_t VirtualClock::totalWaitMs() const {
    std::lock_guard lock(mutex_);
    return std::accumulate(waits_.begin(), waits_.end(), std::int64_t{0});
}

void VirtualClock::clearWaits() {
    std::lock_guard lock(mutex_);
    waits_.clear();
}

}  // namespace tq260
