#include "cli/config_json.h"

#include <algorithm>

#include "device/lighting_effect_table.h"
#include "keys/key_layout.h"
#include "keys/key_light_bit.h"

namespace tq260 {

namespace {

// The names are ASCII; the few that are not stay readable as UTF-8.
std::string toUtf8(const std::u16string& text) {
    std::string out;
    for (const char16_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

nlohmann::ordered_json effectOf(std::uint8_t code) {
    const auto* effect = std::find_if(kLightingEffects.begin(), kLightingEffects.end(),
                                      [&](const LightingEffect& e) { return e.code == code; });
    if (effect == kLightingEffects.end()) return code;
    return effect->english;
}

// The keys of the picture whose light the pattern turns on. The media keys have no light of
// their own (they share F5's bit), so they are never listed.
nlohmann::ordered_json litKeys(const CustomLightMask& mask, const KeyNameTable& names) {
    nlohmann::ordered_json keys = nlohmann::ordered_json::array();
    for (std::size_t key = 0; key < kKeyCount; ++key) {
        if (key >= 16 && key <= 19) continue;
        if (mask.bit(KeyLightBit[key])) keys.push_back(keyNameOf(names, KeyLayout[key].virtualKey));
    }
    return keys;
}

}  // namespace

std::string keyNameOf(const KeyNameTable& names, std::uint8_t virtualKey) {
    std::string name = toUtf8(names.name(virtualKey));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

nlohmann::ordered_json configurationToJson(const DeviceSettings& settings,
                                           const KeyNameTable& names) {
    nlohmann::ordered_json json;
    json["format"] = kConfigFormat;
    json["lighting"] = {
        {"effect", effectOf(settings.lighting.effect)},
        {"brightness", settings.lighting.brightness},
        {"speed", settings.lighting.speed},
        {"direction", settings.lighting.direction},
    };
    json["gameMode"] = settings.gameMode != 0;
    json["responseTimeMs"] = settings.responseTime * 2;
    if (settings.reportRate < std::size(kReportRatesHz)) {
        json["reportRateHz"] = kReportRatesHz[settings.reportRate];
    } else {
        json["reportRate"] = settings.reportRate;
    }
    nlohmann::ordered_json patterns = nlohmann::ordered_json::array();
    for (const CustomLightMask& mask : settings.customLightMasks) {
        patterns.push_back(litKeys(mask, names));
    }
    json["diyPatterns"] = patterns;
    return json;
}

}  // namespace tq260
