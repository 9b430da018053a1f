#pragma once

#include "device/device_settings.h"
#include "macro/macro_record.h"

namespace tq260 {

// Turns the named macros at the head of the table (at most six) into the keyboard's macro
// blocks: loop count high byte, low byte, then the first 126 bytes of the device string.
// Blocks from the first unnamed record on keep what they held.
void buildMacroBlocks(const MacroTable& table, DeviceSettings& settings);

// Empties the blocks past the named macros whose slot held a macro that has gone or moved
// (moves as the macro manager reports them), so the keyboard stops playing a macro the
// program no longer shows. A slot that held nothing the program knew keeps what it holds.
void emptyFreedMacroBlocks(const MacroTable& table,
                           const std::array<int, kKeyboardMacroSlots>& moves,
                           DeviceSettings& settings);

}  // namespace tq260
