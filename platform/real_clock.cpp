#include "platform/real_clock.h"

#include <chrono>
#include <thread>

#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace tq260 {

namespace {

void sleepPrecisely(std::chrono::microseconds duration) {
#ifdef __linux__
    // The kernel's default timer slack (50 us) would add up over the dozens of short
    // protocol waits of one transfer; ask for wake-ups as close to the deadline as the
    // timer allows. The setting is per thread and cheap to repeat.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
    std::this_thread::sleep_for(duration);
}

}  // namespace

std::int64_t RealClock::nowUs() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void RealClock::sleepMs(int ms) {
    if (ms > 0) sleepPrecisely(std::chrono::milliseconds(ms));
}

void RealClock::blockUs(std::int64_t us) {
    if (us > 0) sleepPrecisely(std::chrono::microseconds(us));
}

}  // namespace tq260
