#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "keys/language.h"

namespace tq260 {

// The ten effects the effect list offers, in its order.
struct LightingEffect {
    std::uint8_t code;
    const char* english;
    const char* chinese;
};

inline constexpr std::array<LightingEffect, 10> kLightingEffects = {{
    {0, "Static", "全亮"},
    {1, "Breathing", "呼吸"},
    {3, "Reactive", "反应模式"},
    {4, "Ripple", "涟漪"},
    {5, "Raindrop", "雨滴"},
    {6, "Wave", "波浪"},
    {7, "Running water run mode", "流水跑马"},
    {51, "DIY1", "录制图片1"},
    {52, "DIY2", "录制图片2"},
    {53, "DIY3", "录制图片3"},
}};

// The name of an effect code in the language; nothing for a code without a row.
std::optional<QString> lightingEffectName(std::uint8_t code, Language language);
QString lightingEffectName(std::size_t row, Language language);

// "2ms" ... "20ms": the response time list's rows.
QString responseTimeRowText(int row);
// "%d ms" of the response time doubled: what the response time bar shows.
QString responseTimeBarText(int responseTime);

}  // namespace tq260
