#pragma once

#include <chrono>
#include <thread>

namespace tq260::testing {

// Waits (real time, bounded) until the condition holds, for what another thread does with
// nothing to wait on; false when it never held.
template <typename Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::yield();
    }
    return true;
}

}  // namespace tq260::testing
