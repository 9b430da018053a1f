#include "device/event_report.h"

#include <gtest/gtest.h>

#include <vector>

namespace tq260 {
namespace {

std::optional<std::uint8_t> apply(const std::vector<std::uint8_t>& report,
                                  LightingSettings& lighting) {
    return applyEventReport(report, lighting);
}

TEST(EventReport, LightingChangeSetsAllFiveFields) {
    LightingSettings lighting{1, 50, 5, 2, 0};
    EXPECT_EQ(apply({0x04, 0x01, 0x05, 0x20, 0x03, 0x81, 0x00}, lighting), 5);
    EXPECT_EQ(lighting, (LightingSettings{5, 32, 2, 1, 4}));
}

TEST(EventReport, SpeedByteZeroWrapsTo255) {
    LightingSettings lighting;
    EXPECT_EQ(apply({0x04, 0x01, 0x33, 0x0A, 0x00, 0xE7, 0x00}, lighting), 0x33);
    EXPECT_EQ(lighting, (LightingSettings{0x33, 0x0A, 255, 7, 7}));
}

TEST(EventReport, OtherEventsAndOtherReportsChangeNothing) {
    const LightingSettings before{1, 50, 5, 2, 9};
    for (const std::vector<std::uint8_t>& report : std::vector<std::vector<std::uint8_t>>{
             {0x04, 0x02, 0x05, 0x20, 0x03, 0x81, 0x00},  // another event type
             {0x04, 0x00, 0x05, 0x20, 0x03, 0x81, 0x00},
             {0x02, 0x01, 0x05, 0x20, 0x03, 0x81, 0x00},  // consumer keys of the same interface
             {0x04},
             {}}) {
        LightingSettings lighting = before;
        EXPECT_FALSE(apply(report, lighting));
        EXPECT_EQ(lighting, before);
    }
}

TEST(EventReport, MissingBytesOfAShortReportCountAsZero) {
    LightingSettings lighting{1, 50, 5, 2, 9};
    EXPECT_EQ(apply({0x04, 0x01, 0x07}, lighting), 7);
    EXPECT_EQ(lighting, (LightingSettings{7, 0, 255, 0, 0}));
}

}  // namespace
}  // namespace tq260
