// profile-rules.json: written in one step and read back as it was; a damaged file is said,
// at its JSON pointer, and never written over.
#include "config/profile_rules_file.h"

#include <gmock/gmock.h>

#include "support/temporary_folder.h"

namespace tq260 {
namespace {

using ::testing::HasSubstr;
using State = ProfileRulesReading::State;

TEST(ProfileRulesFile, WrittenRulesAreReadBackAsTheyWere) {
    testing::TemporaryFolder data;
    EXPECT_EQ(readProfileRules(data.path()).state, State::Absent);
    const ProfileRules rules{
        true, {{"steam", "", u"游戏"}, {"Doom", "/opt/doom/doom", u"Game"}}, std::nullopt};
    std::string why;
    ASSERT_TRUE(writeProfileRules(data.path(), rules, why)) << why;
    const ProfileRulesReading read = readProfileRules(data.path());
    EXPECT_EQ(read.state, State::Read);
    EXPECT_EQ(read.rules, rules);
    // One no application could match is not written.
    ProfileRules longer = rules;
    longer.rules[1].executablePath = "/" + std::string(511, 'p');
    EXPECT_FALSE(writeProfileRules(data.path(), longer, why));
    EXPECT_EQ(why,
              "Rule 2: its executable's path must be at most 511 bytes, as every "
              "executable's path is.");
    EXPECT_EQ(readProfileRules(data.path()).rules, rules);
}

TEST(ProfileRulesFile, ADamagedFileIsSaidAndNeverWrittenOver) {
    struct Row {
        std::string text;
        const char* said;
    };
    for (const Row& row :
         {Row{"{\"format\": 1, \"rules\": [", "not valid JSON"}, Row{"{\"format\": 2}", "/format"},
          Row{R"({"format": 1, "rules": [{"application": "", "profile": "Game"}]})",
              "/rules/0/application"},
          Row{R"({"format": 1, "rules": [{"application": "a", "profile": 3}]})",
              "/rules/0/profile"},
          Row{R"({"format": 1, "enabled": "yes"})", "/enabled"},
          Row{R"({"format": 1, "rules": [{"application": ")" + std::string(256, 'a') +
                  R"(", "profile": "Game"}]})",
              "/rules/0/application: must be at most 255 bytes"},
          Row{R"({"format": 1, "rules": [], "rules": []})", "/"}}) {
        SCOPED_TRACE(row.text);
        testing::TemporaryFolder data;
        const auto file = data.path() / kProfileRulesFileName;
        std::ofstream(file) << row.text;
        const ProfileRulesReading read = readProfileRules(data.path());
        EXPECT_EQ(read.state, State::Damaged);
        EXPECT_FALSE(read.rules.enabled);
        EXPECT_THAT(describeErrors(read.errors), HasSubstr(row.said));
        std::string why;
        EXPECT_FALSE(writeProfileRules(data.path(), ProfileRules{true, {}, u"Desk"}, why));
        EXPECT_THAT(why, HasSubstr("is damaged"));
        std::ifstream in(file);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), row.text);
    }
}

}  // namespace
}  // namespace tq260
