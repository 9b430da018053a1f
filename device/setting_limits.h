#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/device_settings.h"

namespace tq260 {

// The small settings and the values the keyboard takes for them, as the window offers them.
// Whatever gives the keyboard settings (apply, set, the bus, a profile) holds them to these
// checks, so a value refused in one way is refused in every way.
enum class Setting { ReportRate, ResponseTimeMs, Effect, Brightness, Speed, Direction, GameMode };

// The lowest and highest value, as format 1 writes it: the response time in milliseconds,
// the report rate by its place among the four rates, game mode 0 or 1.
struct SettingRange {
    long long low;
    long long high;
};
SettingRange settingRange(Setting setting);

// Why the keyboard does not take the value ("156 is outside 0..3", "7 is odd; ..."); nothing
// when it does.
std::optional<std::string> settingRefusal(Setting setting, long long value);

// "\"Static\", \"Breathing\", ...": the effects' names, for what a refusal of one says.
std::string effectNamesText();

// One value of a record, as format 1 writes it.
struct SettingValue {
    Setting setting;
    long long value;
    friend bool operator==(const SettingValue&, const SettingValue&) = default;
};
// The record's values that the keyboard does not take, in the order above.
std::vector<SettingValue> refusedSettings(const DeviceSettings& settings);

}  // namespace tq260
