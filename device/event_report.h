#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "device/device_settings.h"

namespace tq260 {

inline constexpr std::size_t kEventReportSize = 7;
inline constexpr std::uint8_t kEventReportId = 4;
inline constexpr std::uint8_t kLightingChangedEvent = 1;

// Applies the keyboard's event report (report id first) to the lighting: effect,
// brightness, speed (one lower than sent, wrapping in the byte), direction (bits 0..2) and
// option (bits 5..7). Returns the new effect, or nothing when the report is not a lighting
// change; then the lighting is left alone. Bytes missing from a short report count as 0.
std::optional<std::uint8_t> applyEventReport(std::span<const std::uint8_t> report,
                                             LightingSettings& lighting);

}  // namespace tq260
