#include "device/settings_reader.h"

#include "device/composite_operations.h"

namespace tq260 {

SettingsReader::SettingsReader(DeviceLink& link, KeyboardState& state, NotificationRelay& relay,
                               DeviceEvents& events)
    : link_(link), state_(state), relay_(relay), events_(events) {}

SettingsReader::~SettingsReader() {
    join();
}

void SettingsReader::start() {
    worker_.start([this] { run(); });
}

void SettingsReader::run() {
    // The read works on a copy, so the record's lock is held only for the fill and the
    // main window never waits the whole read for it.
    DeviceSettings read;
    {
        std::lock_guard lock(state_.recordMutex);
        read = state_.settings;
    }
    DeviceIdentity identity;
    fullRead(link_, read, identity);
    {
        std::lock_guard lock(state_.recordMutex);
        copyDeviceFields(read, state_.settings);
        state_.identity = identity;
    }
    relay_.deliver([this] { events_.settingsLoaded(); });
    {
        std::lock_guard lock(state_.recordMutex);
        state_.shadow.synchronise(state_.settings);
    }
    worker_.finished();
}

}  // namespace tq260
