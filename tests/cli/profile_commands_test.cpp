#include "cli/profile_commands.h"

#include <gmock/gmock.h>

#include "config/profile_rules_file.h"
#include "device/setting_limits.h"
#include "keys/keymap_file.h"
#include "platform/atomic_file.h"
#include "tool_fixture.h"

namespace tq260 {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using testing::writeRawFile;

// A profile use that refuses to drop a configuration no profile holds.
int useProfile(ToolContext& context, const std::string& name) {
    return runProfileUse(context, name);
}

class ProfileCommands : public testing::ToolCommands {
  protected:
    int profile(const std::function<int(ToolContext&, const std::string&)>& command,
                const std::string& name) {
        return run([&](ToolContext& c) { return command(c, name); });
    }
    // The commands the keyboard was sent, by their code.
    std::vector<std::string> commandCodes() const {
        std::vector<std::string> codes;
        for (const std::string& line : keyboard.wireLog().lines()) {
            const auto at = line.find("cmd set 00 ");
            if (at != std::string::npos) codes.push_back(line.substr(at + 11, 2));
        }
        return codes;
    }
    std::filesystem::path file(const std::string& name) const {
        return data.path() / "Configure" /
               std::filesystem::path(std::u8string(name.begin(), name.end()) + u8".bin");
    }
};

// The four commands on the profiles of the data folder, a Chinese name among them.
TEST_F(ProfileCommands, SaveListUseAndShowTheProfiles) {
    EXPECT_EQ(run(runProfileList), tool_exit::kDone);
    EXPECT_THAT(out.str(), StartsWith("There are no profiles yet in "));

    ASSERT_EQ(profile(runProfileSave, "游戏 Game"), tool_exit::kDone);
    EXPECT_EQ(out.str(), "The keyboard's configuration is saved in the profile \"游戏 Game\".\n");
    EXPECT_EQ(std::filesystem::file_size(file("游戏 Game")), kKeymapFileSize);
    keyboard.editMemory([](KeyboardMemory& m) { m.lighting = {6, 10, 3, 2, 0}; });
    ASSERT_EQ(profile(runProfileSave, "Desk"), tool_exit::kDone);
    writeRawFile(file("New"), std::vector<std::uint8_t>(2412, 0));
    EXPECT_EQ(run(runProfileList), tool_exit::kDone);
    EXPECT_EQ(out.str(), "* Desk\n  New  (empty: no settings saved in it yet)\n  游戏 Game\n");

    // Only what differs is sent: the lighting and the three settings that always go.
    ASSERT_EQ(profile(useProfile, "游戏 Game"), tool_exit::kDone);
    EXPECT_EQ(out.str(), "The keyboard now has the profile \"游戏 Game\".\n");
    const auto codes = commandCodes();
    ASSERT_GE(codes.size(), 4U);
    EXPECT_EQ(std::vector<std::string>(codes.end() - 4, codes.end()),
              (std::vector<std::string>{"08", "01", "04", "02"}));
    EXPECT_EQ(keyboard.memory().lighting[0], 1);
    // keymap.bin holds it too, as the program finds it at its next start.
    EXPECT_EQ(readFileBytes(data.path() / "keymap.bin", kKeymapFileSize),
              readFileBytes(file("游戏 Game"), kKeymapFileSize));
    EXPECT_EQ(run(runProfileList), tool_exit::kDone);
    EXPECT_THAT(out.str(), HasSubstr("* 游戏 Game\n"));

    EXPECT_EQ(profile(runProfileShow, "Desk.bin"), tool_exit::kDone);  // as its file is named
    EXPECT_THAT(out.str(), StartsWith("{\n  \"format\": 1,\n  \"lighting\": {\n    \"effect\": "
                                      "\"Wave\",\n    \"brightness\": 10,"));
    EXPECT_TRUE(keyboard.wireLog().lines().empty());
}

TEST_F(ProfileCommands, WhatCannotBeDoneIsSaidAndSendsNothing) {
    ASSERT_EQ(profile(runProfileSave, "Game"), tool_exit::kDone);
    writeRawFile(file("New"), std::vector<std::uint8_t>(2412, 0));
    for (int i = 3; i <= 6; ++i) writeRawFile(file("P" + std::to_string(i)), {1});
    struct Case {
        std::function<int(ToolContext&, const std::string&)> command;
        std::string name;
        int exit;
        std::string said;
    };
    const Case cases[] = {
        {useProfile, "Nope", tool_exit::kBadFile,
         "There is no profile named \"Nope\". The profiles are \"Game\", \"New\", \"P3\", \"P4\", "
         "\"P5\", \"P6\".\n"},
        {runProfileShow, "Nope", tool_exit::kBadFile, "There is no profile named \"Nope\"."},
        {useProfile, "New", tool_exit::kBadFile,
         "The profile \"New\" is empty: it holds no keyboard settings yet.\n"},
        {runProfileShow, "New", tool_exit::kBadFile, "The profile \"New\" is empty"},
        {runProfileSave, "a/b", tool_exit::kUsage, "\"a/b\" cannot be a profile's name"},
        {runProfileSave, "Seventh", tool_exit::kUsage, "There are six profiles already"},
        // A name no profile can have is a wrong command line, whatever the command.
        {useProfile, "a/b", tool_exit::kUsage, "\"a/b\" cannot be a profile's name"},
        {runProfileShow, "a:b", tool_exit::kUsage, "\"a:b\" cannot be a profile's name"},
        {[](ToolContext& c, const std::string& n) { return runProfileRename(c, n, "Arena"); },
         "Nope", tool_exit::kBadFile, "There is no profile named \"Nope\"."},
        {[](ToolContext& c, const std::string& n) { return runProfileRename(c, n, "a|b"); }, "Game",
         tool_exit::kUsage, "\"a|b\" cannot be a profile's name"},
        {[](ToolContext& c, const std::string& n) { return runProfileRename(c, n, "P3"); }, "Game",
         tool_exit::kUsage, "There is a profile named \"P3\" already."},
        {[](ToolContext& c, const std::string& n) { return runProfileDelete(c, n, true); }, "Nope",
         tool_exit::kBadFile, "There is no profile named \"Nope\"."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(profile(c.command, c.name), c.exit) << c.said;
        EXPECT_THAT(err.str(), StartsWith(c.said));
        EXPECT_TRUE(keyboard.wireLog().lines().empty()) << c.said;
    }
    EXPECT_EQ(run(runProfileList), tool_exit::kDone);
    EXPECT_THAT(out.str(), StartsWith("* Game\n"));
}

// A damaged profile is neither used nor shown: the tool says which value or what size, ends
// with 7, and the keyboard and the active profile stay as they were.
TEST_F(ProfileCommands, ADamagedProfileIsRefusedSayingWhyAndNothingIsSent) {
    ASSERT_EQ(profile(runProfileSave, "Game"), tool_exit::kDone);
    const std::vector<std::uint8_t> game = *readFileBytes(file("Game"), kKeymapFileSize);
    const KeyboardMemory before = keyboard.memory();
    struct Row {
        std::uintmax_t size;
        std::size_t at;
        int value;
        std::string said;
    };
    const std::string damaged = "The profile \"Bad\" is damaged: its file " + file("Bad").string();
    const std::string sizes =
        " bytes, and a profile's file is 199272 bytes (2412 when it holds only the settings).\n";
    const std::string values = damaged + " holds values the keyboard does not take:\n";
    constexpr std::size_t kLight = offsetof(DeviceSettings, lighting);
    constexpr std::size_t kTime = offsetof(DeviceSettings, responseTime);
    const Row rows[] = {
        {0, 0, -1, "The profile \"Bad\" is empty: it holds no keyboard settings yet.\n"},
        {1000, 0, -1, damaged + " is 1000" + sizes},
        {1500, 0, -1, damaged + " is 1500" + sizes},
        {199271, 0, -1, damaged + " is 199271" + sizes},
        {199273, 0, -1, damaged + " is 199273" + sizes},
        {std::uintmax_t{1} << 30, 0, -1, damaged + " is 1073741824" + sizes},
        {199272, offsetof(DeviceSettings, reportRate), 0x9c,
         values + "/reportRate: 156 is outside 0..3\n"},
        {199272, kTime, 0, values + "/responseTimeMs: 0 is outside 2..20\n"},
        {2412, kTime, 11, values + "/responseTimeMs: 22 is outside 2..20\n"},
        {2412, kLight, 9,
         values + "/lighting/effect: 9 is not an effect; the effects are " + effectNamesText() +
             "\n"},
        {199272, kLight + 1, 51, values + "/lighting/brightness: 51 is outside 0..50\n"},
        {199272, kLight + 2, 10, values + "/lighting/speed: 10 is outside 0..9\n"},
        {199272, kLight + 3, 5, values + "/lighting/direction: 5 is outside 0..4\n"},
        {199272, offsetof(DeviceSettings, gameMode), 2, values + "/gameMode: 2 is outside 0..1\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.said);
        std::vector<std::uint8_t> bytes(
            game.begin(), game.begin() + static_cast<std::ptrdiff_t>(
                                             std::min<std::uintmax_t>(row.size, game.size())));
        if (row.value >= 0) bytes[row.at] = static_cast<std::uint8_t>(row.value);
        writeRawFile(file("Bad"), bytes);
        if (row.size > bytes.size()) std::filesystem::resize_file(file("Bad"), row.size);
        for (const auto& command : {useProfile, runProfileShow}) {
            EXPECT_EQ(profile(command, "Bad"), tool_exit::kBadFile);
            EXPECT_EQ(err.str(), row.said);
            EXPECT_EQ(out.str(), "");
            EXPECT_TRUE(keyboard.wireLog().lines().empty());
        }
        EXPECT_EQ(keyboard.memory(), before);
        EXPECT_EQ(run(runProfileList), tool_exit::kDone);
        EXPECT_THAT(out.str(), StartsWith("  Bad  ("));
        EXPECT_THAT(out.str(), HasSubstr("* Game\n"));
    }
}

// Names that no save could write (too long for its temporary file's name), that would show
// as another name (direction marks) or hold control characters are refused, and said with
// what they hold written out.
TEST_F(ProfileCommands, NamesASaveCannotWriteOrThatShowAsAnotherAreRefused) {
    struct Row {
        std::string name;
        int exit;
        std::string said;
    };
    const auto longName = [](std::size_t bytes) {
        std::string name;
        while (name.size() + 3 <= bytes) name += "游";  // three bytes each in UTF-8
        return name + std::string(bytes - name.size(), 'a');
    };
    const Row rows[] = {
        {longName(198), tool_exit::kDone, ""},
        {longName(199), tool_exit::kUsage, "longer than 198 bytes in UTF-8"},
        {longName(207), tool_exit::kUsage, "longer than 198 bytes"},
        {longName(208), tool_exit::kUsage, "longer than 198 bytes"},
        {longName(251), tool_exit::kUsage, "longer than 198 bytes"},
        {"Desk\u202Egpj.exe", tool_exit::kUsage, "\"Desk\\u202egpj.exe\" cannot be"},
        {"Desk\u2067", tool_exit::kUsage, "\"Desk\\u2067\" cannot be"},
        {"\u200FDesk", tool_exit::kUsage, "\"\\u200fDesk\" cannot be"},
        {"Desk\u061C", tool_exit::kUsage, "\"Desk\\u061c\" cannot be"},
        {"Desk\x1b", tool_exit::kUsage, "\"Desk\\x1b\" cannot be a profile's name"},
        {"Desk\u0085", tool_exit::kUsage, "\"Desk\\x85\" cannot be"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.said);
        EXPECT_EQ(profile(runProfileSave, row.name), row.exit);
        EXPECT_THAT(err.str(), HasSubstr(row.said));
        EXPECT_EQ(std::filesystem::exists(file(row.name)), row.exit == tool_exit::kDone);
    }
}

// A keymap.bin that cannot be read (here a folder of that name): the keys are taken as the
// keyboard holds them, and that is said.
TEST_F(ProfileCommands, AKeymapThatCannotBeReadIsNoted) {
    std::filesystem::create_directories(data.path() / "keymap.bin");
    const std::string note =
        "Note: " + (data.path() / "keymap.bin").string() + " could not be read; ";
    EXPECT_EQ(run([](ToolContext& c) { return runDump(c, {}); }), tool_exit::kDone);
    EXPECT_EQ(err.str(),
              note + "keys are shown as the keyboard holds them, without launch paths.\n");
    EXPECT_EQ(profile(runProfileSave, "Game"), tool_exit::kDone);
    EXPECT_EQ(err.str(),
              note +
                  "the profile holds the keys as the keyboard holds them, without launch "
                  "paths.\n");
}

// A configuration that no profile holds (here a lighting set since) is never dropped unasked:
// refused, kept where the window would keep it, or let go when told.
TEST_F(ProfileCommands, AConfigurationNoProfileHoldsIsKeptOrDroppedOnlyWhenTold) {
    struct Row {
        bool desktopActive;
        int moreProfiles;
        Unkept unkept;
        int exit;
        std::string said;
        std::string keptIn;
    };
    const Row rows[] = {
        {true, 0, Unkept::Refuse, tool_exit::kInUse,
         "The keyboard's configuration is not saved in any profile, and using \"Game\" "
         "replaces it: add --keep to keep it in \"Desk\" first, or --discard to let it go.\n",
         ""},
        {false, 0, Unkept::Refuse, tool_exit::kInUse, "keep it in a new profile \"Profile_1\"", ""},
        {false, 4, Unkept::Keep, tool_exit::kInUse, "--keep has nowhere to keep it", ""},
        {true, 0, Unkept::Keep, tool_exit::kDone, "", "Desk"},
        {false, 0, Unkept::Keep, tool_exit::kDone, "", "Profile_1"},
        {true, 0, Unkept::Discard, tool_exit::kDone, "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.said + row.keptIn);
        std::filesystem::remove_all(data.path() / "Configure");
        keyboard.editMemory([](KeyboardMemory& m) { m.lighting = {1, 50, 6, 1, 0}; });
        ASSERT_EQ(profile(runProfileSave, "Desk"), tool_exit::kDone);
        keyboard.editMemory([](KeyboardMemory& m) { m.lighting[1] = 3; });
        ASSERT_EQ(profile(runProfileSave, "Game"), tool_exit::kDone);
        for (int i = 0; i < row.moreProfiles; ++i) writeRawFile(file("P" + std::to_string(i)), {1});
        ProfileStore store;
        store.openIn(data.path());
        store.setActive(row.desktopActive ? u"Desk" : u"");
        keyboard.editMemory([](KeyboardMemory& m) { m.lighting[1] = 9; });
        const auto before = readFileBytes(file("Desk"), kKeymapFileSize);

        EXPECT_EQ(run([&](ToolContext& c) { return runProfileUse(c, "Game", row.unkept); }),
                  row.exit);
        if (row.said.empty()) {
            EXPECT_EQ(err.str(), "");
        } else {
            EXPECT_THAT(err.str(), HasSubstr(row.said));
        }
        EXPECT_EQ(keyboard.memory().lighting[1], row.exit == tool_exit::kDone ? 3 : 9);
        if (row.keptIn.empty()) {
            EXPECT_EQ(readFileBytes(file("Desk"), kKeymapFileSize), before);
            EXPECT_FALSE(std::filesystem::exists(file("Profile_1")));
        } else {
            EXPECT_THAT(out.str(), StartsWith("The keyboard's configuration is kept in the "
                                              "profile \"" +
                                              row.keptIn + "\".\n"));
            const auto kept = readFileBytes(file(row.keptIn), kKeymapFileSize);
            ASSERT_TRUE(kept);
            EXPECT_EQ(kept->at(0x91B), 9);
        }
    }
}

// Every full read turns game mode on first: a profile saved with it off is still what the
// keyboard holds, and using another one asks nothing.
TEST_F(ProfileCommands, GameModeTurnedOnByTheReadLosesNothing) {
    ASSERT_EQ(profile(runProfileSave, "Desk"), tool_exit::kDone);
    auto desk = *readFileBytes(file("Desk"), kKeymapFileSize);
    ASSERT_EQ(desk.at(0x934), 1);
    desk[0x934] = 0;
    writeRawFile(file("Desk"), desk);
    keyboard.editMemory([](KeyboardMemory& m) { m.lighting[1] = 3; });
    ASSERT_EQ(profile(runProfileSave, "Game"), tool_exit::kDone);
    ASSERT_EQ(profile(useProfile, "Desk"), tool_exit::kDone);
    EXPECT_EQ(keyboard.memory().gameMode, 0);
    EXPECT_EQ(profile(useProfile, "Game"), tool_exit::kDone) << err.str();
}

// A rename carries the active mark and the rules; a delete asks, keeps the last profile,
// clears the mark and says which rules now name nothing.
TEST_F(ProfileCommands, RenameAndDeleteCarryTheMarkAndSayTheRules) {
    ASSERT_EQ(profile(runProfileSave, "Game"), tool_exit::kDone);
    ASSERT_EQ(profile(runProfileSave, "Desk"), tool_exit::kDone);
    std::string why;
    ASSERT_TRUE(writeProfileRules(
        data.path(), {true, {{"steam", "", u"Game"}, {"doom", "/opt/doom", u"Desk"}}, u"Desk"},
        why));
    const auto rename = [&](const char* from, const char* to) {
        return run([&](ToolContext& c) { return runProfileRename(c, from, to); });
    };
    ASSERT_EQ(rename("Desk", "Work.bin"), tool_exit::kDone);
    EXPECT_EQ(out.str(),
              "The profile \"Desk\" is now named \"Work\".\nThe rules for doom (/opt/doom) and "
              "every other application name it as \"Work\" now.\n");
    EXPECT_EQ(
        readProfileRules(data.path()).rules,
        (ProfileRules{true, {{"steam", "", u"Game"}, {"doom", "/opt/doom", u"Work"}}, u"Work"}));
    EXPECT_EQ(run(runProfileList), tool_exit::kDone);
    EXPECT_EQ(out.str(), "  Game\n* Work\n");

    const auto remove = [&](const char* name, bool yes, const char* answer) {
        in.clear();
        in.str(answer);
        return run([&](ToolContext& c) { return runProfileDelete(c, name, yes); });
    };
    EXPECT_EQ(remove("Work", false, "n\n"), tool_exit::kDeclined);
    EXPECT_TRUE(std::filesystem::exists(file("Work")));
    ASSERT_EQ(remove("Work", false, "YES\n"), tool_exit::kDone);
    EXPECT_THAT(out.str(), HasSubstr("The profile \"Work\" is deleted. No profile is marked as "
                                     "the keyboard's now.\nThe rules for doom (/opt/doom) and "
                                     "every other application name it, and do nothing"));
    EXPECT_FALSE(std::filesystem::exists(file("Work")));
    EXPECT_EQ(run(runProfileList), tool_exit::kDone);
    EXPECT_EQ(out.str(), "  Game\n");
    EXPECT_EQ(remove("Game", true, ""), tool_exit::kUsage);
    EXPECT_EQ(err.str(),
              "The profile \"Game\" is the only one, and the last profile is always "
              "kept.\n");
    EXPECT_TRUE(std::filesystem::exists(file("Game")));
}

}  // namespace
}  // namespace tq260
