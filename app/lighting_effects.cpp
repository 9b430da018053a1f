#include "app/lighting_effects.h"

namespace tq260 {

QString lightingEffectName(std::size_t row, Language language) {
    const LightingEffect& effect = kLightingEffects.at(row);
    return QString::fromUtf8(language == Language::Chinese ? effect.chinese : effect.english);
}

std::optional<QString> lightingEffectName(std::uint8_t code, Language language) {
    for (std::size_t row = 0; row < kLightingEffects.size(); ++row) {
        if (kLightingEffects[row].code == code) return lightingEffectName(row, language);
    }
    return std::nullopt;
}

QString responseTimeRowText(int row) {
    return QStringLiteral("%1ms").arg((row + 1) * 2);
}

QString responseTimeBarText(int responseTime) {
    return QStringLiteral("%1 ms").arg(responseTime * 2);
}

}  // namespace tq260
