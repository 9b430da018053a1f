#include "device/settings_reader.h"

#include "device/block_codec.h"
#include "device/composite_operations.h"
#include "device/device_commands.h"

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
        state_.readFromKeyboard = false;
    }
    DeviceIdentity identity;
    // The lighting is read once more after the full read, as the window takes it; done here
    // so that the window never waits on the keyboard (same commands, same order).
    OperationResult result = fullRead(link_, read, identity);
    if (result == OperationResult::Done) result = readLighting(link_, read);
    if (result != OperationResult::Done) {
        // Half a read is not the keyboard's configuration: the record stays as it was. A
        // keyboard that went away is told by its removal; one that is there but silent here.
        if (result == OperationResult::NotAnswering) {
            relay_.deliver([this] { events_.keyboardNotAnswering(); });
        }
        worker_.finished();
        return;
    }
    {
        std::lock_guard lock(state_.recordMutex);
        takeKeyboardSettings(read, state_.settings);
        state_.identity = identity;
        state_.readFromKeyboard = true;
    }
    relay_.deliver([this] { events_.settingsLoaded(); });
    {
        std::lock_guard lock(state_.recordMutex);
        state_.shadow.synchronise(state_.settings);
    }
    worker_.finished();
}

}  // namespace tq260
