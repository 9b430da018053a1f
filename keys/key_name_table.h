#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tq260 {

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
