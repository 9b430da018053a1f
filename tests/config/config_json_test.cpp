#include "config/config_json.h"

#include <gtest/gtest.h>

#include "keys/factory_key_map.h"
#include "keys/key_layout.h"
#include "keys/key_light_bit.h"
#include "macro/macro_blocks.h"
#include "macro/macro_event.h"

namespace tq260 {
namespace {

class ConfigJson : public ::testing::Test {
  protected:
    KeyNameTable names;
    DeviceSettings settings;
};

// Every key of the picture but the four media keys, each under a name of its own.
TEST_F(ConfigJson, EveryReassignableKeyIsListedOnceByAUniqueName) {
    settings.keyTable = FactoryKeyMap;
    const auto json = configurationToJson(settings, names);
    EXPECT_EQ(json["keys"].size(), 104u);
    for (const char* name : {"Esc", "A", "Num -", "-", "Num Enter", "Enter", "Num /", "/", "Num .",
                             ".", "Fn", "Apps", "0-num"}) {
        EXPECT_EQ(json["keys"].value(name, ""), "default") << name;
    }
    EXPECT_FALSE(json["keys"].contains("Vol+"));  // a media key above the keypad
}

TEST_F(ConfigJson, EachKindOfAssignmentByName) {
    const auto usageOf = [&](std::uint8_t vk) { return names.usage(vk); };
    const std::size_t slotOfA = KeyLayout[63].slot;
    EXPECT_EQ(keyAssignmentToJson(FactoryKeyMap[slotOfA], slotOfA, nullptr, names), "default");
    EXPECT_EQ(keyAssignmentToJson({}, slotOfA, nullptr, names), "disabled");
    EXPECT_EQ(keyAssignmentToJson({0, 0, usageOf('B'), 0}, slotOfA, nullptr, names).dump(),
              R"({"key":"B"})");
    EXPECT_EQ(
        keyAssignmentToJson({0, 0xE1, usageOf('A'), usageOf('Z')}, slotOfA, nullptr, names).dump(),
        R"({"combination":["LShift","A","Z"]})");
    EXPECT_EQ(keyAssignmentToJson({0, 0xE0, 0x06, 0}, slotOfA, nullptr, names).dump(),
              R"({"function":"Copy"})");
    EXPECT_EQ(keyAssignmentToJson({3, 0, 0xE9, 0}, slotOfA, nullptr, names).dump(),
              R"({"function":"Vol+"})");
    EXPECT_EQ(keyAssignmentToJson({4, 1, 2, 0}, slotOfA, nullptr, names).dump(), R"({"macro":3})");
    KeyAssignment launch;
    launch.type = static_cast<std::uint8_t>(AssignmentType::LaunchTxt);
    const std::u16string path = u"/home/player/notes.txt";
    std::copy(path.begin(), path.end(), launch.launchPath.begin());
    EXPECT_EQ(keyAssignmentToJson({0x14, 0, 0x41, 0}, slotOfA, &launch, names).dump(),
              R"({"launch":"/home/player/notes.txt","kind":"txt"})");
    // Any path a file holds still gives valid JSON: a character beyond the first plane, and a
    // broken surrogate half as U+FFFD.
    const std::u16string wide = u"/home/\U0001F3AE/\xD800x";
    launch.launchPath.fill(0);
    std::copy(wide.begin(), wide.end(), launch.launchPath.begin());
    EXPECT_EQ(keyAssignmentToJson({0x14, 0, 0x41, 0}, slotOfA, &launch, names)["launch"],
              "/home/\xF0\x9F\x8E\xAE/\xEF\xBF\xBDx");
    EXPECT_NO_THROW((void)keyAssignmentToJson({0x14, 0, 0x41, 0}, slotOfA, &launch, names).dump());
    // Nothing that the window makes is lost either.
    EXPECT_EQ(keyAssignmentToJson({0x10, 1, 2, 3}, slotOfA, nullptr, names).dump(),
              R"({"entry":[16,1,2,3]})");
    EXPECT_EQ(keyAssignmentToJson({4, 1, 9, 0}, slotOfA, nullptr, names).dump(),
              R"({"entry":[4,1,9,0]})");
}

TEST_F(ConfigJson, MacrosAsTheKeyboardPlaysThemWithTheirNames) {
    auto table = std::make_unique<MacroTable>();
    MacroRecord& combo = (*table)[0];
    combo.setName(u"Combo");
    combo.loopCount = 300;
    std::size_t offset = 0;
    for (const MacroEvent event : {MacroEvent{false, 'A', 1}, MacroEvent{true, 'A', 80},
                                   MacroEvent{false, 0x6D, 2000}, MacroEvent{true, 0x6D, 1}}) {
        offset += writeMacroEvent(combo.deviceEvents, combo.keyEvents, offset, event, names);
    }
    (*table)[1].setName(u"Empty");
    buildMacroBlocks(*table, settings);
    const auto json = macrosToJson(settings, names, table.get());
    ASSERT_EQ(json.size(), 6u);
    EXPECT_EQ(json[0].dump(),
              R"({"slot":1,"name":"Combo","loops":300,"events":[)"
              R"({"key":"A","action":"down","delayMs":0},{"key":"A","action":"up","delayMs":80},)"
              R"({"key":"Num -","action":"down","delayMs":2000},)"
              R"({"key":"Num -","action":"up","delayMs":0}]})");
    EXPECT_EQ(json[1].dump(), R"({"slot":2,"name":"Empty","loops":0,"events":[]})");
    // Without the computer's macro file the names are unknown, the events are not.
    const auto unnamed = macrosToJson(settings, names, nullptr);
    EXPECT_EQ(unnamed[0]["name"], "");
    EXPECT_EQ(unnamed[0]["events"].size(), 4u);
    // A code no key has is kept as its number.
    settings.macroBlocks[5] = {0, 1, 0x01, 0xEE};
    EXPECT_EQ(macrosToJson(settings, names, nullptr)[5]["events"].dump(),
              R"([{"key":238,"action":"down","delayMs":0}])");
}

TEST_F(ConfigJson, TheSettingsInTheUnitsAndNamesTheWindowShows) {
    settings.lighting = {6, 40, 4, 2, 0};
    settings.gameMode = 1;
    settings.responseTime = 4;
    settings.reportRate = 3;
    const auto json = configurationToJson(settings, names);
    auto settingsOnly = json;
    settingsOnly.erase("keys");
    settingsOnly.erase("macros");
    EXPECT_EQ(settingsOnly.dump(),
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
