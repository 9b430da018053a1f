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
    const char* told = "";    // the link the desktop named, where path is where it leads
};

TEST(ProfileRules, TheFirstRuleThatNamesTheApplicationWins) {
    for (const Pick& row :
         {Pick{"steam", "", u"Game"}, Pick{"STEAM", "/usr/bin/steam", u"Game"},
          Pick{"doom", "/opt/doom/bin/doom", u"Doom"}, Pick{"Doom", "/home/me/doom", u"Game"},
          Pick{"doom", "/opt/doom/lib/../bin//doom", u"Doom"},
          Pick{"doom", "/usr/lib/doom-real", u"Doom", "/opt/doom/bin/doom"},
          Pick{"firefox", "", u"Desk"}, Pick{"", "", u"Desk"}}) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(profileFor(kRules, {row.id, row.path, false, row.told}),
                  std::u16string(row.profile));
    }
    ProfileRules leave = kRules;
    leave.otherwise.reset();
    EXPECT_EQ(profileFor(leave, {"firefox", ""}), std::nullopt);
    ProfileRules off = kRules;
    off.enabled = false;
    EXPECT_EQ(profileFor(off, {"steam", ""}), std::nullopt);
    EXPECT_EQ(profileFor(kRules, {"steam", "", true}), std::nullopt);
}

