// Host overhead of the device link against the virtual keyboard: how much the host adds to
// the waits the protocol itself requires, and the CPU a full read costs without any wait.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>

#include "device/composite_operations.h"
#include "device/device_link.h"
#include "emulator/emulator_transport.h"
#include "platform/real_clock.h"

namespace tq260 {
namespace {

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

struct Rig {
    explicit Rig(Clock& clock) : transport(clock), link(transport, clock) {
        transport.addKeyboard();
        link.connect();
    }
    EmulatorTransport transport;
    DeviceLink link;
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

void FullReadOnRealClock(benchmark::State& state) {
    MeasuringClock clock;
    Rig rig(clock);
    DeviceSettings settings;
    DeviceIdentity identity;
    measureAgainstWaits(state, clock, [&] { fullRead(rig.link, settings, identity); });
}
BENCHMARK(FullReadOnRealClock)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

void WriteBackEverythingOnRealClock(benchmark::State& state) {
    MeasuringClock clock;
    Rig rig(clock);
    DeviceSettings settings;
    SettingsShadow shadow;
    std::uint8_t round = 0;
    measureAgainstWaits(state, clock, [&] {
        state.PauseTiming();
        ++round;
        settings.keyTable[0].code = round;  // both key blocks
        for (auto& block : settings.macroBlocks) block[0] = round;
        settings.customLightMasks[0].bits[0] = round;
        state.ResumeTiming();
        writeBack(rig.link, settings, shadow);
    });
}
BENCHMARK(WriteBackEverythingOnRealClock)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void FullReadHostCpu(benchmark::State& state) {
    ZeroWaitClock clock;
    Rig rig(clock);
    DeviceSettings settings;
    DeviceIdentity identity;
    for (auto _ : state) {
        fullRead(rig.link, settings, identity);
        benchmark::DoNotOptimize(settings);
    }
}
BENCHMARK(FullReadHostCpu)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tq260

BENCHMARK_MAIN();
