#include "profiles/profile_rule_marks.h"

#include <algorithm>

namespace tq260 {

std::vector<ProfileEntry> profileEntries(const ProfileStore& store) {
    std::vector<ProfileEntry> profiles;
    for (std::size_t row = 0; row < store.names().size(); ++row) {
        const ProfileCheck::State state = checkProfile(store.pathOf(row)).state;
        profiles.push_back(
            {store.names()[row], state != ProfileCheck::State::Usable,
             state == ProfileCheck::State::Damaged || state == ProfileCheck::State::Unreadable});
    }
    return profiles;
}

ProfileState profileState(const std::vector<ProfileEntry>& profiles, std::u16string_view name) {
    const auto found = std::find_if(profiles.begin(), profiles.end(),
                                    [&](const ProfileEntry& entry) { return entry.name == name; });
    if (found == profiles.end()) return ProfileState::Missing;
    if (found->damaged) return ProfileState::Damaged;
    return found->empty ? ProfileState::Empty : ProfileState::Usable;
}

bool executableUntold(const std::vector<FrontApplication>& known, std::string_view application) {
    bool seen = false;
    for (const FrontApplication& each : known) {
        if (!sameIgnoringCase(each.id, application)) continue;
        if (!each.executablePath.empty()) return false;
        seen = true;
    }
    return seen;
}

std::vector<RuleMarks> ruleMarks(const ProfileRules& rules,
                                 const std::vector<ProfileEntry>& profiles,
                                 const std::vector<FrontApplication>& known) {
    std::vector<RuleMarks> marks(rules.rules.size());
    for (std::size_t i = 0; i < rules.rules.size(); ++i) {
        const ProfileRule& rule = rules.rules[i];
        marks[i].profile = profileState(profiles, rule.profile);
        // An earlier rule that matches this rule's own application and executable matches
        // every window this one would.
        const FrontApplication matched{rule.application, rule.executablePath, false};
        for (std::size_t earlier = 0; earlier < i; ++earlier) {
            if (ruleMatches(rules.rules[earlier], matched)) {
                marks[i].hiddenBy = earlier;
                break;
            }
        }
        marks[i].executableUntold =
            !rule.executablePath.empty() && executableUntold(known, rule.application);
    }
    return marks;
}

}  // namespace tq260
