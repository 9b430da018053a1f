// The clocks the benchmarks measure the host against: real sleeps counted, or no sleeps.
#pragma once

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>

#include "platform/real_clock.h"

namespace tq260 {

// Real sleeps, with the sum of the waits the protocol asked for.
class MeasuringClock final : public Clock {
  public:
    std::int64_t nowUs() const override { return real_.nowUs(); }
    void sleepMs(int ms) override {
        requestedMs_ += ms;
        real_.sleepMs(ms);
    }
    void blockUs(std::int64_t us) override { real_.blockUs(us); }
    std::int64_t requestedMs() const { return requestedMs_; }

  private:
    RealClock real_;
    std::atomic<std::int64_t> requestedMs_{0};
};

// Every wait returns at once: what remains is the host's own work.
class ZeroWaitClock final : public Clock {
  public:
    std::int64_t nowUs() const override { return real_.nowUs(); }
    void sleepMs(int) override {}
    void blockUs(std::int64_t) override {}

  private:
    RealClock real_;
};

// Wall time of the measured part divided by the protocol waits asked for in it.
template <typename Body>
void measureAgainstWaits(benchmark::State& state, MeasuringClock& clock, Body body) {
    std::int64_t wallUs = 0;
    std::int64_t waitsMs = 0;
    for (auto _ : state) {
        const std::int64_t waitsBefore = clock.requestedMs();
        const auto start = std::chrono::steady_clock::now();
        body();
        wallUs += std::chrono::duration_cast<std::chrono::microseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count();
        waitsMs += clock.requestedMs() - waitsBefore;
    }
    state.counters["waits_ms"] =
        static_cast<double>(waitsMs) / static_cast<double>(state.iterations());
    state.counters["wall_over_waits"] =
        static_cast<double>(wallUs) / (1000.0 * static_cast<double>(waitsMs));
}

}  // namespace tq260
