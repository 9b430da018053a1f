#include "device/feature_report.h"

namespace tq260 {

std::uint8_t featureChecksum(const std::array<std::uint8_t, kFeatureReportSize>& bytes) {
    unsigned sum = 0;
    for (std::size_t i = 1; i <= 7; ++i) sum += bytes[i];
    return static_cast<std::uint8_t>((sum & 0xFFU) ^ 0x8BU);
}

FeatureReport FeatureReport::request(std::uint8_t command, std::array<std::uint8_t, 6> params) {
    FeatureReport report;
    report.bytes[0] = 0;
    report.bytes[1] = command;
    for (std::size_t i = 0; i < params.size(); ++i) report.bytes[2 + i] = params[i];
    report.bytes[8] = featureChecksum(report.bytes);
    return report;
}

}  // namespace tq260
