#pragma once

#include "device/device_settings.h"
#include "device/record_mutex.h"

namespace tq260 {

// The keyboard's configuration as the program holds it: the record, the state last
// exchanged with the keyboard, and the identity read with it. The reader's fill, the
// listener's lighting update and the write back hold the lock; so does whoever reads the
// record while they may run.
struct KeyboardState {
    DeviceSettings settings{};
    SettingsShadow shadow{};
    DeviceIdentity identity{};
    // The record holds what the keyboard last sent in full. False until a full read (or the
    // reread of a factory reset) completes, and after one that was abandoned: sending such
    // a record would overwrite the keyboard with what it never held.
    bool readFromKeyboard = false;
    mutable RecordMutex recordMutex;
};

}  // namespace tq260
