// Profiles by the application in front, on the virtual keyboard and the real clock: from a
// watcher's report that another application came to the front (made on a thread of its own,
// as the desktop watchers report) until the keyboard holds that application's profile, less
// the settle time, against the protocol waits of what was sent. And what the session's own
// watcher costs while nothing changes in front.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <thread>

#include "against_plain_copy.h"
#include "app/front_profiles.h"
#include "app/qt_platform.h"
#include "config/profile_rules_file.h"
#include "idle_cpu.h"
#include "two_profiles.h"

namespace tq260 {
namespace {

QString applicationFolder;

// Reports what the benchmark says, from a thread of its own.
class ReportingWatcher final : public FrontApplicationWatcher {
  public:
    bool start(Listener listener) override {
        listener_ = std::move(listener);
        return true;
    }
    void stop() override {}
    std::optional<std::vector<FrontApplication>> openApplications() override { return {}; }
    void report(const FrontApplication& front) {
        std::thread([&] { listener_(front); }).join();
    }

  private:
    Listener listener_;
};

void FrontChangeToKeyboard(benchmark::State& state) {
    TwoProfiles rig(applicationFolder, 0);
    std::string why;
    writeProfileRules(rig.appState.dataFolderPath(),
                      {true, {{"XLogo", "", u"Desk"}, {"Xmessage", "", u"Game"}}, {}, false}, why);
    QtMainThreadQueue timers(&rig.window);
    FrontProfiles front(rig.window, rig.appState, timers);
    auto owned = std::make_unique<ReportingWatcher>();
    ReportingWatcher& watcher = *owned;
    front.watch(FrontSource::X11, std::move(owned));
    const char* applications[] = {"XLogo", "Xmessage"};
    int next = 0;
    std::int64_t wallUs = 0;
    std::int64_t waitsMs = 0;
    for (auto _ : state) {
        const int switches = front.switches();
        const std::int64_t waitsBefore = rig.clock.requestedMs();
        const auto start = std::chrono::steady_clock::now();
        watcher.report({applications[next], "", false});
        next ^= 1;
        // Sleeps until the window's next event, as the program's own event loop does.
        while (front.switches() == switches || rig.window.keyboardBusy()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        QCoreApplication::processEvents();
        wallUs += std::chrono::duration_cast<std::chrono::microseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count() -
                  FrontProfileSwitcher::kSettleMs * 1000;
        waitsMs += rig.clock.requestedMs() - waitsBefore;
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["waits_ms"] = static_cast<double>(waitsMs) / n;
    state.counters["after_settle_over_waits"] =
        static_cast<double>(wallUs) / (1000.0 * static_cast<double>(waitsMs));
    if (rig.quiet.told != 0) state.SkipWithError("a switch was refused or asked about");
}
BENCHMARK(FrontChangeToKeyboard)->Iterations(6)->Unit(benchmark::kMillisecond)->UseRealTime();

// The watcher this session gets (X11 under Xvfb, sway...), started, while nothing changes.
void IdleWithTheSessionsWatcher(benchmark::State& state) {
    const SessionDescription session = sessionFromEnvironment();
    const auto watcher = makeFrontWatcher(chooseFrontSource(session), session);
    if (!watcher || !watcher->start([](const FrontApplication&) {})) {
        state.SkipWithError("no desktop to watch here (run under Xvfb or sway)");
        for (auto _ : state) {
        }
        return;
    }
    bench::reportIdleCpu(state);
    watcher->stop();
}
BENCHMARK(IdleWithTheSessionsWatcher)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tq260

TQ260_QT_BENCHMARK_MAIN(tq260::applicationFolder, "/../application/")
