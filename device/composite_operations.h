#pragma once

#include "device/device_link.h"
#include "device/device_settings.h"
#include "device/keyboard_state.h"
#include "device/operation_progress.h"
#include "device/operation_result.h"

namespace tq260 {

// Each operation stops at the first command the keyboard does not take or answer, and says
// how it ended; the commands after it are not attempted.

// Reads every setting of the keyboard into the record, in the keyboard's fixed order:
// game mode on, report rate, response time, both key blocks, the six macro blocks, the
// masks, identity, lighting, game mode. A read that did not end Done leaves a record that
// is not the keyboard's: the caller must not take it.
OperationResult fullRead(DeviceLink& link, DeviceSettings& settings, DeviceIdentity& identity);

// The reread after a factory reset; the caller reads game mode after it.
OperationResult rereadAfterReset(DeviceLink& link, DeviceSettings& settings);

// Sends lighting, report rate, response time and game mode, and every key, macro and mask
// block that differs from the shadow; then takes the record as the new shadow. When it ends
// early, the shadow takes only what the keyboard took, so whatever was not sent still differs
// and the next write back sends it.
// progress hears of each step before it is sent.
OperationResult writeBack(DeviceLink& link, const DeviceSettings& settings, SettingsShadow& shadow,
                          const ProgressListener& progress = {});
// The same with the record's lock held throughout, so the listener's update waits for it.
OperationResult writeBack(DeviceLink& link, KeyboardState& state);

// The factory reset command followed by game mode on twice, each with its settling time.
OperationResult factoryReset(DeviceLink& link);

// What the window's factory reset does with the keyboard: a short pause, the reset, game
// mode on, the reread and game mode, into reread. progress hears of each step.
OperationResult restoreFactorySettings(DeviceLink& link, DeviceSettings& reread,
                                       const ProgressListener& progress = {});

}  // namespace tq260
