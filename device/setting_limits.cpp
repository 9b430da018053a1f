#include "device/setting_limits.h"

#include "device/lighting_effect_table.h"

namespace tq260 {

SettingRange settingRange(Setting setting) {
    switch (setting) {
        case Setting::ReportRate:
            return {0, 3};
        case Setting::ResponseTimeMs:
            return {2, 20};
        case Setting::Effect:
            return {0, 255};
        case Setting::Brightness:
            return {0, 50};
        case Setting::Speed:
            return {0, 9};
        case Setting::Direction:
            // 0 is what the keyboard holds until a direction is chosen.
            return {0, 4};
        case Setting::GameMode:
            break;
    }
    return {0, 1};
}

std::string effectNamesText() {
    std::string list;
    for (const LightingEffect& effect : kLightingEffects) {
        list += std::string(list.empty() ? "" : ", ") + "\"" + effect.english + "\"";
    }
    return list;
}

std::optional<std::string> settingRefusal(Setting setting, long long value) {
    if (setting == Setting::Effect) {
        if (lightingEffectCoded(value) != nullptr) return std::nullopt;
        return std::to_string(value) + " is not an effect; the effects are " + effectNamesText();
    }
    const SettingRange range = settingRange(setting);
    if (value < range.low || value > range.high) {
        return std::to_string(value) + " is outside " + std::to_string(range.low) + ".." +
               std::to_string(range.high);
    }
    if (setting == Setting::ResponseTimeMs && value % 2 != 0) {
        return std::to_string(value) + " is odd; the keyboard takes steps of 2 ms";
    }
    return std::nullopt;
}

std::vector<SettingValue> refusedSettings(const DeviceSettings& settings) {
    const LightingSettings& lighting = settings.lighting;
    const SettingValue values[] = {
        {Setting::ReportRate, settings.reportRate},
        {Setting::ResponseTimeMs, settings.responseTime * 2LL},
        {Setting::Effect, lighting.effect},
        {Setting::Brightness, lighting.brightness},
        {Setting::Speed, lighting.speed},
        {Setting::Direction, lighting.direction},
        {Setting::GameMode, settings.gameMode},
    };
    std::vector<SettingValue> refused;
    for (const SettingValue& each : values) {
        if (settingRefusal(each.setting, each.value)) refused.push_back(each);
    }
    return refused;
}

}  // namespace tq260
