// What a connected keyboard costs while nothing happens: the CPU the input listener uses
// over 10 s of idle, against the virtual keyboard on the real clock.
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <thread>

#include "device/device_session.h"
#include "emulator/emulator_transport.h"
#include "idle_cpu.h"
#include "platform/real_clock.h"
#include "support/main_queues.h"

namespace tq260 {
namespace {

class InlineQueue final : public MainThreadQueue {
  public:
    void post(std::function<void()> task) override { task(); }
    void postAfter(int, std::function<void()> task) override { task(); }
};

class QuietEvents final : public DeviceEvents {
  public:
    void settingsLoaded() override {}
    void keyboardNotAnswering() override {}
    void lightingChanged(std::uint8_t) override {}
    void hideWindow() override {}
    void keyboardRemoved() override {}
    void registrationFailed() override {}
};

class QuietDiagnostics final : public Diagnostics {
  public:
    void debugText(std::string_view) override {}
};

void IdleConnectedKeyboard(benchmark::State& state) {
    RealClock clock;
    EmulatorTransport transport(clock);
    transport.addKeyboard();
    DeviceLink link(transport, clock);
    KeyboardState keyboard;
    testing::ImmediateQueue mainThread;
    QuietEvents events;
    QuietDiagnostics diagnostics;
    DeviceSession session(link, keyboard, mainThread, events, diagnostics);
    session.connectAtStart();
    while (session.reader().running()) std::this_thread::sleep_for(std::chrono::milliseconds(10));

    bench::reportIdleCpu(state);
    session.shutdown();
}
BENCHMARK(IdleConnectedKeyboard)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace tq260