// Ids match whatever their case, in every script with one, and whatever the locale.
TEST(ProfileRules, IdsMatchWithoutCaseInEveryScriptThatHasOne) {
    struct Row {
        const char* rule;
        const char* told;
        bool matches;
    };
    for (const Row& row : {
             Row{"Steam", "STEAM", true},
             Row{"Éditeur", "éDITEUR", true},        // Latin-1
             Row{"ŁÓDŹ", "łódź", true},              // Latin Extended-A
             Row{"Tiếng", "TIẾNG", true},            // Vietnamese
             Row{"ΣΩΜΑ", "σωμα", true},              // Greek
             Row{"Блокнот", "БЛОКНОТ", true},        // Cyrillic
             Row{"Ｓｔｅａｍ", "ｓＴＥＡＭ", true},  // full width
             Row{"记事本", "记事本", true},
             Row{"Блокнот", "Блокнож", false},
             Row{"steam", "steam2", false},
             Row{"é", "e", false},
             Row{"\xC3", "\xC3", true},  // not UTF-8: the same bytes
             Row{"\xC3", "\xE3", false},
         }) {
        SCOPED_TRACE(row.told);
        EXPECT_EQ(ruleMatches({row.rule, "", u"Game"}, {row.told, ""}), row.matches);
    }
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

using Hold = FrontProfileSwitcher::Hold;
using Unusable = FrontProfileSwitcher::Unusable;

class Switching : public ::testing::Test {
  protected:
    FrontProfileSwitcher switcher{
        timers,
        {[this]() -> const ProfileRules& { return rules; },
         [this](const std::u16string& name) { return name == u"Game" ? game : std::nullopt; },
         [this] { return hold; }, [this] { return active; },
         [this] {
             ++keptLooks;
             return kept;
         },
         [this](const std::u16string& name, std::function<void(bool)> sent) {
             used.push_back(name);
             sending = {name, std::move(sent)};
             if (sendsAtOnce) endSend(true);
         },
         [this](const FrontApplication& front, const std::u16string&, Hold why) {
             said.push_back(front.id + " waits " + std::to_string(int(why)));
         },
         [this](const FrontApplication& front, const std::u16string&, Unusable why) {
             said.push_back(front.id + " cannot " + std::to_string(int(why)));
         }}};
    // The keyboard has the profile (or not), as a send ends.
    void endSend(bool done) {
        if (done) active = sending.first;
        auto sent = std::move(sending.second);
        sending = {};
        sent(done);
    }
    void settleOn(const char* id) {
        switcher.frontChanged({id, ""});
        timers.advance(FrontProfileSwitcher::kSettleMs);
    }

    testing::VirtualTimers timers;
    ProfileRules rules = kRules;
    std::optional<Unusable> game;  // what is wrong with the profile Game
    std::optional<Hold> hold;
    bool kept = true;
    int keptLooks = 0;
    bool sendsAtOnce = true;
    std::pair<std::u16string, std::function<void(bool)>> sending;
    std::u16string active;
    std::vector<std::u16string> used;
    std::vector<std::string> said;
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
    settleOn("doom");
    EXPECT_THAT(used, ElementsAre(u"Game"));
    settleOn("firefox");
    EXPECT_THAT(used, ElementsAre(u"Game", u"Desk"));
    EXPECT_TRUE(said.empty());
}

// Waiting for the configuration to be kept, it looks less often the longer it waits (each
// look reads every profile), and at once when the profiles change; a wait the user ended by
// using the profile is said again the next time.
TEST_F(Switching, AWaitForAKeptConfigurationLooksLessOftenAndIsSaidAgainAfterItEnds) {
    settleOn("firefox");
    kept = false;
    settleOn("steam");
    timers.advance(60000);
    EXPECT_LE(keptLooks, 60000 / FrontProfileSwitcher::kLongestRecheckMs + 6);
    EXPECT_TRUE(used == std::vector<std::u16string>{u"Desk"});
    // Game used by hand ends the wait; Desk used by hand later, over a configuration kept
    // nowhere, starts another, which is said again.
    for (const char16_t* byHand : {u"Game", u"Desk"}) {
        active = byHand;
        switcher.rulesChanged();
        timers.advance(0);
    }
    EXPECT_THAT(said, ElementsAre("steam waits 4", "steam waits 4"));
}

// Each reason to wait: nothing sent while it lasts, said once, and the switch made once it
// ends.
TEST_F(Switching, WaitsWhileTheProgramCannotSwitchAndSaysSoOnce) {
    for (const Hold why :
         {Hold::Dialog, Hold::Busy, Hold::NoKeyboard, Hold::UnsavedEdits, Hold::NotInProfile}) {
        SCOPED_TRACE(static_cast<int>(why));
        settleOn("firefox");
        used.clear();
        said.clear();
        kept = why != Hold::NotInProfile;
        if (kept) hold = why;
        settleOn("steam");
        timers.advance(10 * FrontProfileSwitcher::kSettleMs);
        // Away and back while it waits: still once.
        settleOn("firefox");
        settleOn("steam");
        EXPECT_TRUE(used.empty());
        EXPECT_THAT(said, ElementsAre("steam waits " + std::to_string(int(why))));
        hold.reset();
        kept = true;
        timers.advance(FrontProfileSwitcher::kSettleMs);
        EXPECT_THAT(used, ElementsAre(u"Game"));
    }
    // Where the profile is the active one already there is nothing to wait for, nor to say.
    said.clear();
    hold = Hold::Dialog;
    settleOn("steam");
    EXPECT_TRUE(said.empty());
    // A change while it waits replaces what it waited to do.
    settleOn("firefox");
    timers.advance(2 * FrontProfileSwitcher::kSettleMs);
    switcher.frontChanged({"steam", ""});
    hold.reset();
    timers.advance(5 * FrontProfileSwitcher::kSettleMs);
    EXPECT_THAT(used, ElementsAre(u"Game"));
}

// However many applications come to the front, what the switcher remembers stays bounded.
TEST_F(Switching, RemembersABoundedNumberOfWaits) {
    hold = Hold::Dialog;
    rules.rules.push_back({"", "", u"Game"});
    rules.otherwise = u"Game";
    for (int i = 0; i < 1000; ++i) settleOn(("application " + std::to_string(i)).c_str());
    EXPECT_LE(switcher.toldCount(), FrontProfileSwitcher::kMaxTold);
    EXPECT_EQ(said.size(), 1000u);
}

// The application in front changes while its predecessor's profile is being sent: once the
// send ends, the keyboard is given the profile of the one in front then.
TEST_F(Switching, AChangeInFrontDuringASwitchIsNotLost) {
    sendsAtOnce = false;
    settleOn("firefox");
    endSend(true);
    settleOn("steam");
    // Back to firefox, whose Desk is still the active profile while Game is sent.
    settleOn("firefox");
    timers.advance(5 * FrontProfileSwitcher::kSettleMs);
    EXPECT_THAT(used, ElementsAre(u"Desk", u"Game"));
    endSend(true);
    timers.advance(0);
    EXPECT_THAT(used, ElementsAre(u"Desk", u"Game", u"Desk"));
    // A send that failed is not tried again and again; the next change tries.
    endSend(false);
    timers.advance(5 * FrontProfileSwitcher::kSettleMs);
    EXPECT_EQ(used.size(), 3u);
    settleOn("steam");  // Game is still the active one
    settleOn("firefox");
    EXPECT_THAT(used, ElementsAre(u"Desk", u"Game", u"Desk", u"Desk"));
    EXPECT_EQ(switcher.switches(), 4);
}

TEST_F(Switching, ARuleThatCannotWorkIsSaidOncePerProfileUntilTheRulesChange) {
    game = Unusable::Missing;
    settleOn("steam");
    settleOn("doom");  // Game too
    EXPECT_THAT(said, ElementsAre("steam cannot 0"));
    rules.notice = !rules.notice;
    settleOn("doom");
    // Usable once, then empty: said again.
    game.reset();
    hold = Hold::Busy;
    settleOn("steam");
    game = Unusable::Empty;
    settleOn("doom");
    EXPECT_THAT(said,
                ElementsAre("steam cannot 0", "doom cannot 0", "steam waits 1", "doom cannot 1"));
    EXPECT_TRUE(used.empty());
}

}  // namespace
}  // namespace tq260
