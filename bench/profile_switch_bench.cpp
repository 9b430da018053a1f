// A profile switch from the main window, on the virtual keyboard and the real clock: the
// wall time from the request until the window has taken the keyboard's answer, against the
// protocol waits of what the switch sends. Two profiles that differ in one key and the
// lighting, alone and among six full profiles (reading the folder must not show).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>

#include "against_plain_copy.h"
#include "app/main_window.h"
#include "bench_clocks.h"
#include "emulator/emulator_transport.h"
#include "keys/keymap_file.h"
#include "two_profiles.h"
#include "ui_heartbeat.h"

namespace tq260 {
namespace {

QString applicationFolder;

void switchBetweenTwoProfiles(benchmark::State& state, int others) {
    TwoProfiles rig(applicationFolder, others);
    const std::u16string names[] = {u"Desk", u"Game"};
    int next = 0;
    measureAgainstWaits(state, rig.clock, [&] {
        rig.window.useProfile(names[next]);
        next ^= 1;
        // Sleeps until the window's next event, as the program's own event loop does.
        while (rig.window.keyboardBusy()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        QCoreApplication::processEvents();
    });
    if (rig.quiet.told != 0 || rig.window.profileLine().isEmpty()) {
        state.SkipWithError("a switch was refused or asked about");
    }
}

void SwitchBetweenTwoProfiles(benchmark::State& state) {
    switchBetweenTwoProfiles(state, 0);
}
BENCHMARK(SwitchBetweenTwoProfiles)->Iterations(6)->Unit(benchmark::kMillisecond)->UseRealTime();

void SwitchAmongSixProfiles(benchmark::State& state) {
    switchBetweenTwoProfiles(state, 4);
}
BENCHMARK(SwitchAmongSixProfiles)->Iterations(6)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tq260

TQ260_QT_BENCHMARK_MAIN(tq260::applicationFolder, "/../application/")
