#include <gmock/gmock.h>

#include <set>

#include "keys/factory_key_map.h"
#include "keys/key_layout.h"
#include "keys/key_light_bit.h"
#include "keys/key_usage.h"

namespace tq260 {
namespace {

TEST(KeyUsage, RulesAndListedExceptions) {
    EXPECT_EQ(keyUsage('A'), 0x04);
    EXPECT_EQ(keyUsage('Z'), 0x1D);
    EXPECT_EQ(keyUsage('1'), 0x1E);
    EXPECT_EQ(keyUsage('0'), 0x27);
    EXPECT_EQ(keyUsage(0x70), 0x3A);  // F1
    EXPECT_EQ(keyUsage(0x7B), 0x45);  // F12
    EXPECT_EQ(keyUsage(0x60), 0x62);  // keypad 0
    EXPECT_EQ(keyUsage(0x61), 0x59);  // keypad 1
    EXPECT_EQ(keyUsage(0x0D), 0x28);  // Enter
    EXPECT_EQ(keyUsage(0x6C), 0x58);  // keypad Enter
    EXPECT_EQ(keyUsage(0xDC), 0x32);
    EXPECT_EQ(keyUsage(0xB5), 0x83);  // Media: the low byte of its consumer usage
    EXPECT_EQ(keyUsage(0xF5), 0xF5);  // mouse codes are their own index
    EXPECT_EQ(keyUsage(0x10), 0x00);  // no entry
    EXPECT_EQ(keyUsage(0xFF), 0x00);
}

TEST(KeyLayout, EveryKeyHasItsOwnSlotAndTheRestAreTheKnownSpares) {
    std::set<int> slots;
    for (const KeyLayoutEntry& key : KeyLayout) {
        EXPECT_LT(key.slot, 126);
        EXPECT_TRUE(slots.insert(key.slot).second) << "slot " << int(key.slot) << " used twice";
    }
    const std::set<int> spares = {1,   62,  75,  77,  78,  79,  95,  97,  98,  100,
                                  104, 108, 109, 111, 112, 113, 117, 123, 126, 127};
    for (int slot = 0; slot < 128; ++slot) {
        EXPECT_NE(slots.count(slot) == 1, spares.count(slot) == 1) << "slot " << slot;
    }
    EXPECT_EQ(KeyLayout[63].virtualKey, 'A');
    EXPECT_EQ(KeyLayout[63].slot, 64);
    EXPECT_EQ(KeyLayout[100].virtualKey, 0x5D);
    EXPECT_EQ(KeyLayout[101].virtualKey, 0x5D);
}

TEST(FactoryKeyMap, KeysCarryTheirUsageWithTheListedExceptions) {
    const auto& factory = FactoryKeyMap;
    const auto& layout = KeyLayout;
    EXPECT_EQ(factory[layout[0].slot], (KeyEntry{0, 0, 0x29, 0}));    // Esc
    EXPECT_EQ(factory[layout[54].slot], (KeyEntry{0, 0, 0x31, 0}));   // \ is not 0x32
    EXPECT_EQ(factory[layout[94].slot], (KeyEntry{0, 0, 0x58, 0}));   // keypad Enter
    EXPECT_EQ(factory[layout[101].slot], (KeyEntry{0, 0, 0x65, 0}));  // Apps
    EXPECT_EQ(factory[layout[100].slot], KeyEntry{});                 // no usage of its own
    for (std::size_t key = 16; key <= 19; ++key) EXPECT_EQ(factory[layout[key].slot], KeyEntry{});
    EXPECT_EQ(factory[97], (KeyEntry{0, 0, 0x28, 0}));
    EXPECT_EQ(factory[126], (KeyEntry{0, 0xE0, 0, 0}));
    EXPECT_EQ(factory[127], (KeyEntry{0, 0xE1, 0, 0}));
    for (int spare : {1, 62, 75, 77, 78, 79, 95, 98, 100, 104, 108, 109, 111, 112, 113, 117, 123}) {
        EXPECT_EQ(factory[spare], KeyEntry{}) << "slot " << spare;
    }
}

TEST(KeyLightBit, EveryKeyHasItsOwnBitButTheMediaKeys) {
    std::set<int> bits;
    for (std::size_t key = 0; key < kKeyCount; ++key) {
        const int bit = KeyLightBit[key];
        EXPECT_LT(bit, 144);
        const bool mediaKey = key >= 16 && key <= 19;
        if (mediaKey) {
            EXPECT_EQ(bit, 0) << key;
        } else {
            EXPECT_TRUE(bits.insert(bit).second) << "key " << key;
        }
    }
    EXPECT_EQ(KeyLightBit[0], 6);
    EXPECT_EQ(KeyLightBit[5], 0);  // F5 shares bit 0 with the media keys
    EXPECT_EQ(KeyLightBit[61], 88);
    EXPECT_EQ(KeyLightBit[107], 137);
}

}  // namespace
}  // namespace tq260
