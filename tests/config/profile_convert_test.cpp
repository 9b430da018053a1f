#include "config/profile_convert.h"

#include <gmock/gmock.h>

#include <cstring>

#include "config/config_apply.h"
#include "config/config_json.h"
#include "keys/apply_assignment.h"
#include "keys/factory_key_map.h"
#include "keys/key_light_bit.h"
#include "keys/keymap_file.h"
#include "macro/macro_event.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;

constexpr std::size_t kKeyA = 63, kKeyF1 = 1, kKeyF2 = 2, kKeyF3 = 3, kKeyF4 = 4, kKeyCaps = 62;
constexpr std::size_t kBackslash = 54;

// A profile as the program makes it: keys assigned through the key dialogs' own path, a
// macro, a light pattern, and bytes the program keeps without showing them.
class ProgramProfile : public ::testing::Test {
  protected:
    ProgramProfile() {
        settings.keyTable = FactoryKeyMap;
        settings.lighting = {6, 30, 4, 2, 0xA7};
        settings.gameMode = 1;
        settings.responseTime = 3;
        settings.reportRate = 2;
        setAssignmentIdentities(*assignments.table);
        AssignmentRequest key;
        key.count = 1;
        key.keyList[0] = 'B';
        assign(kKeyA, key);
        AssignmentRequest combination;
        combination.type = AssignmentType::Combination;
        combination.count = 2;
        combination.keyList[0] = 0xA2;  // LCtrl
        combination.keyList[1] = 'C';
        assign(kKeyCaps, combination);
        AssignmentRequest function;
        function.type = AssignmentType::NamedFunction;
        std::u16string_view vol = u"Vol+";
        std::copy(vol.begin(), vol.end(), function.functionName.begin());
        assign(kKeyF1, function);
        AssignmentRequest macro;
        macro.type = AssignmentType::Macro;
        macro.macroIndex = 1;
        assign(kKeyF2, macro);
        AssignmentRequest launch;
        launch.type = AssignmentType::LaunchTxt;
        // A path beyond the first plane, and one broken surrogate half.
        std::u16string_view path = u"/home/ann/笔记 \U0001F3B5/a\xD800.txt";
        std::copy(path.begin(), path.end(), launch.launchPath.begin());
        assign(kKeyF3, launch);
        AssignmentRequest disable;
        disable.type = AssignmentType::Disable;
        assign(kKeyF4, disable);
        (*assignments.table)[kKeyF3].launchPath[200] = u'x';  // left after the terminator
        (*assignments.table)[230].data[7] = 9;                // a record of no key
        settings.reserved1[100] = 0x5A;
        settings.hostKeyData[3] = {0, 0, 0x1E, 0};
        std::vector<std::uint8_t> events = encodeMacroEvent({false, 0x04, 1});
        const auto release = encodeMacroEvent({true, 0x04, 250});
        events.insert(events.end(), release.begin(), release.end());
        settings.macroBlocks[1][1] = 3;
        std::copy(events.begin(), events.end(), settings.macroBlocks[1].begin() + 2);
        settings.macroBlocks[1][100] = 0xEE;  // after the end of the events
        settings.customLightMasks[0].setBit(KeyLightBit[kKeyA], true);
        settings.customLightMasks[0].setBit(143, true);  // a bit of no key
    }

    void assign(std::size_t key, const AssignmentRequest& request) {
        assignments.selectedKey = key;
        AssignmentWorkspace workspace{settings, assignments, names, *macros, Language::English, {}};
        ApplyAssignment(request, workspace);
    }

    // The file's first size bytes; a longer file goes on with 0x77.
    std::vector<std::uint8_t> bytes(std::size_t size = kKeymapFileSize) const {
        std::vector<std::uint8_t> image(kKeymapFileSize);
        std::memcpy(image.data(), &settings, sizeof settings);
        std::memcpy(image.data() + sizeof settings, assignments.table.get(),
                    sizeof(AssignmentTable));
        std::vector<std::uint8_t> out(size, 0x77);
        std::copy_n(image.begin(), std::min(size, image.size()), out.begin());
        return out;
    }

    // The file to JSON text and back, as the tool does it.
    std::vector<std::uint8_t> roundTrip(
        const std::vector<std::uint8_t>& file,
        const std::function<void(nlohmann::ordered_json&)>& edit = {}) {
        std::vector<ConfigError> errors;
        auto json = profileToJson(file, names, errors);
        EXPECT_TRUE(json) << describeErrors(errors);
        if (!json) return {};
        if (edit) edit(*json);
        const ConfigReading reading = readConfiguration(json->dump(2), ValueRange::ProfileFile);
        EXPECT_TRUE(reading.request) << describeErrors(reading.errors);
        if (!reading.request) return {};
        return profileFromRequest(*reading.request, names);
    }

    KeyNameTable names;
    DeviceSettings settings;
    Assignments assignments;
    std::unique_ptr<MacroTable> macros = std::make_unique<MacroTable>();
};

