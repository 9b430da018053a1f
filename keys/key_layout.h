#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tq260 {

inline constexpr std::size_t kKeyCount = 108;

// A key of the keyboard picture: its virtual-key code and its slot in the key table.
struct KeyLayoutEntry {
    std::uint8_t virtualKey;
    std::uint8_t slot;
};

// The 108 keys in picture order (key index 0..107).
const std::array<KeyLayoutEntry, kKeyCount>& keyLayout();

}  // namespace tq260
