#include "profiles/profile_rules.h"

#include <filesystem>

namespace tq260 {

bool ruleMatches(const ProfileRule& rule, const FrontApplication& front) {
    if (rule.application.empty() || !sameIgnoringCase(rule.application, front.id)) return false;
    if (rule.executablePath.empty()) return true;
#ifdef _WIN32
    // Windows' paths are the same whatever their case.
    return sameIgnoringCase(rule.executablePath, front.executablePath);
#else
    // A rule's path as typed ("/usr/bin/../games/x") names the same file as the one the
    // system tells; where a symbolic link leads is left to whoever tells the path in front.
    return rule.executablePath == front.executablePath ||
           std::filesystem::path(rule.executablePath).lexically_normal() ==
               std::filesystem::path(front.executablePath).lexically_normal();
#endif
}

std::optional<std::u16string> profileFor(const ProfileRules& rules, const FrontApplication& front) {
    if (!rules.enabled || front.ownWindow) return std::nullopt;
    for (const ProfileRule& rule : rules.rules) {
        if (ruleMatches(rule, front)) return rule.profile;
    }
    return rules.otherwise;
}

ProfileMentions rulesNaming(const ProfileRules& rules, std::u16string_view profile) {
    ProfileMentions mentions;
    for (std::size_t i = 0; i < rules.rules.size(); ++i) {
        if (rules.rules[i].profile == profile) mentions.rules.push_back(i);
    }
    mentions.otherwise = rules.otherwise == profile;
    return mentions;
}

bool renameProfileInRules(ProfileRules& rules, std::u16string_view from, std::u16string_view to) {
    const ProfileMentions mentions = rulesNaming(rules, from);
    for (const std::size_t i : mentions.rules) rules.rules[i].profile = to;
    if (mentions.otherwise) rules.otherwise = std::u16string(to);
    return mentions.any() && from != to;
}

std::size_t placeForRule(const ProfileRules& rules, const ProfileRule& rule) {
    if (!rule.executablePath.empty()) {
        for (std::size_t i = 0; i < rules.rules.size(); ++i) {
            const ProfileRule& each = rules.rules[i];
            if (each.executablePath.empty() &&
                sameIgnoringCase(each.application, rule.application)) {
                return i;
            }
        }
    }
    return rules.rules.size();
}

}  // namespace tq260
