#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "device/lighting_effect_table.h"
#include "keys/language.h"

namespace tq260 {

// The name of an effect code in the language; nothing for a code without a row.
std::optional<QString> lightingEffectName(std::uint8_t code, Language language);
QString lightingEffectName(std::size_t row, Language language);

// "2ms" ... "20ms": the response time list's rows.
QString responseTimeRowText(int row);
// "%d ms" of the response time doubled: what the response time bar shows.
QString responseTimeBarText(int responseTime);

}  // namespace tq260
