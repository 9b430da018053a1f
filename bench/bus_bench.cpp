// tq260ctl through the running program on a session bus (a dbus-daemon of the benchmark's
// own), against the same command run directly on a free keyboard, on the virtual keyboard
// and the real clock. The program answers dump from what it holds, and apply sends only what
// differs: the bus must add next to nothing to the protocol's waits of what is sent.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "against_plain_copy.h"
#include "app/bus_requests.h"
#include "app/bus_service.h"
#include "bench_clocks.h"
#include "cli/running_program.h"
#include "cli/tool_commands.h"
#include "emulator/emulator_transport.h"
#include "read_window.h"

namespace tq260 {
namespace {

QString applicationFolder;

// A session bus of the benchmark's own; the tool's side finds it as a script would.
QString busAddress() {
    struct Daemon : QProcess {
        ~Daemon() override {
            kill();
            waitForFinished();
        }
    };
    static Daemon daemon;
    static QString address;
    if (address.isEmpty()) {
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--nofork"),
                      QStringLiteral("--print-address=1")});
        daemon.waitForReadyRead(20000);
        address = QString::fromUtf8(daemon.readLine()).trimmed();
        setenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8().constData(), 1);
    }
    return address;
}

std::int64_t microsecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

// The program: its window, read, with its interface on the bus.
struct ProgramRig : ReadWindow {
    ProgramRig() : ReadWindow(applicationFolder) {
        requests.attach(window);
        service = BusService::offer(
            requests, QDBusConnection::connectToBus(busAddress(), QStringLiteral("program")), true);
    }
    ~ProgramRig() {
        service.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("program"));
    }
    // Runs call on a thread of its own, as the tool is another process, while this thread
    // serves the program's event loop; its wall time, until the window has finished.
    template <typename Call>
    std::int64_t timeCall(Call call) {
        std::atomic<bool> done{false};
        const auto start = std::chrono::steady_clock::now();
        std::thread tool([&] {
            call();
            done = true;
            QMetaObject::invokeMethod(
                qApp, [] {}, Qt::QueuedConnection);
        });
        while (!done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        tool.join();
        while (window.keyboardBusy()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        return microsecondsSince(start);
    }

    QtMainThreadQueue timers{&window};
    BusRequests requests{appState, timers};
    std::unique_ptr<BusService> service;
};

// The tool run directly on a free virtual keyboard of its own.
struct DirectRig {
    DirectRig() { transport.addKeyboard({false, false, true}); }
    std::int64_t time(const std::function<int(ToolContext&)>& command) {
        out.str({});
        ToolContext context{transport, clock, nullptr, scratch.path().toStdString(), out, err, in};
        const auto start = std::chrono::steady_clock::now();
        if (command(context) != tool_exit::kDone) std::abort();
        return microsecondsSince(start);
    }
    QTemporaryDir scratch;
    MeasuringClock clock;
    EmulatorTransport transport{clock};
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in;
};

std::string change(int round) {
    return R"({"format": 1, "lighting": {"brightness": )" + std::to_string(round % 2 ? 10 : 20) +
           R"(}, "keys": {"Caps": )" + (round % 2 ? R"("disabled")" : R"("default")") + "}}";
}

void report(benchmark::State& state, std::int64_t busUs, std::int64_t directUs,
            std::int64_t waitsMs) {
    const auto n = static_cast<double>(state.iterations());
    state.counters["bus_ms"] = static_cast<double>(busUs) / 1000.0 / n;
    state.counters["direct_ms"] = static_cast<double>(directUs) / 1000.0 / n;
    state.counters["bus_over_direct"] = static_cast<double>(busUs) / static_cast<double>(directUs);
    if (waitsMs > 0) {
        state.counters["waits_ms"] = static_cast<double>(waitsMs) / n;
        state.counters["bus_over_waits"] =
            static_cast<double>(busUs) / (1000.0 * static_cast<double>(waitsMs));
    }
}

void DumpThroughTheProgram(benchmark::State& state) {
    ProgramRig program;
    DirectRig direct;
    std::unique_ptr<RunningProgram> tool;
    // From the tool's thread: this one answers for the program.
    program.timeCall([&] { tool = RunningProgram::reach(true); });
    if (!tool) return state.SkipWithError("the program is not on the bus");
    std::int64_t busUs = 0;
    std::int64_t directUs = 0;
    for (auto _ : state) {
        busUs += program.timeCall([&] {
            if (tool->dump().failed()) std::abort();
        });
        directUs += direct.time([](ToolContext& context) { return runDump(context, {}); });
    }
    report(state, busUs, directUs, 0);
}
BENCHMARK(DumpThroughTheProgram)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

// One key and one light value, the two changes taking turns.
void ApplyThroughTheProgram(benchmark::State& state) {
    ProgramRig program;
    DirectRig direct;
    std::unique_ptr<RunningProgram> tool;
    // From the tool's thread: this one answers for the program.
    program.timeCall([&] { tool = RunningProgram::reach(true); });
    if (!tool) return state.SkipWithError("the program is not on the bus");
    const QString file = direct.scratch.filePath("change.json");
    std::int64_t busUs = 0;
    std::int64_t directUs = 0;
    std::int64_t waitsMs = 0;
    int round = 0;
    for (auto _ : state) {
        const std::string json = change(round++);
        const std::int64_t before = program.clock.requestedMs();
        busUs += program.timeCall([&] {
            if (tool->apply(json, false).failed()) std::abort();
        });
        waitsMs += program.clock.requestedMs() - before;
        QFile out(file);
        out.open(QIODevice::WriteOnly);
        out.write(json.data(), static_cast<qint64>(json.size()));
        out.close();
        directUs += direct.time(
            [&](ToolContext& context) { return runApply(context, file.toStdString(), false); });
    }
    report(state, busUs, directUs, waitsMs);
}
BENCHMARK(ApplyThroughTheProgram)->Iterations(6)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tq260

TQ260_QT_BENCHMARK_MAIN(tq260::applicationFolder, "/../application/")
