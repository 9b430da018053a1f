#include "device/feature_report.h"

#include <gtest/gtest.h>

namespace tq260 {
namespace {

TEST(FeatureReport, ReadRequestsWithoutParametersHaveTheCommandXor8B) {
    EXPECT_EQ(FeatureReport::request(0x80)[8], 0x0B);
    EXPECT_EQ(FeatureReport::request(0x81)[8], 0x0A);
    EXPECT_EQ(FeatureReport::request(0x82)[8], 0x09);
    EXPECT_EQ(FeatureReport::request(0x84)[8], 0x0F);
    EXPECT_EQ(FeatureReport::request(0x88)[8], 0x03);
}

TEST(FeatureReport, ParametersCountInTheChecksum) {
    EXPECT_EQ(FeatureReport::request(0x02, {1})[8], 0x88);
    EXPECT_EQ(FeatureReport::request(0x13, {0xFF})[8], 0x99);
    EXPECT_EQ(FeatureReport::request(0x8C, {0, 0, 4})[8], 0x1B);
    EXPECT_EQ(FeatureReport::request(0x8D, {0, 0, 4})[8], 0x1A);
    EXPECT_EQ(FeatureReport::request(0x0C, {0, 0, 4})[8], 0x9B);
    EXPECT_EQ(FeatureReport::request(0x0D, {0, 0, 4})[8], 0x9A);
    EXPECT_EQ(FeatureReport::request(0x92, {0, 7, 0})[8], 0x12);
    EXPECT_EQ(FeatureReport::request(0x12, {0, 7, 4})[8], 0x96);
    for (std::uint8_t i = 0; i < 6; ++i) {
        EXPECT_EQ(FeatureReport::request(0x90, {0, i, 4})[8], (0x94 + i) ^ 0x8B);
        EXPECT_EQ(FeatureReport::request(0x10, {0, i, 4})[8], (0x14 + i) ^ 0x8B);
    }
}

TEST(FeatureReport, SumWrapsBeforeTheXor) {
    // 0x08 + 0xFF + 0xFF + 0x0A = 0x210 -> 0x10
    const FeatureReport report = FeatureReport::request(0x08, {0xFF, 0xFF, 0x0A});
    EXPECT_EQ(report[8], 0x10 ^ 0x8B);
}

TEST(FeatureReport, LayoutIsReportIdCommandParametersChecksum) {
    const FeatureReport report = FeatureReport::request(0x08, {1, 0x32, 0x0A, 2, 0, 0});
    const std::array<std::uint8_t, 9> expected = {0x00, 0x08, 0x01, 0x32, 0x0A,
                                                  0x02, 0x00, 0x00, 0xCC};
    EXPECT_EQ(report.bytes, expected);
}

}  // namespace
}  // namespace tq260
