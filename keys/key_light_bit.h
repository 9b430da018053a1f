#pragma once

#include <array>
#include <cstdint>

#include "keys/key_layout.h"

namespace tq260 {

// The bit (0..143) that stands for key index 0..107 in a custom light mask. The four media
// keys have no light of their own and share bit 0 with F5.
inline constexpr std::array<std::uint8_t, kKeyCount> KeyLightBit = {
    6,   4,   3,   2,   1,   0,   14,  13,  12,  11,  10,  9,    // 0-11
    8,   22,  21,  20,  0,   0,   0,   0,   30,  29,  28,  27,   // 12-23
    26,  25,  24,  38,  37,  36,  35,  34,  33,  32,  46,  45,   // 24-35
    44,  43,  42,  41,  40,  54,  53,  52,  51,  50,  49,  48,   // 36-47
    62,  61,  60,  59,  58,  57,  56,  70,  69,  68,  67,  66,   // 48-59
    65,  88,  78,  77,  76,  75,  74,  73,  72,  86,  85,  84,   // 60-71
    83,  82,  80,  91,  90,  89,  102, 101, 100, 99,  98,  97,   // 72-83
    96,  110, 109, 108, 107, 105, 117, 115, 114, 113, 136, 126,  // 84-95
    125, 124, 121, 132, 131, 130, 128, 142, 141, 140, 139, 137,  // 96-107
};

}  // namespace tq260
