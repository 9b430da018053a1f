#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>

#include "device/device_settings.h"
#include "keys/key_assignment.h"
#include "keys/key_name_table.h"
#include "macro/macro_record.h"

namespace tq260 {

// The readable configuration's version: a reader refuses a format it does not know.
inline constexpr int kConfigFormat = 1;

// The launch kinds in the order of the launch assignment types (mp3, exe, txt, folder).
inline constexpr const char* kLaunchKinds[] = {"mp3", "exe", "txt", "folder"};

inline bool isLaunchType(std::uint8_t type) {
    return type >= static_cast<std::uint8_t>(AssignmentType::LaunchMp3) &&
           type <= static_cast<std::uint8_t>(AssignmentType::OpenFolder);
}

// The USB report rates the report-rate positions 0..3 stand for.
inline constexpr int kReportRatesHz[] = {125, 250, 500, 1000};

// An effect by its name in the effect list, or by its number when it has none.
nlohmann::ordered_json effectToJson(std::uint8_t code);

// The keyboard's configuration as readable JSON: lighting (the effect by name), game mode,
// response time in ms, report rate in Hz, every key's assignment by key name, and the three
// DIY light patterns as the names of their lit keys. A value outside what the window offers
// is written as it is (an effect or report rate by its number, a key entry by its four
// bytes), so nothing is lost. The assignment records give what only the computer keeps (the
// path a launch key opens); without them launch paths are empty.
nlohmann::ordered_json configurationToJson(const DeviceSettings& settings,
                                           const KeyNameTable& names,
                                           const AssignmentTable* records = nullptr,
                                           const MacroTable* macros = nullptr);

// The keyboard's six macros as it plays them: slot 1..6, the name the computer keeps for it
// ("" without one), the loop count, and the events (key by name, or by its keyboard code
// where no key has it; "down" or "up"; the wait before it in ms, 0 for none).
nlohmann::ordered_json macrosToJson(const DeviceSettings& settings, const KeyNameTable& names,
                                    const MacroTable* macros);

// One key's assignment: "default", "disabled", {"key": name}, {"combination": [names]},
// {"function": name}, {"macro": 1..6}, {"launch": path, "kind": "mp3"|"exe"|"txt"|"folder"},
// or {"entry": [four bytes]} for anything else.
nlohmann::ordered_json keyAssignmentToJson(const KeyEntry& entry, std::size_t slot,
                                           const KeyAssignment* record, const KeyNameTable& names);

// A key's name as the readable format writes it: its display name without the trailing
// space; the keypad's * + Enter - . / get "Num " before it, as their names are those of
// the main keys.
std::string keyNameOf(const KeyNameTable& names, std::uint8_t virtualKey);

// The virtual-key code a key name of the readable format stands for: of the codes with that
// name, the first the keyboard has a code for.
std::optional<std::uint8_t> virtualKeyNamed(std::string_view name, const KeyNameTable& names);

// One macro block as the readable format shows it, without its name: loops and events.
nlohmann::ordered_json macroBlockToJson(const MacroBlock& block, const KeyNameTable& names);

// The picture keys a light pattern lights, by name; the media keys share F5's light and are
// never listed.
nlohmann::ordered_json litKeys(const CustomLightMask& mask, const KeyNameTable& names);

// The name of a key of the keyboard picture (0..107). The key right of the right Alt shares
// the Apps key's code; it is "Fn", as its legend says.
std::string pictureKeyName(const KeyNameTable& names, std::size_t key);

}  // namespace tq260