TEST_F(ProgramProfile, ConvertsToJsonAndBackByteForByte) {
    const auto file = bytes();
    EXPECT_EQ(roundTrip(file), file);
    // A profile made by New holds only the settings block, all zero; other files are longer.
    const std::vector<std::uint8_t> fresh(sizeof(DeviceSettings), 0);
    EXPECT_EQ(roundTrip(fresh), fresh);
    const auto longer = bytes(kKeymapFileSize + 9);
    EXPECT_EQ(roundTrip(longer), longer);
    const auto shorter = bytes(5000);
    EXPECT_EQ(roundTrip(shorter), shorter);
}

// The readable members carry the profile; what is left over is small enough to read past.
TEST_F(ProgramProfile, TheMembersShowTheProfileAndLittleIsLeftUnshown) {
    std::vector<ConfigError> errors;
    const auto json = profileToJson(bytes(), names, errors);
    ASSERT_TRUE(json);
    EXPECT_EQ((*json)["lighting"].dump(),
              R"({"effect":"Wave","brightness":30,"speed":4,"direction":2})");
    EXPECT_EQ((*json)["reportRateHz"], 500);
    EXPECT_EQ((*json)["responseTimeMs"], 6);
    EXPECT_EQ((*json)["keys"]["A"].dump(), R"({"key":"B"})");
    EXPECT_EQ((*json)["keys"]["Caps"].dump(), R"({"function":"Copy"})");
    EXPECT_EQ((*json)["keys"]["F1"].dump(), R"({"function":"Vol+"})");
    EXPECT_EQ((*json)["keys"]["F2"].dump(), R"({"macro":2})");
    EXPECT_EQ((*json)["keys"]["F3"]["launch"], "/home/ann/笔记 🎵/a\uFFFD.txt");
    EXPECT_EQ((*json)["keys"]["F4"], "disabled");
    EXPECT_EQ((*json)["macros"][1].dump(),
              R"({"slot":2,"name":"","loops":3,"events":[{"key":"A","action":"down","delayMs":0},)"
              R"({"key":"A","action":"up","delayMs":250}]})");
    EXPECT_EQ((*json)["diyPatterns"][0].dump(), R"(["A"])");
    std::size_t unshown = 0;
    for (const auto& run : (*json)["unshown"]["bytes"]) unshown += run[1].get<std::string>().size();
    EXPECT_EQ((*json)["unshown"]["fileSize"], kKeymapFileSize);
    EXPECT_LT(unshown / 2, 200u);
}

// An edit of the readable form changes that key, its entry and its record as the key dialog
// would, and no other byte of the file.
TEST_F(ProgramProfile, AnEditedKeyChangesOnlyThatKeysBytes) {
    auto file = bytes();
    // Stored as no member would store it: shown as true, kept in "unshown".
    constexpr std::size_t kGameMode = offsetof(DeviceSettings, gameMode);
    file[kGameMode] = 2;
    const auto edited = roundTrip(file, [](nlohmann::ordered_json& json) {
        json["keys"]["F3"] = {{"key", "Z"}};
        json["keys"]["\\"] = "disabled";
        json["gameMode"] = false;
    });
    ASSERT_EQ(edited.size(), file.size());
    const auto slotBytes = [](std::size_t key) {
        const std::size_t at = offsetof(DeviceSettings, keyTable) + KeyLayout[key].slot * 4;
        return std::pair{at, at + 4};
    };
    const auto recordBytes = [](std::size_t key) {
        const std::size_t at = sizeof(DeviceSettings) + key * sizeof(KeyAssignment);
        return std::pair{at, at + sizeof(KeyAssignment)};
    };
    const std::pair<std::size_t, std::size_t> allowed[] = {slotBytes(kKeyF3),
                                                           recordBytes(kKeyF3),
                                                           slotBytes(kBackslash),
                                                           recordBytes(kBackslash),
                                                           {kGameMode, kGameMode + 1}};
    std::vector<std::size_t> outside;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (file[i] == edited[i]) continue;
        const bool expected = std::any_of(std::begin(allowed), std::end(allowed), [&](auto range) {
            return i >= range.first && i < range.second;
        });
        if (!expected) outside.push_back(i);
    }
    EXPECT_TRUE(outside.empty()) << outside.size() << " bytes, the first at " << outside.front();
    DeviceSettings image;
    Assignments read;
    loadKeymapBytes(edited, false, image, *read.table);
    EXPECT_EQ(image.keyTable[KeyLayout[kKeyF3].slot], (KeyEntry{0, 0, 0x1D, 0}));
    EXPECT_EQ((*read.table)[kKeyF3].type, 0);
    EXPECT_EQ((*read.table)[kKeyF3].data[0], 'Z');
    EXPECT_EQ((*read.table)[kKeyF3].count, 1);
    EXPECT_EQ(image.keyTable[KeyLayout[kBackslash].slot], KeyEntry{});
    EXPECT_EQ(image.gameMode, 0);  // the edit wins over the unshown byte
}

// Applying what a record shows changes nothing in it; applying a change changes only that.
TEST_F(ProgramProfile, ApplyingWhatTheRecordShowsChangesNothing) {
    const auto json = configurationToJson(settings, names, assignments.table.get());
    const ConfigReading reading = readConfiguration(json.dump(), ValueRange::Keyboard);
    ASSERT_TRUE(reading.request) << describeErrors(reading.errors);
    const auto before = bytes();
    EXPECT_TRUE(applyConfiguration(*reading.request, settings, assignments, names).empty());
    EXPECT_EQ(bytes(), before);
}

