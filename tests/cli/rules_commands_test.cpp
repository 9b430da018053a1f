// tq260ctl rules: each change lands in profile-rules.json as the program reads it, and a
// change the rules cannot take is refused with nothing written.
#include "cli/rules_commands.h"

#include <gmock/gmock.h>

#include "config/profile_rules_file.h"
#include "tool_fixture.h"

namespace tq260 {
namespace {

using Kind = RulesChange::Kind;

class RulesCommands : public testing::ToolCommands {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(data / "Configure");
        for (const char* name : {"Configure/Game.bin", "Configure/Desk.bin"}) {
            std::ofstream(data / name) << std::string(16, '\1');
        }
    }
    int change(Kind kind, std::string application, std::optional<std::string> profile = {},
               std::string path = {}) {
        return run([&](ToolContext& context) {
            return runRulesChange(context, {kind, application, path, profile});
        });
    }
    ProfileRules rules() { return readProfileRules(data.path()).rules; }
};

TEST_F(RulesCommands, EachChangeIsWrittenAsTheProgramReadsIt) {
    EXPECT_EQ(change(Kind::Add, "steam", "Game"), tool_exit::kDone);
    EXPECT_EQ(change(Kind::Add, "doom", "Desk.bin", "/opt/doom"), tool_exit::kDone);
    // The same application again is replaced in its place, whatever the case.
    EXPECT_EQ(change(Kind::Add, "Steam", "Desk"), tool_exit::kDone);
    EXPECT_EQ(change(Kind::Otherwise, "", "Game"), tool_exit::kDone);
    EXPECT_EQ(change(Kind::On, ""), tool_exit::kDone);
    EXPECT_EQ(
        rules(),
        (ProfileRules{true, {{"Steam", "", u"Desk"}, {"doom", "/opt/doom", u"Desk"}}, u"Game"}));
    EXPECT_THAT(out.str(), ::testing::HasSubstr("2. doom (/opt/doom) -> \"Desk\""));
    EXPECT_EQ(change(Kind::Remove, "steam"), tool_exit::kDone);
    EXPECT_EQ(change(Kind::Otherwise, ""), tool_exit::kDone);
    EXPECT_EQ(rules(), (ProfileRules{true, {{"doom", "/opt/doom", u"Desk"}}, std::nullopt}));
}

TEST_F(RulesCommands, ARefusedChangeWritesNothing) {
    ASSERT_EQ(change(Kind::Add, "steam", "Game"), tool_exit::kDone);
    const ProfileRules before = rules();
    struct Row {
        Kind kind;
        const char* application;
        std::optional<std::string> profile;
        const char* path;
        int exitCode;
        const char* said;
    };
    for (const Row& row :
         {Row{Kind::Add, "doom", "Nope", "", tool_exit::kBadFile, "no profile named \"Nope\""},
          Row{Kind::Add, "", "Game", "", tool_exit::kUsage, "must not be empty"},
          Row{Kind::Remove,
              "steam",
              {},
              "/usr/bin/steam",
              tool_exit::kBadFile,
              "no rule for steam (/usr/bin/steam)"},
          Row{Kind::Otherwise, "", "Nope", "", tool_exit::kBadFile, "Nope"}}) {
        SCOPED_TRACE(row.said);
        EXPECT_EQ(change(row.kind, row.application, row.profile, row.path), row.exitCode);
        EXPECT_THAT(err.str(), ::testing::HasSubstr(row.said));
        EXPECT_EQ(rules(), before);
    }
}

}  // namespace
}  // namespace tq260
