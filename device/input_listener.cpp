#include "device/input_listener.h"

#include <array>

#include "device/event_report.h"

namespace tq260 {

InputListener::InputListener(DeviceLink& link, KeyboardState& state, NotificationRelay& relay,
                             DeviceEvents& events)
    : link_(link), state_(state), relay_(relay), events_(events) {}

InputListener::~InputListener() {
    requestStop();
    join();
}

void InputListener::start() {
    stop_ = false;
    worker_.start([this] { run(); });
}

void InputListener::requestStop() {
    stop_ = true;
    relay_.wake();
}

void InputListener::run() {
    Clock& clock = link_.clock();
    while (!stop_) {
        std::array<std::uint8_t, kEventReportSize> report{};
        report[0] = kEventReportId;
        // Taken anew each pass: after a removal the channel is gone and the pass only waits.
        const std::shared_ptr<HidDevice> channel = link_.eventChannel();
        // A read with a timeout ends before the next one starts, so there is never more
        // than one read outstanding. A failed read counts as a timeout.
        const int received = channel ? channel->read(report, kReadWaitMs) : -1;
        if (received > 0) handleReport(std::span(report).first(static_cast<std::size_t>(received)));
        clock.sleepMs(kPauseMs);
    }
    worker_.finished();
    clock.sleepMs(kPauseMs);
}

void InputListener::handleReport(std::span<const std::uint8_t> report) {
    std::optional<std::uint8_t> effect;
    {
        std::lock_guard lock(state_.recordMutex);
        effect = applyEventReport(report, state_.settings.lighting);
    }
    if (effect) {
        relay_.deliver([this, e = *effect] { events_.lightingChanged(e); }, &stop_);
    }
}

}  // namespace tq260
