#include "keys/factory_key_map.h"

#include "keys/key_layout.h"
#include "keys/key_usage.h"

namespace tq260 {

namespace {

constexpr std::size_t kBackslashKey = 54;
constexpr std::size_t kKeyRightOfRightAlt = 100;
constexpr std::size_t kFirstMediaKey = 16;
constexpr std::size_t kLastMediaKey = 19;

std::array<KeyEntry, kKeySlotCount> buildFactoryKeyMap() {
    std::array<KeyEntry, kKeySlotCount> slots{};
    const auto& layout = keyLayout();
    for (std::size_t key = 0; key < layout.size(); ++key) {
        const bool noUsage =
            (key >= kFirstMediaKey && key <= kLastMediaKey) || key == kKeyRightOfRightAlt;
        if (noUsage) continue;
        slots[layout[key].slot] = {0, 0, keyUsage(layout[key].virtualKey), 0};
    }
    // The keyboard's own code for \ differs from the one its virtual-key code maps to.
    slots[layout[kBackslashKey].slot].code = 0x31;
    slots[97] = {0, 0, 0x28, 0};
    slots[126] = {0, 0xE0, 0, 0};
    slots[127] = {0, 0xE1, 0, 0};
    return slots;
}

}  // namespace

const std::array<KeyEntry, kKeySlotCount>& factoryKeyMap() {
    static const std::array<KeyEntry, kKeySlotCount> map = buildFactoryKeyMap();
    return map;
}

}  // namespace tq260
