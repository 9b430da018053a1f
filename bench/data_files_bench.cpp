// Loading and saving keymap.bin and "MacroDefine.bin", each measured against a plain write
// (with its fsync) or read of the same number of bytes in the same run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <vector>

#include "keys/keymap_file.h"
#include "macro/macro_file.h"
#include "plain_durable_write.h"
#include "support/temporary_folder.h"

namespace tq260 {
namespace {

using Clock = std::chrono::steady_clock;

void plainWrite(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    plainDurableWrite(file, bytes.data(), bytes.size());
}

void plainRead(const std::filesystem::path& file, std::vector<std::uint8_t>& bytes) {
    std::ifstream in(file, std::ios::binary);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Runs ours and the plain operation alternately and reports ours ÷ plain.
template <typename Ours, typename Plain>
void compare(benchmark::State& state, Ours ours, Plain plain) {
    std::chrono::nanoseconds oursTime{0};
    std::chrono::nanoseconds plainTime{0};
    for (auto _ : state) {
        auto start = Clock::now();
        plain();
        plainTime += Clock::now() - start;
        start = Clock::now();
        ours();
        oursTime += Clock::now() - start;
    }
    state.counters["ours_over_plain"] =
        static_cast<double>(oursTime.count()) / static_cast<double>(plainTime.count());
    state.counters["ours_us"] =
        static_cast<double>(oursTime.count()) / 1000.0 / static_cast<double>(state.iterations());
}

struct KeymapRig {
    testing::TemporaryFolder folder;
    DeviceSettings settings;
    std::unique_ptr<AssignmentTable> table = std::make_unique<AssignmentTable>();
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(kKeymapFileSize, 0x5A);
    std::filesystem::path ours = folder / "keymap.bin";
    std::filesystem::path plain = folder / "plain.bin";
};

void KeymapSave(benchmark::State& state) {
    KeymapRig rig;
    compare(
        state, [&] { saveKeymapFile(rig.ours, rig.settings, *rig.table); },
        [&] { plainWrite(rig.plain, rig.bytes); });
}
BENCHMARK(KeymapSave)->MinWarmUpTime(0.5)->MinTime(1.0);

void KeymapLoad(benchmark::State& state) {
    KeymapRig rig;
    saveKeymapFile(rig.ours, rig.settings, *rig.table);
    plainWrite(rig.plain, rig.bytes);
    compare(
        state, [&] { LoadKeymapFile(rig.ours, false, rig.settings, *rig.table); },
        [&] { plainRead(rig.plain, rig.bytes); });
}
BENCHMARK(KeymapLoad)->MinWarmUpTime(0.5)->MinTime(1.0);

struct MacroRig {
    testing::TemporaryFolder folder;
    std::unique_ptr<MacroTable> table = std::make_unique<MacroTable>();
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(sizeof(MacroTable), 0x5A);
    std::filesystem::path ours = folder / "MacroDefine.bin";
    std::filesystem::path plain = folder / "plain.bin";
};

void MacroSave(benchmark::State& state) {
    MacroRig rig;
    compare(
        state, [&] { saveMacroFile(rig.ours, *rig.table); },
        [&] { plainWrite(rig.plain, rig.bytes); });
}
BENCHMARK(MacroSave)->MinWarmUpTime(0.5)->MinTime(1.0);

void MacroLoad(benchmark::State& state) {
    MacroRig rig;
    saveMacroFile(rig.ours, *rig.table);
    plainWrite(rig.plain, rig.bytes);
    compare(
        state, [&] { loadMacroFile(rig.ours, *rig.table); },
        [&] { plainRead(rig.plain, rig.bytes); });
}
BENCHMARK(MacroLoad)->MinWarmUpTime(0.5)->MinTime(1.0);

}  // namespace
}  // namespace tq260
