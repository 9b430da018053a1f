#include "cli/profile_commands.h"

#include <gmock/gmock.h>

#include "keys/keymap_file.h"
#include "platform/atomic_file.h"
#include "tool_fixture.h"

namespace tq260 {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using testing::writeRawFile;

class ProfileCommands : public testing::ToolCommands {
  protected:
    int profile(int (*command)(ToolContext&, const std::string&), const std::string& name) {
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
    ASSERT_EQ(profile(runProfileUse, "游戏 Game"), tool_exit::kDone);
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
        int (*command)(ToolContext&, const std::string&);
        std::string name;
        int exit;
        std::string said;
    };
    const Case cases[] = {
        {runProfileUse, "Nope", tool_exit::kBadFile,
         "There is no profile named \"Nope\". The profiles are \"Game\", \"New\", \"P3\", \"P4\", "
         "\"P5\", \"P6\".\n"},
        {runProfileShow, "Nope", tool_exit::kBadFile, "There is no profile named \"Nope\"."},
        {runProfileUse, "New", tool_exit::kBadFile,
         "The profile \"New\" is empty: it holds no keyboard settings yet.\n"},
        {runProfileShow, "New", tool_exit::kBadFile, "The profile \"New\" is empty"},
        {runProfileSave, "a/b", tool_exit::kUsage, "\"a/b\" cannot be a profile's name"},
        {runProfileSave, "Seventh", tool_exit::kUsage, "There are six profiles already"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(profile(c.command, c.name), c.exit) << c.said;
        EXPECT_THAT(err.str(), StartsWith(c.said));
        EXPECT_TRUE(keyboard.wireLog().lines().empty()) << c.said;
    }
    EXPECT_EQ(run(runProfileList), tool_exit::kDone);
    EXPECT_THAT(out.str(), StartsWith("* Game\n"));
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

}  // namespace
}  // namespace tq260
