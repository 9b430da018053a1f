// The longest the main window stops answering (UiHeartbeat) while the keyboard works, on the
// virtual keyboard and the real clock: a Save with every block changed, a factory reset,
// and the full read after the keyboard is plugged in again.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>

#include "against_plain_copy.h"
#include "app/main_window.h"
#include "emulator/emulator_transport.h"
#include "emulator/virtual_hot_plug_watcher.h"
#include "platform/real_clock.h"
#include "ui_heartbeat.h"
#include "window_services.h"

namespace tq260 {
namespace {

QString applicationFolder;

// The main window on a virtual keyboard, shown and read, on the real clock.
struct Rig {
    // unplugAfter: the keyboard goes after that many block reports of the start-up read.
    explicit Rig(int unplugAfter = 0) {
        QFile::link(applicationFolder + "png", scratch.filePath("png"));
        appState.applicationFolder = scratch.path() + "/";
        appState.dataFolder = appState.applicationFolder;
        if (unplugAfter > 0) keyboard.unplugAfterReports(unplugAfter);
        window.initialise();
        window.show();
        // The first paint decodes the skins: start-up, not a stall of the read.
        QCoreApplication::processEvents();
        if (unplugAfter > 0) return;
        while (window.session().reader().running()) QCoreApplication::processEvents();
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    }
    QTemporaryDir scratch;
    RealClock clock;
    EmulatorTransport transport{clock};
    VirtualKeyboard& keyboard = transport.addKeyboard();
    VirtualHotPlugWatcher watcher{transport};
    DeviceLink link{transport, clock, nullptr};
    ApplicationState appState;
    BenchServices agreeing{true};
    NoDialogs dialogs;
    MainWindowServices services{link,     agreeing, agreeing, agreeing, dialogs,
                                agreeing, &watcher, false,    false};
    CGameKeyboardDlg window{appState, services};
};

// Pulls the keyboard out and lets the window handle it until the link is closed.
void unplugAndSettle(Rig& rig) {
    rig.keyboard.unplug();
    UiHeartbeat settle(rig.window);
    settle.runUntil([&] { return !rig.link.isConnected(); }, 5000);
}

void report(benchmark::State& state, double longestMs, double operationMs) {
    state.counters["longest_stall_ms"] = longestMs;
    state.counters["operation_ms"] = operationMs;
}

// Runs the window until done() holds (or says it never did), then afterMs more for what
// follows it; takes the longest stall, and the time of the whole.
void measureUntil(benchmark::State& state, UiHeartbeat& heartbeat,
                  const std::function<bool()>& done, const char* never, int afterMs,
                  double& longest, double& took) {
    if (!heartbeat.runUntil(done, 20000)) state.SkipWithError(never);
    if (afterMs > 0) heartbeat.runUntil([] { return false; }, afterMs);
    longest = std::max(longest, heartbeat.longestStallMs());
    took = heartbeat.elapsedMs();
}

// Clicks the button that starts a Save or a reset and runs the window until it has ended.
void runOperation(benchmark::State& state, Rig& rig, QPoint button, double& longest, double& took) {
    UiHeartbeat heartbeat(rig.window);
    clickWindow(rig.window, button.x(), button.y());
    measureUntil(
        state, heartbeat, [&] { return !rig.window.keyboardBusy(); }, "the operation never ended",
        0, longest, took);
}

void SaveWithEveryBlockChanged(benchmark::State& state) {
    Rig rig;
    double longest = 0;
    double took = 0;
    for (auto _ : state) {
        {
            std::lock_guard lock(rig.appState.keyboard.recordMutex);
            DeviceSettings& record = rig.appState.keyboard.settings;
            for (auto& entry : record.keyTable) entry.code ^= 0x01;
            for (auto& block : record.macroBlocks) block[3] ^= 0xFF;
            for (auto& mask : record.customLightMasks) mask.bits[0] ^= 0xFF;
        }
        runOperation(state, rig, {950, 615}, longest, took);
    }
    report(state, longest, took);
}
BENCHMARK(SaveWithEveryBlockChanged)->Unit(benchmark::kMillisecond)->Iterations(3);

void FactoryReset(benchmark::State& state) {
    Rig rig;
    double longest = 0;
    double took = 0;
    for (auto _ : state) runOperation(state, rig, {830, 615}, longest, took);
    report(state, longest, took);
}
BENCHMARK(FactoryReset)->Unit(benchmark::kMillisecond)->Iterations(3);

// From the plug until the window has taken the keyboard's settings (the arrival's 2 s
// settling time included).
void FullReadAfterArrival(benchmark::State& state) {
    Rig rig;
    double longest = 0;
    double took = 0;
    for (auto _ : state) {
        unplugAndSettle(rig);
        int reads = 0;
        for (const WireEntry& e : rig.keyboard.wireLog().entries()) reads += e.op == TraceOp::Set;
        UiHeartbeat heartbeat(rig.window);
        rig.keyboard.plug();
        const auto readAgain = [&] {
            int now = 0;
            for (const WireEntry& e : rig.keyboard.wireLog().entries()) now += e.op == TraceOp::Set;
            // The full read's 15 commands and the window's lighting read after it.
            return now >= reads + 16 && !rig.window.session().reader().running();
        };
        // Then the window's handling of it.
        measureUntil(state, heartbeat, readAgain, "never read again", 50, longest, took);
    }
    report(state, longest, took);
}
BENCHMARK(FullReadAfterArrival)->Unit(benchmark::kMillisecond)->Iterations(3);

// The keyboard pulled out half-way through the read at start: from the window's first paint
// until the removal has closed the link.
void UnplugDuringTheStartUpRead(benchmark::State& state) {
    double longest = 0;
    double took = 0;
    for (auto _ : state) {
        Rig rig(10);
        UiHeartbeat heartbeat(rig.window);
        measureUntil(
            state, heartbeat, [&] { return !rig.link.isConnected(); }, "never closed", 300, longest,
            took);
    }
    report(state, longest, took);
}
BENCHMARK(UnplugDuringTheStartUpRead)->Unit(benchmark::kMillisecond)->Iterations(3);

// The keyboard pulled out half-way through the read that follows its arrival: from the plug
// until the removal has closed the link.
void UnplugDuringTheRead(benchmark::State& state) {
    Rig rig;
    double longest = 0;
    double took = 0;
    for (auto _ : state) {
        unplugAndSettle(rig);
        rig.keyboard.unplugAfterReports(10);
        UiHeartbeat heartbeat(rig.window);
        rig.keyboard.plug();
        heartbeat.runUntil([&] { return rig.link.isConnected(); }, 5000);
        const auto closed = [&] {
            return !rig.link.isConnected() && !rig.window.session().reader().running();
        };
        // Then the removal's debug text after it.
        measureUntil(state, heartbeat, closed, "never closed", 300, longest, took);
    }
    report(state, longest, took);
}
BENCHMARK(UnplugDuringTheRead)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tq260

TQ260_QT_BENCHMARK_MAIN(tq260::applicationFolder, "/../application/")
