#include "device/device_settings.h"

namespace tq260 {

void CustomLightMask::setBit(int b, bool on) {
    auto& byte = bits[static_cast<std::size_t>(b / 8)];
    const auto mask = static_cast<std::uint8_t>(1U << (b % 8));
    byte = static_cast<std::uint8_t>(on ? (byte | mask) : (byte & ~mask));
}

const CustomLightMask* customLightMaskFor(const DeviceSettings& settings, std::uint8_t effect) {
    if (effect < kFirstCustomEffect || effect >= kFirstCustomEffect + kCustomLightMaskCount) {
        return nullptr;
    }
    return &settings.customLightMasks[effect - kFirstCustomEffect];
}

void copyDeviceFields(const DeviceSettings& from, DeviceSettings& to) {
    to.reportRate = from.reportRate;
    to.responseTime = from.responseTime;
    to.keyTable = from.keyTable;
    to.macroBlocks = from.macroBlocks;
    to.lighting = from.lighting;
    to.gameMode = from.gameMode;
    to.customLightMasks = from.customLightMasks;
}

bool SettingsShadow::changed(const DeviceSettings& settings, Region region,
                             std::size_t index) const {
    switch (region) {
        case Region::KeyTable:
            return settings.keyTable != record_.keyTable;
        case Region::MacroBlock:
            return index < kMacroBlockCount &&
                   settings.macroBlocks[index] != record_.macroBlocks[index];
        case Region::CustomLightMask:
            return index < kCustomLightMaskCount &&
                   settings.customLightMasks[index] != record_.customLightMasks[index];
    }
    return false;
}

}  // namespace tq260
