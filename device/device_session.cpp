#include "device/device_session.h"

namespace tq260 {

DeviceSession::DeviceSession(DeviceLink& link, KeyboardState& state, MainThreadQueue& mainThread,
                             DeviceEvents& events, Diagnostics& diagnostics)
    : link_(link),
      mainThread_(mainThread),
      events_(events),
      diagnostics_(diagnostics),
      relay_(mainThread),
      reader_(link, state, relay_, events),
      listener_(link, state, relay_, events),
      alive_(std::make_shared<std::atomic<bool>>(true)) {}

DeviceSession::~DeviceSession() {
    shutdown();
}

void DeviceSession::later(int ms, std::function<void()> task) {
    mainThread_.postAfter(ms, [alive = alive_, task = std::move(task)] {
        if (*alive) task();
    });
}

void DeviceSession::connectAtStart() {
    link_.findInterface(InterfaceFilter::CommandChannel);
    if (link_.openCommandChannel()) {
        events_.keyboardHeld();
        if (!reader_.running()) reader_.start();
    } else {
        events_.hideWindow();
    }
    openEventChannelAndListen();
}

void DeviceSession::openEventChannelAndListen() {
    link_.findInterface(InterfaceFilter::EventChannel);
    if (link_.openEventChannel()) {
        if (!listener_.running()) listener_.start();
    } else if (!link_.isConnected()) {
        events_.hideWindow();
    }
    // A keyboard whose event channel this user may not open (it carries typed keys, so it is
    // granted only on request) is still used in full; the window reads its lighting instead.
}

bool DeviceSession::registerForNotifications(HotPlugWatcher& watcher) {
    const bool registered = watcher.start([this, alive = alive_](const DeviceChange& change) {
        // Reported on the watcher's thread; handled on the main thread.
        mainThread_.post([this, alive, change] {
            if (*alive) onDeviceChange(change);
        });
    });
    if (!registered) {
        events_.registrationFailed();
        return false;
    }
    watcher_ = &watcher;
    return true;
}

void DeviceSession::onDeviceChange(const DeviceChange& change) {
    if (change.vendorId != kKeyboardVendorId || change.productId != kKeyboardProductId) return;
    if (change.kind == DeviceChange::Kind::Arrival) {
        onArrival();
    } else {
        onRemoval();
    }
}

void DeviceSession::onArrival() {
    // The keyboard's interfaces take a while to appear after the device itself.
    later(kArrivalSettleMs, [this] { attemptConnection(1); });
}

void DeviceSession::attemptConnection(int attempt) {
    if (attempt > kArrivalAttempts) return;
    const auto retry = [this, attempt] {
        later(kArrivalRetryMs, [this, attempt] { attemptConnection(attempt + 1); });
    };
    if (link_.isConnected()) {
        retry();  // already connected: this arrival only waits out its attempts
        return;
    }
    link_.findInterface(InterfaceFilter::CommandChannel);
    if (!link_.openCommandChannel()) {
        retry();
        return;
    }
    events_.keyboardHeld();
    if (!reader_.running()) reader_.start();
    openEventChannelAndListen();
}

void DeviceSession::onRemoval() {
    listener_.requestStop();
    events_.keyboardRemoved();
    later(kRemovalCloseMs, [this] {
        link_.close();
        // The listener has left its loop by now: it never waits longer than one read and a
        // pause, and a notification it was delivering was given up when it was told to stop.
        listener_.join();
        later(kRemovalDebugMs, [this] { diagnostics_.debugText(kDeviceRemovedDebugText); });
    });
}

void DeviceSession::shutdown() {
    if (!*alive_) return;
    *alive_ = false;
    if (watcher_ != nullptr) {
        watcher_->stop();
        watcher_ = nullptr;
    }
    listener_.requestStop();
    // Workers waiting for the main thread are let go before the main thread waits for them.
    relay_.close();
    listener_.join();
    link_.close();
    reader_.join();
}

}  // namespace tq260
