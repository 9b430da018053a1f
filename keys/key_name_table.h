#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tq260 {

// Mouse actions have key-table entries of their own; the index is the code.
enum class MouseCode : std::uint8_t {
    LeftButton = 0xF0,
    RightButton = 0xF1,
    MiddleButton = 0xF2,
    PointerRight = 0xF5,
    PointerUp = 0xF6,
    PointerDown = 0xF7,
    WheelUp = 0xF8,
    WheelDown = 0xF9,
};

// One virtual-key code: the code the keyboard understands for it and its display name.
struct KeyNameEntry {
    std::uint8_t vk = 0;
    std::uint8_t usage = 0;
    std::u16string name;
};

// Every virtual-key code 0..255 with its keyboard code and name. Names end in one space so
// that names joined with "+ " read "A + B "; "0", "Play/Pause" and the mouse names do not.
// Codes without an entry have usage 0 and an empty name.
class KeyNameTable {
  public:
    // Longest name including its terminator, as the name fields of the files hold it.
    static constexpr std::size_t kNameCapacity = 100;

    KeyNameTable();

    std::uint8_t usage(std::uint8_t vk) const { return entries_[vk].usage; }
    const std::u16string& name(std::uint8_t vk) const { return entries_[vk].name; }
    const KeyNameEntry& entry(std::uint8_t vk) const { return entries_[vk]; }

  private:
    std::array<KeyNameEntry, 256> entries_;
};

}  // namespace tq260
