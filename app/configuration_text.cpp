#include "app/configuration_text.h"

#include <algorithm>

#include "keys/factory_key_map.h"

namespace tq260 {

namespace {

QString effectName(std::uint8_t effect) {
    switch (effect) {
        case 0:
            return QStringLiteral("Static");
        case 1:
            return QStringLiteral("Breathing");
        case 3:
            return QStringLiteral("Reactive");
        case 4:
            return QStringLiteral("Ripple");
        case 5:
            return QStringLiteral("Raindrop");
        case 6:
            return QStringLiteral("Wave");
        case 7:
            return QStringLiteral("Running water run mode");
        case 51:
            return QStringLiteral("DIY1");
        case 52:
            return QStringLiteral("DIY2");
        case 53:
            return QStringLiteral("DIY3");
        default:
            return QString();
    }
}

int countSetBits(const CustomLightMask& mask) {
    int count = 0;
    for (std::uint8_t byte : mask.bits) count += __builtin_popcount(byte);
    return count;
}

}  // namespace

QString configurationText(const DeviceSettings& settings, const DeviceIdentity& identity) {
    const LightingSettings& l = settings.lighting;
    QString text;
    text += QStringLiteral("Firmware version     %1.%2\n")
                .arg(identity.firmware.major)
                .arg(identity.firmware.minor);
    text += QStringLiteral("Lighting effect      %1 %2\n").arg(l.effect).arg(effectName(l.effect));
    text += QStringLiteral("Brightness           %1\n").arg(l.brightness);
    text += QStringLiteral("Speed                %1\n").arg(l.speed);
    text += QStringLiteral("Direction            %1\n").arg(l.direction);
    text += QStringLiteral("Game mode            %1\n")
                .arg(settings.gameMode ? QStringLiteral("on") : QStringLiteral("off"));
    text += QStringLiteral("Key response time    %1 ms\n").arg(settings.responseTime * 2);
    text += QStringLiteral("Report rate position %1\n").arg(settings.reportRate);

    const auto& factory = FactoryKeyMap;
    int remapped = 0;
    for (std::size_t slot = 0; slot < settings.keyTable.size(); ++slot) {
        const KeyEntry& entry = settings.keyTable[slot];
        if (entry.kind != factory[slot].kind || entry.code != factory[slot].code) ++remapped;
    }
    text += QStringLiteral("Remapped key slots   %1\n").arg(remapped);

    const auto isEmpty = [](const Block& block) {
        return std::all_of(block.begin(), block.end(), [](std::uint8_t b) { return b == 0; });
    };
    const auto used = std::count_if(settings.macroBlocks.begin(), settings.macroBlocks.end(),
                                    [&](const Block& block) { return !isEmpty(block); });
    text += QStringLiteral("Macro blocks in use  %1 of 6\n").arg(used);
    for (std::size_t i = 0; i < settings.customLightMasks.size(); ++i) {
        text += QStringLiteral("DIY%1 lit keys        %2\n")
                    .arg(i + 1)
                    .arg(countSetBits(settings.customLightMasks[i]));
    }
    return text;
}

}  // namespace tq260
