// A keyboard silent from the start, on the real clock: how long until the user is told it is
// not answering, and the longest the shown window stops answering meanwhile (UiHeartbeat).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

#include "against_plain_copy.h"
#include "app/main_window.h"
#include "emulator/emulator_transport.h"
#include "platform/real_clock.h"
#include "ui_heartbeat.h"

namespace tq260 {
namespace {

QString applicationFolder;

class Noting final : public MessageBoxes,
                     public ProgramStarter,
                     public ShellLauncher,
                     public Diagnostics {
  public:
    explicit Noting(QElapsedTimer& since) : since_(since) {}
    void tell(const std::u16string&, const std::u16string&) override {
        if (toldAfterMs < 0) toldAfterMs = since_.nsecsElapsed() / 1e6;
    }
    bool ask(const std::u16string&, const std::u16string&) override { return false; }
    bool start(const std::u16string&, const std::u16string&) override { return false; }
    bool openWebPage(const std::u16string&) override { return false; }
    Result open(const std::u16string&, const std::u16string&) override { return Result::Failed; }
    void debugText(std::string_view) override {}
    double toldAfterMs = -1;

  private:
    QElapsedTimer& since_;
};

void SilentKeyboardFromTheStart(benchmark::State& state) {
    QTemporaryDir scratch;
    QFile::link(applicationFolder + "png", scratch.filePath("png"));
    double slowestTellMs = 0;
    double longestStallMs = 0;
    double firstPaintMs = 0;
    for (auto _ : state) {
        RealClock clock;
        EmulatorTransport transport(clock);
        transport.addKeyboard().setSilent(true);
        DeviceLink link(transport, clock, nullptr);
        ApplicationState appState;
        appState.applicationFolder = scratch.path() + "/";
        appState.dataFolder = appState.applicationFolder;
        QElapsedTimer since;
        since.start();
        Noting noting(since);
        NoDialogs dialogs;
        MainWindowServices services{link,   noting,  noting, noting, dialogs,
                                    noting, nullptr, false,  false};
        CGameKeyboardDlg window(appState, services);
        window.initialise();
        window.show();
        // The first paint (skins decoded) is start-up, reported on its own; the stalls are
        // measured from the shown window on.
        QCoreApplication::processEvents();
        firstPaintMs = std::max(firstPaintMs, since.nsecsElapsed() / 1e6);

        UiHeartbeat heartbeat(window);
        heartbeat.runUntil([&] { return noting.toldAfterMs >= 0; }, 20000);
        longestStallMs = std::max(longestStallMs, heartbeat.longestStallMs());
        if (noting.toldAfterMs < 0) state.SkipWithError("never told");
        slowestTellMs = std::max(slowestTellMs, noting.toldAfterMs);
        window.closeFromButton();
    }
    // The worst of the runs.
    state.counters["told_after_s"] = slowestTellMs / 1000.0;
    state.counters["longest_stall_ms"] = longestStallMs;
    state.counters["shown_after_ms"] = firstPaintMs;
}
BENCHMARK(SilentKeyboardFromTheStart)->Unit(benchmark::kSecond)->Iterations(3);

}  // namespace
}  // namespace tq260

TQ260_QT_BENCHMARK_MAIN(tq260::applicationFolder, "/../application/")
