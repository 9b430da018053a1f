#pragma once

#include <cstdint>

namespace tq260 {

// The code the keyboard understands for a Windows virtual-key code: a HID keyboard usage,
// the low byte of a consumer usage for the four media keys, or the mouse code itself for
// 0xF0..0xF9. 0 for a virtual-key code with no entry.
std::uint8_t keyUsage(std::uint8_t virtualKey);

}  // namespace tq260
