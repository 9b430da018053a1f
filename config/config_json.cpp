#include "config/config_json.h"

#include <algorithm>

#include "config/text_encoding.h"
#include "device/lighting_effect_table.h"
#include "keys/factory_key_map.h"
#include "keys/key_layout.h"
#include "keys/key_light_bit.h"
#include "keys/named_function_table.h"
#include "macro/macro_event.h"

namespace tq260 {

namespace {

// The name of the key whose keyboard code this is; empty when no key has it.
std::string keyNameOfUsage(const KeyNameTable& names, std::uint8_t usage) {
    for (int vk = 0; vk < 256; ++vk) {
        const auto key = static_cast<std::uint8_t>(vk);
        if (names.usage(key) == usage && !names.name(key).empty()) return keyNameOf(names, key);
    }
    return {};
}

nlohmann::ordered_json rawEntry(const KeyEntry& entry) {
    return {{"entry", {entry.kind, entry.param, entry.code, entry.extra}}};
}

nlohmann::ordered_json launchOf(const KeyAssignment* record) {
    nlohmann::ordered_json launch;
    std::u16string path;
    std::string kind = "exe";
    if (record != nullptr) {
        // Up to the terminator; a path that fills the record without one ends where every
        // path the dialogs write ends.
        const auto last = record->launchPath.end() - 1;
        const auto end = std::find(record->launchPath.begin(), last, u'\0');
        path.assign(record->launchPath.begin(), end);
        const int type = record->type - static_cast<int>(AssignmentType::LaunchMp3);
        if (type >= 0 && type < 4) kind = kLaunchKinds[type];
    }
    launch["launch"] = toUtf8(path);
    launch["kind"] = kind;
    return launch;
}

}  // namespace

nlohmann::ordered_json keyAssignmentToJson(const KeyEntry& entry, std::size_t slot,
                                           const KeyAssignment* record, const KeyNameTable& names) {
    // The keyboard holds a launch key as its printed key (that press is what starts the
    // launch), so a key read back with its factory entry opens what its record says.
    const bool launchRecord = record != nullptr && isLaunchType(record->type);
    if (entry.kind == key_kind::kLaunch ||
        (launchRecord && slot < FactoryKeyMap.size() && entry == FactoryKeyMap[slot])) {
        return launchOf(record);
    }
    if (slot < FactoryKeyMap.size() && entry == FactoryKeyMap[slot]) return "default";
    if (entry == KeyEntry{}) return "disabled";
    if (entry.kind == key_kind::kMacro && entry.param == 1 && entry.code < kMacroBlockCount) {
        return {{"macro", entry.code + 1}};
    }
    if (const auto function = namedFunctionName(entry, Language::English)) {
        return {{"function", toUtf8(*function)}};
    }
    if (entry.kind != key_kind::kKey) return rawEntry(entry);
    std::vector<std::string> keys;
    for (const std::uint8_t usage : {entry.param, entry.code, entry.extra}) {
        if (usage == 0) continue;
        const std::string name = keyNameOfUsage(names, usage);
        if (name.empty()) return rawEntry(entry);
        keys.push_back(name);
    }
    if (keys.size() == 1 && entry.param == 0 && entry.extra == 0) return {{"key", keys[0]}};
    return {{"combination", keys}};
}

nlohmann::ordered_json litKeys(const CustomLightMask& mask, const KeyNameTable& names) {
    nlohmann::ordered_json keys = nlohmann::ordered_json::array();
    for (std::size_t key = 0; key < kKeyCount; ++key) {
        if (isMediaKey(key)) continue;
        if (mask.bit(KeyLightBit[key])) keys.push_back(pictureKeyName(names, key));
    }
    return keys;
}

nlohmann::ordered_json macroBlockToJson(const MacroBlock& block, const KeyNameTable& names) {
    EventString events{};
    std::copy(block.begin() + 2, block.end(), events.begin());
    nlohmann::ordered_json lines = nlohmann::ordered_json::array();
    std::vector<std::uint8_t> made;
    for (std::size_t offset = 0; const auto event = macroEventAt(events, offset);
         offset += macroEventSize(events[offset])) {
        const std::string name = keyNameOfUsage(names, event->key);
        nlohmann::ordered_json line;
        if (name.empty()) {
            line["key"] = event->key;
        } else {
            line["key"] = name;
        }
        line["action"] = event->release ? "up" : "down";
        line["delayMs"] = event->delayMs <= 1 ? 0 : event->delayMs;
        lines.push_back(line);
        const auto encoded = encodeMacroEvent({event->release, event->key, event->delayMs});
        made.insert(made.end(), encoded.begin(), encoded.end());
    }
    // Events stored in a form the window never writes (a long delay field holding a short
    // delay, a delay of 0 or over 60000) are given as their bytes, so they are kept as they are.
    if (!std::equal(made.begin(), made.end(), block.begin() + 2)) {
        return {{"loops", block[0] << 8 | block[1]},
                {"raw", toHex(block.data() + 2, block.size() - 2)}};
    }
    return {{"loops", block[0] << 8 | block[1]}, {"events", lines}};
}

nlohmann::ordered_json macrosToJson(const DeviceSettings& settings, const KeyNameTable& names,
                                    const MacroTable* macros) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (std::size_t slot = 0; slot < kMacroBlockCount; ++slot) {
        std::string name;
        if (macros != nullptr && !(*macros)[slot].isFree()) {
            name = toUtf8((*macros)[slot].nameText());
        }
        const auto content = macroBlockToJson(settings.macroBlocks[slot], names);
        nlohmann::ordered_json macro;
        macro["slot"] = slot + 1;
        macro["name"] = name;
        macro["loops"] = content["loops"];
        for (const char* form : {"events", "raw"}) {
            if (content.contains(form)) macro[form] = content[form];
        }
        list.push_back(macro);
    }
    return list;
}

