#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <thread>

namespace tq260::bench {

// The CPU the whole process used while the benchmark's own thread slept for 10 s each
// iteration, as a percentage of one core: what something waiting in the background costs.
inline void reportIdleCpu(benchmark::State& state) {
    const auto processCpuSeconds = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    };
    constexpr double kIdleSeconds = 10.0;
    double cpuSeconds = 0;
    for (auto _ : state) {
        const double before = processCpuSeconds();
        std::this_thread::sleep_for(std::chrono::duration<double>(kIdleSeconds));
        cpuSeconds += processCpuSeconds() - before;
    }
    state.counters["cpu_percent_of_one_core"] =
        100.0 * cpuSeconds / (kIdleSeconds * static_cast<double>(state.iterations()));
}

}  // namespace tq260::bench
