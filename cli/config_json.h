#pragma once

#include <nlohmann/json.hpp>

#include "device/device_settings.h"
#include "keys/key_name_table.h"

namespace tq260 {

// The readable configuration's version: a reader refuses a format it does not know.
inline constexpr int kConfigFormat = 1;

// The USB report rates the report-rate positions 0..3 stand for.
inline constexpr int kReportRatesHz[] = {125, 250, 500, 1000};

// The keyboard's configuration as readable JSON: lighting (the effect by name), game mode,
// response time in ms, report rate in Hz and the three DIY light patterns as the names of
// their lit keys. A value outside what the window offers is written as it is (an effect or
// report rate by its number), so nothing is lost.
nlohmann::ordered_json configurationToJson(const DeviceSettings& settings,
                                           const KeyNameTable& names);

// A key's name as the readable format writes it: its display name without the trailing
// space.
std::string keyNameOf(const KeyNameTable& names, std::uint8_t virtualKey);

}  // namespace tq260
