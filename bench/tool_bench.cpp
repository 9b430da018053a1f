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
    // The dump with a brightness and Caps' assignment of its own, written to a file.
    std::string changedFile(const std::string& dumped, int brightness, const char* caps) {
        std::string text = dumped;
        const auto at = text.find("\"brightness\": ");
        text.replace(at, text.find(',', at) - at, "\"brightness\": " + std::to_string(brightness));
        const std::string factory = "\"Caps\": \"default\"";
        text.replace(text.find(factory), factory.size(), std::string("\"Caps\": ") + caps);
        const auto file = (folder / ("changed-" + std::to_string(brightness) + ".json")).string();
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

// Each apply changes one key and one light value: the two files take turns.
void ApplyOneChangeOnRealClock(benchmark::State& state) {
    MeasuringClock clock;
    ToolRig rig(clock);
    const std::string dumped = rig.dump();
    const std::string files[] = {rig.changedFile(dumped, 10, "\"disabled\""),
                                 rig.changedFile(dumped, 20, "\"default\"")};
    int round = 0;
    measureAgainstWaits(state, clock, [&] {
        if (rig.run(runApply, files[round++ % 2]) != tool_exit::kDone) {
            state.SkipWithError("apply failed");
        }
    });
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
