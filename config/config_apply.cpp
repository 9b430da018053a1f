#include "config/config_apply.h"

#include <algorithm>

#include "config/config_json.h"
#include "keys/apply_assignment.h"
#include "keys/factory_key_map.h"
#include "keys/key_layout.h"
#include "keys/key_light_bit.h"

namespace tq260 {

namespace {

AssignmentRequest requestFor(const KeyTarget& target) {
    AssignmentRequest request;
    switch (target.kind) {
        case KeyTarget::Kind::Default:
        case KeyTarget::Kind::Entry:
            request.count = AssignmentRequest::kRestoreDefault;
            break;
        case KeyTarget::Kind::Disabled:
            request.type = AssignmentType::Disable;
            break;
        case KeyTarget::Kind::Key:
        case KeyTarget::Kind::Combination:
            request.type = target.kind == KeyTarget::Kind::Key ? AssignmentType::SingleKey
                                                               : AssignmentType::Combination;
            request.count = static_cast<std::uint32_t>(target.virtualKeys.size());
            std::copy(target.virtualKeys.begin(), target.virtualKeys.end(),
                      request.keyList.begin());
            break;
        case KeyTarget::Kind::Function:
            request.type = AssignmentType::NamedFunction;
            std::copy_n(target.function.begin(),
                        std::min(target.function.size(), request.functionName.size() - 1),
                        request.functionName.begin());
            break;
        case KeyTarget::Kind::Macro:
            request.type = AssignmentType::Macro;
            request.macroIndex = target.macroSlot;
            break;
        case KeyTarget::Kind::Launch:
            request.type = target.launchType;
            std::copy_n(target.launchPath.begin(),
                        std::min(target.launchPath.size(), request.launchPath.size() - 1),
                        request.launchPath.begin());
            break;
    }
    return request;
}

// Assigns keys on a copy of one key's entry and record, so that what the assignment would
// show can be compared with what the key shows now.
class KeyAssigner {
  public:
    KeyAssigner(DeviceSettings& settings, Assignments& assignments, const KeyNameTable& names)
        : settings_(settings), assignments_(assignments), names_(names) {}

    std::optional<ConfigChange> assign(std::size_t key, const KeyTarget& target) {
        const std::uint8_t slot = KeyLayout[key].slot;
        KeyAssignment& record = (*assignments_.table)[key];
        scratchSettings_ = settings_;
        (*scratch_.table)[key] = record;
        scratch_.selectedKey = key;
        // No macro table: assigning a macro key rebuilds no macro block here; the blocks are
        // the file's own members.
        AssignmentWorkspace workspace{scratchSettings_, scratch_,          names_,
                                      *noMacros_,       Language::English, {}};
        ApplyAssignment(requestFor(target), workspace);
        KeyEntry& entry = scratchSettings_.keyTable[slot];
        // "default" is the keyboard's factory entry, which for a few keys is not their
        // virtual-key code's.
        if (target.kind == KeyTarget::Kind::Default) entry = FactoryKeyMap[slot];
        if (target.kind == KeyTarget::Kind::Entry) {
            entry = target.entry;
            (*scratch_.table)[key] = record;
        }
        const auto before = keyAssignmentToJson(settings_.keyTable[slot], slot, &record, names_);
        const auto after = keyAssignmentToJson(entry, slot, &(*scratch_.table)[key], names_);
        if (before == after || nlohmann::json::parse(before.dump()) == target.asGiven) {
            return std::nullopt;
        }
        settings_.keyTable[slot] = entry;
        record = (*scratch_.table)[key];
        assignments_.marks[key] = scratch_.marks[key];
        return ConfigChange{"/keys/" + pictureKeyName(names_, key), before.dump(), after.dump()};
    }

