#pragma once

#include <cstddef>
#include <cstdint>

namespace tq260 {

// The bit (0..143) that stands for key index 0..107 in a custom light mask. The four media
// keys have no light of their own and share bit 0.
std::uint8_t keyLightBit(std::size_t key);

}  // namespace tq260
