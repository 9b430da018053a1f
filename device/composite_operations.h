#pragma once

#include "device/device_link.h"
#include "device/device_settings.h"
#include "device/keyboard_state.h"

namespace tq260 {

// Reads every setting of the keyboard into the record, in the keyboard's fixed order:
// game mode on, report rate, response time, both key blocks, the six macro blocks, the
// masks, identity, lighting, game mode.
void fullRead(DeviceLink& link, DeviceSettings& settings, DeviceIdentity& identity);

// The reread after a factory reset; the caller reads game mode after it.
void rereadAfterReset(DeviceLink& link, DeviceSettings& settings);

// Sends lighting, report rate, response time and game mode, and every key, macro and mask
// block that differs from the shadow; then takes the record as the new shadow.
void writeBack(DeviceLink& link, const DeviceSettings& settings, SettingsShadow& shadow);
// The same with the record's lock held throughout, so the listener's update waits for it.
void writeBack(DeviceLink& link, KeyboardState& state);

// The factory reset command followed by game mode on twice, each with its settling time.
void factoryReset(DeviceLink& link);

}  // namespace tq260
