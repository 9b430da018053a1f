// The launch-key watcher on a connected keyboard: what it costs while no key is pressed, and
// how soon a press reaches the main thread as a launch request. This machine has no input
// devices (no /dev/input, no uinput), so the keyboard's node is a pipe carrying the kernel's
// own input_event records, waited on with poll() as the evdev backend waits on its nodes.
#include <benchmark/benchmark.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "idle_cpu.h"
#include "keys/launch_key_watcher.h"
#include "platform/physical_keys.h"

namespace tq260 {
namespace {

using Clock = std::chrono::steady_clock;

// A keyboard node: input_event records through a pipe, waited on with poll().
class PipeKeyInput final : public KeyInputSource {
  public:
    PipeKeyInput() {
        int fds[2];
        if (pipe(fds) != 0) std::abort();
        readFd_ = fds[0];
        writeFd_ = fds[1];
        wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    }
    ~PipeKeyInput() override {
        close(readFd_);
        close(writeFd_);
        close(wakeFd_);
    }
    Opened open() override { return Opened::Reading; }
    void stop() override {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = write(wakeFd_, &one, sizeof one);
    }
    std::optional<KeyInput> next() override {
        for (;;) {
            pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {readFd_, POLLIN, 0}};
            if (poll(fds, 2, -1) < 0 || fds[0].revents != 0) return std::nullopt;
            input_event event{};
            if (read(readFd_, &event, sizeof event) != sizeof event) return std::nullopt;
            if (event.type != EV_KEY || event.value != 1) continue;
            return KeyInput{virtualKeyFromEvdev(event.code), KeyInput::Kind::Down};
        }
    }
    // The kernel's report of a key going down and its sync.
    void press(std::uint16_t code) {
        input_event events[2]{};
        events[0].type = EV_KEY;
        events[0].code = code;
        events[0].value = 1;
        events[1].type = EV_SYN;
        [[maybe_unused]] const auto written = write(writeFd_, events, sizeof events);
    }

  private:
    int readFd_ = -1;
    int writeFd_ = -1;
    int wakeFd_ = -1;
};

// The main thread's queue, run by the benchmark's thread.
class BlockingQueue final : public MainThreadQueue {
  public:
    void post(std::function<void()> task) override {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        posted_.notify_one();
    }
    void postAfter(int, std::function<void()> task) override { post(std::move(task)); }
    void runOne() {
        std::unique_lock lock(mutex_);
        posted_.wait(lock, [&] { return !tasks_.empty(); });
        auto task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        task();
    }

  private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> tasks_;
};

void LaunchWatcherIdle(benchmark::State& state) {
    PipeKeyInput keyboard;
    BlockingQueue mainThread;
    LaunchKeyWatcher watcher(keyboard, mainThread, [](std::uint8_t) {});
    watcher.start();
    bench::reportIdleCpu(state);
}
BENCHMARK(LaunchWatcherIdle)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void KeyPressToLaunchRequest(benchmark::State& state) {
    PipeKeyInput keyboard;
    BlockingQueue mainThread;
    Clock::time_point handled;
    LaunchKeyWatcher watcher(keyboard, mainThread, [&](std::uint8_t) { handled = Clock::now(); });
    watcher.start();
    std::vector<double> microseconds;
    for (auto _ : state) {
        const Clock::time_point pressed = Clock::now();
        keyboard.press(59);  // F1
        mainThread.runOne();
        microseconds.push_back(
            std::chrono::duration<double, std::micro>(handled - pressed).count());
        // Keys come from a person: a pause between presses, as between real ones.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::sort(microseconds.begin(), microseconds.end());
    state.counters["median_us"] = microseconds[microseconds.size() / 2];
    state.counters["p99_us"] = microseconds[microseconds.size() * 99 / 100];
    state.counters["max_us"] = microseconds.back();
}
BENCHMARK(KeyPressToLaunchRequest)->Iterations(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tq260

BENCHMARK_MAIN();
