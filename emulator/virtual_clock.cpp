#include "emulator/virtual_clock.h"

#include <numeric>
#include <thread>

namespace tq260 {

std::int64_t VirtualClock::nowUs() const {
    std::lock_guard lock(mutex_);
    return nowUs_;
}

void VirtualClock::sleepMs(int ms) {
    {
        std::lock_guard lock(mutex_);
        waits_.push_back(ms);
    }
    advance(std::int64_t{ms} * 1000);
}

void VirtualClock::blockUs(std::int64_t us) {
    advance(us);
}

void VirtualClock::advance(std::int64_t us) {
    std::vector<std::function<void()>> due;
    {
        std::lock_guard lock(mutex_);
        if (us > 0) {
            nowUs_ += us;
            movedByThread_[std::this_thread::get_id()] += us;
        }
        while (!alarms_.empty() && alarms_.begin()->first <= nowUs_) {
            due.push_back(std::move(alarms_.begin()->second));
            alarms_.erase(alarms_.begin());
        }
    }
    for (auto& action : due) action();
    // A thread that waits in a loop on virtual time must not starve the others.
    std::this_thread::yield();
}

std::int64_t VirtualClock::movedByThisThreadUs() const {
    std::lock_guard lock(mutex_);
    const auto found = movedByThread_.find(std::this_thread::get_id());
    return found == movedByThread_.end() ? 0 : found->second;
}

void VirtualClock::setAlarm(std::int64_t atUs, std::function<void()> action) {
    std::lock_guard lock(mutex_);
    alarms_.emplace(atUs, std::move(action));
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
