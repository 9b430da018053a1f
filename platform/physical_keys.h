#pragma once

#include <cstdint>
#include <span>

namespace tq260 {

// A key of the keyboard as Linux numbers it (the evdev code of its position) and the
// virtual-key code the program knows it by.
struct EvdevKey {
    std::uint16_t code;
    std::uint8_t virtualKey;
};

// Every key of the 104-key keyboard and its four media keys, by position: left and right
// modifiers stay apart, the keypad keeps its own codes whatever Num Lock says.
std::span<const EvdevKey> evdevKeyTable();

// The virtual-key code of the key at an evdev code; 0 for a key the program does not know.
std::uint8_t virtualKeyFromEvdev(std::uint32_t code);

// The same from the scan code the window system reports on Linux, X11 and Wayland alike:
// the evdev code + 8.
std::uint8_t virtualKeyFromLinuxScanCode(std::uint32_t scanCode);

// The virtual-key code of a key as Windows reports it (its virtual-key code and its scan
// code with the extended-key bit 0x100): the generic Shift, Ctrl and Alt become their left
// or right codes, the keypad's Enter becomes 0x6C, and keypad keys sent while Num Lock is
// off stay keypad keys. 0 for nothing.
std::uint8_t virtualKeyFromWindows(std::uint32_t virtualKey, std::uint32_t scanCode);

}  // namespace tq260
