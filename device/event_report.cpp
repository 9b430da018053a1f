#include "device/event_report.h"

#include <algorithm>
#include <array>

namespace tq260 {

std::optional<std::uint8_t> applyEventReport(std::span<const std::uint8_t> report,
                                             LightingSettings& lighting) {
    std::array<std::uint8_t, kEventReportSize> bytes{};
    std::copy_n(report.begin(), std::min(report.size(), bytes.size()), bytes.begin());
    // Where a whole USB interface arrives on one handle, other reports come too.
    if (report.size() < 2 || bytes[0] != kEventReportId || bytes[1] != kLightingChangedEvent) {
        return std::nullopt;
    }
    lighting.effect = bytes[2];
    lighting.brightness = bytes[3];
    lighting.speed = static_cast<std::uint8_t>(bytes[4] - 1);
    lighting.direction = bytes[5] & 0x07;
    lighting.option = static_cast<std::uint8_t>(bytes[5] >> 5);
    return lighting.effect;
}

}  // namespace tq260
