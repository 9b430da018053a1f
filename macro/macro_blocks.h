#pragma once

#include "device/device_settings.h"
#include "macro/macro_record.h"

namespace tq260 {

// Turns the named macros at the head of the table (at most six) into the keyboard's macro
// blocks: loop count high byte, low byte, then the first 126 bytes of the device string.
// Blocks from the first unnamed record on keep what they held: a deleted macro's slot is
// not cleared on the keyboard.
void buildMacroBlocks(const MacroTable& table, DeviceSettings& settings);

}  // namespace tq260
