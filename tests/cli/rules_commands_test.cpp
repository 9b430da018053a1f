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
            // The settings alone, each value one the keyboard takes.
            std::ofstream(data / name) << std::string(2412, '\1');
        }
        // Made by New and never saved into: a rule for it would do nothing.
        std::ofstream(data / "Configure/Empty.bin") << std::string(2412, '\0');
    }
    int change(Kind kind, std::string application, std::optional<std::string> profile = {},
               std::string path = {}, std::size_t position = 0) {
        return run([&](ToolContext& context) {
            return runRulesChange(context, {kind, application, path, profile, position});
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
    const std::string longId(256, 'a');
    const std::string longPath = "/" + std::string(511, 'p');
    for (const Row& row :
         {Row{Kind::Add, "doom", "Nope", "", tool_exit::kBadFile, "no profile named \"Nope\""},
          Row{Kind::Add, longId.c_str(), "Game", "", tool_exit::kUsage, "at most 255 bytes"},
          Row{Kind::Add, "doom", "Game", longPath.c_str(), tool_exit::kUsage,
              "--path must be at most 511 bytes"},
          Row{Kind::Add, "", "Game", "", tool_exit::kUsage, "must not be empty"},
          Row{Kind::Remove,
              "steam",
              {},
              "/usr/bin/steam",
              tool_exit::kBadFile,
              "no rule for steam (/usr/bin/steam)"},
          Row{Kind::Otherwise, "", "Nope", "", tool_exit::kBadFile, "Nope"},
          Row{Kind::Add, "doom", "Empty", "", tool_exit::kBadFile,
              "A rule cannot give the profile \"Empty\": the profile is empty"},
          Row{Kind::Otherwise, "", "Empty", "", tool_exit::kBadFile, "the profile is empty"},
          Row{Kind::Add, "doom", "a/b", "", tool_exit::kUsage, "cannot be a profile's name"},
          Row{Kind::Move, "steam", {}, "/x", tool_exit::kBadFile, "no rule for steam (/x)"},
          Row{Kind::Move, "steam", {}, "", tool_exit::kUsage, "--to 0 is outside 1..1"}}) {
        SCOPED_TRACE(row.said);
        EXPECT_EQ(change(row.kind, row.application, row.profile, row.path), row.exitCode);
        EXPECT_THAT(err.str(), ::testing::HasSubstr(row.said));
        EXPECT_EQ(rules(), before);
    }
}

// A rule for one executable goes before the application's rule for any executable, which
// would always win; rules move, remove takes every rule of the application, and the list
// marks what cannot work.
TEST_F(RulesCommands, RulesGoWhereTheyCanApplyMoveAndAreMarkedWhenTheyCannot) {
    ASSERT_EQ(change(Kind::Add, "steam", "Game"), tool_exit::kDone);
    ASSERT_EQ(change(Kind::Add, "doom", "Desk"), tool_exit::kDone);
    ASSERT_EQ(change(Kind::Add, "Steam", "Desk", "/opt/steam"), tool_exit::kDone);
    EXPECT_EQ(rules().rules, (std::vector<ProfileRule>{{"Steam", "/opt/steam", u"Desk"},
                                                       {"steam", "", u"Game"},
                                                       {"doom", "", u"Desk"}}));
    ASSERT_EQ(change(Kind::Move, "steam", {}, "/opt/steam", 3), tool_exit::kDone);
    EXPECT_THAT(out.str(), ::testing::HasSubstr("  3. Steam (/opt/steam) -> \"Desk\"  (never "
                                                "applies: rule 1 comes first)\n"));
    ASSERT_EQ(change(Kind::NoticeOn, ""), tool_exit::kDone);
    EXPECT_TRUE(rules().notice);
    std::string why;
    ASSERT_TRUE(
        writeProfileRules(data.path(), {false, {{"doom", "", u"Empty"}}, u"Gone", true}, why));
    ASSERT_EQ(run(runRulesList), tool_exit::kDone);
    EXPECT_EQ(out.str(),
              "Profiles by the application in front: off; each switch is said.\n"
              "  1. doom -> \"Empty\"  (does nothing: the profile is empty)\n"
              "  Everything else -> \"Gone\"  (does nothing: there is no such profile)\n");
    ASSERT_TRUE(writeProfileRules(
        data.path(),
        {false, {{"steam", "/a", u"Game"}, {"doom", "", u"Game"}, {"STEAM", "", u"Desk"}}, {}},
        why));
    ASSERT_EQ(change(Kind::Remove, "steam"), tool_exit::kDone);
    EXPECT_EQ(rules().rules, (std::vector<ProfileRule>{{"doom", "", u"Game"}}));
}

// rules list marks every reason a rule cannot work, as the rules window does: an earlier rule
// that wins and a missing profile both, and a damaged profile.
TEST_F(RulesCommands, ListMarksAMissingOrDamagedProfileAlsoBehindAnEarlierRule) {
    std::ofstream(data / "Configure/Broken.bin") << std::string(1000, '\1');
    std::string why;
    ASSERT_TRUE(writeProfileRules(data.path(),
                                  {true,
                                   {{"steam", "", u"Game"},
                                    {"Steam", "/opt/steam", u"Gone"},
                                    {"doom", "", u"Broken"},
                                    {"quake", "", u"Desk"}},
                                   u"Gone"},
                                  why));
    ASSERT_EQ(run(runRulesList), tool_exit::kDone);
    EXPECT_EQ(out.str(),
              "Profiles by the application in front: on; each switch is not said.\n"
              "  1. steam -> \"Game\"\n"
              "  2. Steam (/opt/steam) -> \"Gone\"  (never applies: rule 1 comes first)  (does "
              "nothing: there is no such profile)\n"
              "  3. doom -> \"Broken\"  (does nothing: the profile is damaged; tq260ctl profile "
              "show says how)\n"
              "  4. quake -> \"Desk\"\n"
              "  Everything else -> \"Gone\"  (does nothing: there is no such profile)\n");
    EXPECT_EQ(change(Kind::Add, "doom", "Broken"), tool_exit::kBadFile);
    EXPECT_THAT(err.str(), ::testing::HasSubstr("the profile is damaged"));
}

}  // namespace
}  // namespace tq260
