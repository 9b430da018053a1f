// Which profile the rules give the application in front, and the switch that follows it
// only once that application has settled, on virtual time.
#include <gmock/gmock.h>

#include "profiles/front_profile_switcher.h"
#include "support/virtual_timers.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;

const ProfileRules kRules{
    true,
    {{"Steam", "", u"Game"}, {"doom", "/opt/doom/bin/doom", u"Doom"}, {"doom", "", u"Game"}},
    u"Desk"};

struct Pick {
    const char* id;
    const char* path;
    const char16_t* profile;  // nullptr: left as it is
};

TEST(ProfileRules, TheFirstRuleThatNamesTheApplicationWins) {
    for (const Pick& row :
         {Pick{"steam", "", u"Game"}, Pick{"STEAM", "/usr/bin/steam", u"Game"},
          Pick{"doom", "/opt/doom/bin/doom", u"Doom"}, Pick{"Doom", "/home/me/doom", u"Game"},
          Pick{"firefox", "", u"Desk"}, Pick{"", "", u"Desk"}}) {
        SCOPED_TRACE(row.id);
        EXPECT_EQ(profileFor(kRules, {row.id, row.path}), std::u16string(row.profile));
    }
    ProfileRules leave = kRules;
    leave.otherwise.reset();
    EXPECT_EQ(profileFor(leave, {"firefox", ""}), std::nullopt);
    ProfileRules off = kRules;
    off.enabled = false;
    EXPECT_EQ(profileFor(off, {"steam", ""}), std::nullopt);
    EXPECT_EQ(profileFor(kRules, {"steam", "", true}), std::nullopt);
}

TEST(ProfileRules, ARenamedProfileKeepsItsRules) {
    ProfileRules rules = kRules;
    EXPECT_THAT(rulesNaming(rules, u"Game").rules, ElementsAre(0u, 2u));
    EXPECT_TRUE(renameProfileInRules(rules, u"Game", u"Play"));
    EXPECT_EQ(rules.rules[0].profile, u"Play");
    EXPECT_EQ(rules.rules[2].profile, u"Play");
    EXPECT_EQ(rules.rules[1].profile, u"Doom");
    EXPECT_TRUE(renameProfileInRules(rules, u"Desk", u"Office"));
    EXPECT_EQ(rules.otherwise, u"Office");
    // Names are exact, as the profiles' files are.
    EXPECT_FALSE(renameProfileInRules(rules, u"doom", u"X"));
    EXPECT_FALSE(rulesNaming(rules, u"Game").any());
}

TEST(ProfileRules, ARuleForOneExecutableGoesBeforeItsApplicationsGeneralRule) {
    struct Row {
        ProfileRule rule;
        std::size_t place;
    };
    for (const Row& row : {Row{{"DOOM", "/home/me/doom", u"X"}, 2}, Row{{"doom", "", u"X"}, 3},
                           Row{{"steam", "/usr/bin/steam", u"X"}, 0},
                           Row{{"firefox", "/usr/bin/firefox", u"X"}, 3}}) {
        SCOPED_TRACE(row.rule.application + row.rule.executablePath);
        EXPECT_EQ(placeForRule(kRules, row.rule), row.place);
    }
}

class Switching : public ::testing::Test {
  protected:
    FrontProfileSwitcher switcher{timers,
                                  {[this]() -> const ProfileRules& { return rules; },
                                   [this] { return free; }, [this] { return active; },
                                   [this](const std::u16string& name) {
                                       used.push_back(name);
                                       active = name;
                                   }}};
    testing::VirtualTimers timers;
    ProfileRules rules = kRules;
    bool free = true;
    std::u16string active;
    std::vector<std::u16string> used;
};

TEST_F(Switching, OnlyAnApplicationThatStaysInFrontSwitches) {
    // A burst of Alt-Tab within the settle time: one switch, to where it ended.
    for (const char* id : {"steam", "firefox", "doom", "steam"}) {
        switcher.frontChanged({id, ""});
        timers.advance(FrontProfileSwitcher::kSettleMs - 1);
    }
    EXPECT_TRUE(used.empty());
    timers.advance(1);
    EXPECT_THAT(used, ElementsAre(u"Game"));
    // The program's own window between two of the same: nothing; the active one again: nothing.
    switcher.frontChanged({"tq260", "", true});
    switcher.frontChanged({"doom", ""});
    timers.advance(FrontProfileSwitcher::kSettleMs);
    EXPECT_THAT(used, ElementsAre(u"Game"));
    switcher.frontChanged({"firefox", ""});
    timers.advance(FrontProfileSwitcher::kSettleMs);
    EXPECT_THAT(used, ElementsAre(u"Game", u"Desk"));
}

TEST_F(Switching, WaitsWhileTheProgramCannotSwitch) {
    free = false;
    switcher.frontChanged({"steam", ""});
    timers.advance(10 * FrontProfileSwitcher::kSettleMs);
    EXPECT_TRUE(used.empty());
    free = true;
    timers.advance(FrontProfileSwitcher::kSettleMs);
    EXPECT_THAT(used, ElementsAre(u"Game"));
    // A change while it waits replaces what it waited to do.
    free = false;
    switcher.frontChanged({"firefox", ""});
    timers.advance(2 * FrontProfileSwitcher::kSettleMs);
    switcher.frontChanged({"steam", ""});
    free = true;
    timers.advance(5 * FrontProfileSwitcher::kSettleMs);
    EXPECT_THAT(used, ElementsAre(u"Game"));
}

}  // namespace
}  // namespace tq260