std::optional<std::uint8_t> virtualKeyNamed(std::string_view name, const KeyNameTable& names) {
    std::optional<std::uint8_t> without;
    for (int code = 0; code < 256; ++code) {
        const auto vk = static_cast<std::uint8_t>(code);
        if (names.name(vk).empty() || keyNameOf(names, vk) != name) continue;
        if (names.usage(vk) != 0) return vk;
        if (!without) without = vk;
    }
    return without;
}

std::string keyNameOf(const KeyNameTable& names, std::uint8_t virtualKey) {
    std::string name = toUtf8(names.name(virtualKey));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    constexpr std::uint8_t kKeypadMultiply = 0x6A, kKeypadDivide = 0x6F;
    if (virtualKey >= kKeypadMultiply && virtualKey <= kKeypadDivide) name = "Num " + name;
    return name;
}

std::string pictureKeyName(const KeyNameTable& names, std::size_t key) {
    constexpr std::size_t kKeyRightOfRightAlt = 100;
    if (key == kKeyRightOfRightAlt) return "Fn";
    return key < kKeyCount ? keyNameOf(names, KeyLayout[key].virtualKey) : std::string();
}

nlohmann::ordered_json effectToJson(std::uint8_t code) {
    const LightingEffect* effect = lightingEffectCoded(code);
    if (effect == nullptr) return code;
    return effect->english;
}

nlohmann::ordered_json configurationToJson(const DeviceSettings& settings,
                                           const KeyNameTable& names,
                                           const AssignmentTable* records,
                                           const MacroTable* macros) {
    nlohmann::ordered_json json;
    json["format"] = kConfigFormat;
    json["lighting"] = {
        {"effect", effectToJson(settings.lighting.effect)},
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
    // The media keys above the keypad cannot be reassigned; every other key is listed.
    nlohmann::ordered_json keys = nlohmann::ordered_json::object();
    for (std::size_t key = 0; key < kKeyCount; ++key) {
        if (isMediaKey(key)) continue;
        const KeyLayoutEntry& layout = KeyLayout[key];
        keys[pictureKeyName(names, key)] =
            keyAssignmentToJson(settings.keyTable[layout.slot], layout.slot,
                                records != nullptr ? &(*records)[key] : nullptr, names);
    }
    json["keys"] = keys;
    json["macros"] = macrosToJson(settings, names, macros);
    nlohmann::ordered_json patterns = nlohmann::ordered_json::array();
    for (const CustomLightMask& mask : settings.customLightMasks) {
        patterns.push_back(litKeys(mask, names));
    }
    json["diyPatterns"] = patterns;
    return json;
}

}  // namespace tq260
