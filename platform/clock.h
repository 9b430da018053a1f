#pragma once

#include <cstdint>

namespace tq260 {

// Every protocol wait goes through this interface, so tests can run the protocol on
// virtual time and check the exact wait schedule.
class Clock {
  public:
    virtual ~Clock() = default;

    // Monotonic time in microseconds; only differences are meaningful.
    virtual std::int64_t nowUs() const = 0;

    // A wait the keyboard protocol requires.
    virtual void sleepMs(int ms) = 0;

    // Time a platform call spends blocked (a read waiting for its report). Kept apart from
    // sleepMs so that the protocol's own waits can be checked on their own.
    virtual void blockUs(std::int64_t us) = 0;

    // Time as the calling thread has lived it, for timing one call on this thread: real
    // time where threads share it, and on virtual time only the waits of this thread, so
    // that other threads moving the time on meanwhile do not make a quick call look slow.
    virtual std::int64_t threadTimeUs() const { return nowUs(); }
};

}  // namespace tq260
