#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tq260 {

// The ten effects the effect list offers, in its order, with their names in both languages;
// the command-line tool names effects by their English names.
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

// The effect of that code, or null.
inline const LightingEffect* lightingEffectCoded(long long code) {
    for (const LightingEffect& effect : kLightingEffects) {
        if (code == effect.code) return &effect;
    }
    return nullptr;
}

// The effect of that English name, or null.
inline const LightingEffect* lightingEffectNamed(std::string_view name) {
    for (const LightingEffect& effect : kLightingEffects) {
        if (name == effect.english) return &effect;
    }
    return nullptr;
}

}  // namespace tq260
