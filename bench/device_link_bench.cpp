// Host overhead of the device link against the virtual keyboard: how much the host adds to
// the waits the protocol itself requires, and the CPU a full read costs without any wait.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>

#include "bench_clocks.h"
#include "device/composite_operations.h"
#include "device/device_link.h"
#include "emulator/emulator_transport.h"

namespace tq260 {
namespace {

struct Rig {
    explicit Rig(Clock& clock) : transport(clock), link(transport, clock) {
        transport.addKeyboard();
        link.connect();
    }
    EmulatorTransport transport;
    DeviceLink link;
};

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
