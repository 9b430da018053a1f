#include "cli/config_json.h"

#include <gtest/gtest.h>

#include "keys/key_layout.h"
#include "keys/key_light_bit.h"

namespace tq260 {
namespace {

class ConfigJson : public ::testing::Test {
  protected:
    KeyNameTable names;
    DeviceSettings settings;
};

TEST_F(ConfigJson, TheSettingsInTheUnitsAndNamesTheWindowShows) {
    settings.lighting = {6, 40, 4, 2, 0};
    settings.gameMode = 1;
    settings.responseTime = 4;
    settings.reportRate = 3;
    const auto json = configurationToJson(settings, names);
    EXPECT_EQ(json.dump(),
              R"({"format":1,"lighting":{"effect":"Wave","brightness":40,"speed":4,)"
              R"("direction":2},"gameMode":true,"responseTimeMs":8,"reportRateHz":1000,)"
              R"("diyPatterns":[[],[],[]]})");
    settings.lighting.effect = 51;
    settings.gameMode = 0;
    settings.reportRate = 0;
    const auto other = configurationToJson(settings, names);
    EXPECT_EQ(other["lighting"]["effect"], "DIY1");
    EXPECT_EQ(other["gameMode"], false);
    EXPECT_EQ(other["reportRateHz"], 125);
}

TEST_F(ConfigJson, ValuesTheWindowDoesNotOfferAreKeptAsNumbers) {
    settings.lighting.effect = 2;  // no row of the effect list
    settings.reportRate = 9;
    const auto json = configurationToJson(settings, names);
    EXPECT_EQ(json["lighting"]["effect"], 2);
    EXPECT_FALSE(json.contains("reportRateHz"));
    EXPECT_EQ(json["reportRate"], 9);
}

TEST_F(ConfigJson, LightPatternsListTheirLitKeysByName) {
    constexpr std::size_t kEsc = 0, kA = 63, kF5 = 5;
    settings.customLightMasks[0].setBit(KeyLightBit[kEsc], true);
    settings.customLightMasks[0].setBit(KeyLightBit[kA], true);
    settings.customLightMasks[2].setBit(KeyLightBit[kF5], true);  // shared with the media keys
    const auto json = configurationToJson(settings, names);
    EXPECT_EQ(json["diyPatterns"][0].dump(), R"(["Esc","A"])");
    EXPECT_TRUE(json["diyPatterns"][1].empty());
    EXPECT_EQ(json["diyPatterns"][2].dump(), R"(["F5"])");
    EXPECT_EQ(keyNameOf(names, KeyLayout[kA].virtualKey), "A");
}

}  // namespace
}  // namespace tq260