TEST_F(ProgramProfile, ChangesAreAppliedAsTheDialogsMakeThemAndSaid) {
    const ConfigReading reading = readConfiguration(
        R"({"format": 1, "lighting": {"brightness": 12, "speed": 4},
            "keys": {"A": {"combination": ["LCtrl", "C"]}, "\\": "default",
                     "F4": {"launch": "C:\\Games\\run.exe", "kind": "exe"}, "F1": {"function": "Vol+"}},
            "macros": [{"slot": 6, "loops": 2, "events": [{"key": "Q", "action": "down"}]}],
            "diyPatterns": [["Esc", "F1"], ["A"], []]})",
        ValueRange::Keyboard);
    ASSERT_TRUE(reading.request) << describeErrors(reading.errors);
    settings.keyTable[KeyLayout[kBackslash].slot] = {};
    const auto changes = applyConfiguration(*reading.request, settings, assignments, names);
    std::vector<std::string> said;
    for (const ConfigChange& c : changes) said.push_back(c.path + ": " + c.from + " -> " + c.to);
    EXPECT_THAT(
        said, ElementsAre("/lighting/brightness: 30 -> 12",
                          R"(/keys/A: {"key":"B"} -> {"function":"Copy"})",
                          R"(/keys/\: "disabled" -> "default")",
                          R"(/keys/F4: "disabled" -> {"launch":"C:\\Games\\run.exe","kind":"exe"})",
                          "/macros (slot 6): 0 events, 0 loops -> 1 events, 2 loops",
                          "/diyPatterns/0: 1 lit keys -> 2 lit keys (on: Esc, F1; off: A)",
                          "/diyPatterns/1: 0 lit keys -> 1 lit keys (on: A)"));
    const KeyAssignment& a = (*assignments.table)[kKeyA];
    EXPECT_EQ(a.type, static_cast<std::uint8_t>(AssignmentType::Combination));
    EXPECT_EQ(a.count, 2);
    EXPECT_EQ(a.data[0], 0xA2);
    EXPECT_EQ(a.data[1], 'C');
    EXPECT_EQ(settings.keyTable[KeyLayout[kKeyA].slot], (KeyEntry{0, 0xE0, 0x06, 0}));
    // The keyboard's own factory code for \, not its virtual-key code's.
    EXPECT_EQ(settings.keyTable[KeyLayout[kBackslash].slot], (KeyEntry{0, 0, 0x31, 0}));
    EXPECT_EQ(settings.keyTable[KeyLayout[kKeyF4].slot], (KeyEntry{0x14, 0, 0x73, 0}));
    EXPECT_EQ(std::u16string((*assignments.table)[kKeyF4].launchPath.data()),
              u"C:\\Games\\run.exe");
    EXPECT_EQ((*assignments.table)[kKeyF4].type,
              static_cast<std::uint8_t>(AssignmentType::LaunchExe));
    EXPECT_EQ(settings.macroBlocks[5][1], 2);
    EXPECT_EQ(settings.macroBlocks[5][3], 0x14);  // Q's keyboard code
    const CustomLightMask& first = settings.customLightMasks[0];
    EXPECT_TRUE(first.bit(KeyLightBit[0]) && first.bit(KeyLightBit[kKeyF1]));
    EXPECT_FALSE(first.bit(KeyLightBit[kKeyA]));
    EXPECT_TRUE(first.bit(143));  // no key's bit: left as it was
}

}  // namespace
}  // namespace tq260

namespace tq260 {
namespace {

// Forms the window never writes still come back as they were: a key entry whose code is a
// media code of another kind, a long delay field holding a short delay, a delay over 60000.
TEST(ProfileConvert, FormsTheWindowNeverWritesComeBackAsTheyWere) {
    const KeyNameTable names;
    DeviceSettings settings;
    settings.keyTable = FactoryKeyMap;
    settings.keyTable[KeyLayout[63].slot] = {0, 0, 0xE9, 0};
    const std::uint8_t events[] = {0x7F, 0x04, 0x00, 0x05, 0xFF, 0x04, 0xFF, 0xFF};
    std::copy(std::begin(events), std::end(events), settings.macroBlocks[0].begin() + 2);
    std::vector<std::uint8_t> file(sizeof settings);
    std::memcpy(file.data(), &settings, sizeof settings);
    std::vector<ConfigError> errors;
    const auto json = profileToJson(file, names, errors);
    ASSERT_TRUE(json);
    EXPECT_EQ((*json)["macros"][0]["raw"].get<std::string>().substr(0, 16), "7f040005ff04ffff");
    const ConfigReading reading = readConfiguration(json->dump(), ValueRange::ProfileFile);
    ASSERT_TRUE(reading.request) << describeErrors(reading.errors);
    EXPECT_EQ(profileFromRequest(*reading.request, names), file);
}

}  // namespace
}  // namespace tq260
