#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/front_application.h"

namespace tq260 {

// Which profile goes with an application.
struct ProfileRule {
    std::string application;     // the id, matched without regard to case
    std::string executablePath;  // empty: any; else only this executable
    std::u16string profile;
    friend bool operator==(const ProfileRule&, const ProfileRule&) = default;
};

// The rules, in the order they are tried, and what goes with every other application.
struct ProfileRules {
    bool enabled = false;
    std::vector<ProfileRule> rules;
    // Nothing: the keyboard stays as it is for applications no rule names.
    std::optional<std::u16string> otherwise;
    // Whether the program says so (a notice from the tray) each time the rules switch.
    bool notice = false;
    friend bool operator==(const ProfileRules&, const ProfileRules&) = default;
};

// The profile the rules give the application: the first rule that names it, else the one
// for every other application; nothing to leave the keyboard as it is (the rules are off, or
// it is one of the program's own windows).
std::optional<std::u16string> profileFor(const ProfileRules& rules, const FrontApplication& front);

// Whether the rule names the application.
bool ruleMatches(const ProfileRule& rule, const FrontApplication& front);

// Where the rules name a profile: the places of the rules that give it, and whether every
// other application gets it.
struct ProfileMentions {
    std::vector<std::size_t> rules;
    bool otherwise = false;
    bool any() const { return otherwise || !rules.empty(); }
};
ProfileMentions rulesNaming(const ProfileRules& rules, std::u16string_view profile);

// A renamed profile keeps its rules: every mention of the old name becomes the new one.
// Whether anything changed.
bool renameProfileInRules(ProfileRules& rules, std::u16string_view from, std::u16string_view to);

// Where a new rule goes so that it can ever apply: a rule for one executable before the
// first rule of the same application for any executable (which would always win), else last.
std::size_t placeForRule(const ProfileRules& rules, const ProfileRule& rule);

}  // namespace tq260