  private:
    DeviceSettings& settings_;
    Assignments& assignments_;
    const KeyNameTable& names_;
    DeviceSettings scratchSettings_{};
    Assignments scratch_;
    std::unique_ptr<MacroTable> noMacros_ = std::make_unique<MacroTable>();
};

// Each value as the file writes it.
std::string asNumber(std::uint8_t value) {
    return std::to_string(value);
}

void change(std::vector<ConfigChange>& changes, const char* path, std::uint8_t& field,
            const std::optional<std::uint8_t>& wanted, std::string (*shown)(std::uint8_t)) {
    if (!wanted || *wanted == field) return;
    changes.push_back({path, shown(field), shown(*wanted)});
    field = *wanted;
}

std::string effectName(std::uint8_t code) {
    return effectToJson(code).dump();
}

std::string macroSummary(const nlohmann::ordered_json& macro) {
    const std::string loops = std::to_string(macro["loops"].get<int>()) + " loops";
    if (!macro.contains("events")) return "raw bytes, " + loops;
    return std::to_string(macro["events"].size()) + " events, " + loops;
}

// "A, S": the names in one list but not the other.
std::string namesNotIn(const nlohmann::ordered_json& list, const nlohmann::ordered_json& other) {
    std::string out;
    for (const auto& name : list) {
        if (std::find(other.begin(), other.end(), name) != other.end()) continue;
        out += (out.empty() ? "" : ", ") + name.get<std::string>();
    }
    return out;
}

}  // namespace

std::vector<ConfigChange> applyConfiguration(const ConfigRequest& request, DeviceSettings& settings,
                                             Assignments& assignments, const KeyNameTable& names) {
    std::vector<ConfigChange> changes;
    LightingSettings& lighting = settings.lighting;
    change(changes, "/lighting/effect", lighting.effect, request.effect, effectName);
    change(changes, "/lighting/brightness", lighting.brightness, request.brightness, asNumber);
    change(changes, "/lighting/speed", lighting.speed, request.speed, asNumber);
    change(changes, "/lighting/direction", lighting.direction, request.direction, asNumber);
    if (request.gameMode && *request.gameMode != (settings.gameMode != 0)) {
        changes.push_back({"/gameMode", settings.gameMode != 0 ? "true" : "false",
                           *request.gameMode ? "true" : "false"});
        settings.gameMode = *request.gameMode ? 1 : 0;
    }
    change(changes, "/responseTimeMs", settings.responseTime, request.responseTime,
           [](std::uint8_t v) { return std::to_string(v * 2); });
    change(changes, "/reportRateHz", settings.reportRate, request.reportRate, [](std::uint8_t v) {
        return v < std::size(kReportRatesHz) ? std::to_string(kReportRatesHz[v])
                                             : "position " + std::to_string(v);
    });

    KeyAssigner assigner(settings, assignments, names);
    for (const auto& [key, target] : request.keys) {
        if (auto changed = assigner.assign(key, target)) changes.push_back(std::move(*changed));
    }

    for (std::size_t slot = 0; slot < kMacroBlockCount; ++slot) {
        if (!request.macros[slot]) continue;
        const auto before = macroBlockToJson(settings.macroBlocks[slot], names);
        const auto after = macroBlockToJson(*request.macros[slot], names);
        if (before == after) continue;
        std::string from = macroSummary(before);
        std::string to = macroSummary(after);
        if (from == to) to += " (events changed)";
        changes.push_back({"/macros (slot " + std::to_string(slot + 1) + ")", from, to});
        settings.macroBlocks[slot] = *request.macros[slot];
    }

    for (std::size_t p = 0; p < kCustomLightMaskCount; ++p) {
        if (!request.diyPatterns[p]) continue;
        CustomLightMask mask = settings.customLightMasks[p];
        for (std::size_t key = 0; key < kKeyCount; ++key) {
            if (!isMediaKey(key)) mask.setBit(KeyLightBit[key], false);
        }
        for (const std::size_t key : *request.diyPatterns[p]) mask.setBit(KeyLightBit[key], true);
        const auto before = litKeys(settings.customLightMasks[p], names);
        const auto after = litKeys(mask, names);
        if (before == after) continue;
        std::string lit = std::to_string(after.size()) + " lit keys (";
        const std::string added = namesNotIn(after, before);
        const std::string removed = namesNotIn(before, after);
        if (!added.empty()) lit += "on: " + added + (removed.empty() ? "" : "; ");
        if (!removed.empty()) lit += "off: " + removed;
        changes.push_back({"/diyPatterns/" + std::to_string(p),
                           std::to_string(before.size()) + " lit keys", lit + ")"});
        settings.customLightMasks[p] = mask;
    }
    return changes;
}

std::string describeChange(const ConfigChange& change) {
    return change.path + ": " + change.from + " -> " + change.to;
}

std::string describeChanges(const std::vector<ConfigChange>& changes) {
    std::string text;
    for (const ConfigChange& c : changes) text += describeChange(c) + "\n";
    return text;
}

}  // namespace tq260
