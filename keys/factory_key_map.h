#pragma once

#include <array>

#include "device/key_entry.h"
#include "keys/key_layout.h"
#include "keys/key_usage.h"

namespace tq260 {

namespace factory_key_map_detail {

constexpr std::size_t kBackslashKey = 54;
constexpr std::size_t kKeyRightOfRightAlt = 100;
constexpr std::size_t kFirstMediaKey = 16;
constexpr std::size_t kLastMediaKey = 19;

constexpr std::array<KeyEntry, kKeySlotCount> build() {
    std::array<KeyEntry, kKeySlotCount> table{};
    for (std::size_t key = 0; key < KeyLayout.size(); ++key) {
        const bool noUsage =
            (key >= kFirstMediaKey && key <= kLastMediaKey) || key == kKeyRightOfRightAlt;
        if (noUsage) continue;
        table[KeyLayout[key].slot] = {0, 0, keyUsage(KeyLayout[key].virtualKey), 0};
    }
    // The keyboard's own code for \ differs from the one its virtual-key code maps to.
    table[KeyLayout[kBackslashKey].slot].code = 0x31;
    table[97] = {0, 0, 0x28, 0};
    table[126] = {0, 0xE0, 0, 0};
    table[127] = {0, 0xE1, 0, 0};
    return table;
}

}  // namespace factory_key_map_detail

// The keyboard's factory content of its 128 key table.
inline constexpr std::array<KeyEntry, kKeySlotCount> FactoryKeyMap =
    factory_key_map_detail::build();

}  // namespace tq260
