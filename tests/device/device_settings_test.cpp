#include "device/device_settings.h"

#include <gtest/gtest.h>

namespace tq260 {
namespace {

TEST(SettingsShadow, ChangedComparesOnlyTheNamedRegion) {
    DeviceSettings settings;
    SettingsShadow shadow;
    shadow.synchronise(settings);
    settings.lighting.effect = 6;  // not a compared region
    settings.macroBlocks[3][127] = 1;
    settings.customLightMasks[2].bits[17] = 0x80;
    EXPECT_FALSE(shadow.changed(settings, Region::KeyTable));
    for (std::size_t i = 0; i < kMacroBlockCount; ++i) {
        EXPECT_EQ(shadow.changed(settings, Region::MacroBlock, i), i == 3) << i;
    }
    for (std::size_t i = 0; i < kCustomLightMaskCount; ++i) {
        EXPECT_EQ(shadow.changed(settings, Region::CustomLightMask, i), i == 2) << i;
    }
    EXPECT_FALSE(shadow.changed(settings, Region::MacroBlock, kMacroBlockCount));

    settings.keyTable[127].extra = 1;
    EXPECT_TRUE(shadow.changed(settings, Region::KeyTable));
}

TEST(SettingsShadow, RestoreUndoesEveryEdit) {
    DeviceSettings settings;
    settings.reportRate = 2;
    SettingsShadow shadow;
    shadow.synchronise(settings);
    settings.reportRate = 0;
    settings.gameMode = 1;
    settings.reserved0[3] = 9;
    shadow.restore(settings);
    EXPECT_EQ(settings, shadow.record());
    EXPECT_EQ(settings.reportRate, 2);
}

TEST(CustomLightMask, BitBLivesInByteBOver8AtBitBMod8) {
    CustomLightMask mask;
    mask.setBit(0, true);
    mask.setBit(143, true);
    mask.setBit(77, true);
    EXPECT_EQ(mask.bits[0], 0x01);
    EXPECT_EQ(mask.bits[17], 0x80);
    EXPECT_EQ(mask.bits[9], 0x20);
    mask.setBit(77, false);
    EXPECT_EQ(mask.bits[9], 0x00);
    EXPECT_TRUE(mask.bit(143));
}

}  // namespace
}  // namespace tq260
