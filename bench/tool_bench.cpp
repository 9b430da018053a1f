// The command-line tool against the virtual keyboard: dump and apply as a share of the waits
// the protocol requires, and the tool's own work (start-up included) without any wait.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "bench_clocks.h"
#include "cli/tool_commands.h"
#include "emulator/emulator_transport.h"

namespace tq260 {
namespace {

struct ToolRig {
    explicit ToolRig(Clock& clock) : clock(clock), transport(clock) {
        transport.addKeyboard();
        folder = std::filesystem::temp_directory_path() / "tq260-tool-bench";
        std::filesystem::create_directories(folder);
        std::filesystem::remove(folder / "keymap.bin");
    }
    ~ToolRig() { std::filesystem::remove_all(folder); }
    int run(int (*command)(ToolContext&, const std::string&, bool), const std::string& file) {
        out.str({});
        ToolContext context{transport, clock, nullptr, folder, out, err, in};
        return command(context, file, false);
    }
    std::string dump() {
        out.str({});
        ToolContext context{transport, clock, nullptr, folder, out, err, in};
        runDump(context, {});
        return out.str();
    }
    // A file with one key and one light value changed from what the keyboard holds.
    std::string changedFile(int round) {
        std::string text = dump();
        const auto at = text.find("\"brightness\": ");
        text.replace(at, text.find(',', at) - at, "\"brightness\": " + std::to_string(round % 50));
        const std::string caps = round % 2 ? "\"Caps\": \"default\"" : "\"Caps\": \"disabled\"";
        const std::string other = round % 2 ? "\"Caps\": \"disabled\"" : "\"Caps\": \"default\"";
        if (const auto c = text.find(caps); c != std::string::npos)
            text.replace(c, caps.size(), other);
        const auto file = (folder / "changed.json").string();
        std::ofstream(file) << text;
        return file;
    }

    Clock& clock;
    EmulatorTransport transport;
    std::filesystem::path folder;
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in;
};

void DumpOnRealClock(benchmark::State& state) {
    MeasuringClock clock;
    ToolRig rig(clock);
    measureAgainstWaits(state, clock, [&] { rig.dump(); });
}
BENCHMARK(DumpOnRealClock)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

void ApplyOneChangeOnRealClock(benchmark::State& state) {
    MeasuringClock clock;
    ToolRig rig(clock);
    int round = 0;
    std::int64_t wallUs = 0;
    std::int64_t waitsMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string file = rig.changedFile(++round);
        state.ResumeTiming();
        const std::int64_t waitsBefore = clock.requestedMs();
        const auto start = std::chrono::steady_clock::now();
        if (rig.run(runApply, file) != tool_exit::kDone) state.SkipWithError("apply failed");
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
BENCHMARK(ApplyOneChangeOnRealClock)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

// Everything the tool does for `dump` apart from waiting: its start-up (the key names, the
// link, the keyboard's open) and the whole read, on a clock whose waits return at once.
void DumpOnZeroWaitClock(benchmark::State& state) {
    ZeroWaitClock clock;
    for (auto _ : state) {
        ToolRig rig(clock);
        benchmark::DoNotOptimize(rig.dump());
    }
}
BENCHMARK(DumpOnZeroWaitClock)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tq260

BENCHMARK_MAIN();
