#include "profiles/profile_rules.h"

#include <filesystem>

namespace tq260 {

namespace {

// The path without "." and ".." and doubled separators, in UTF-8 whatever the system.
std::string plainPath(const std::string& path) {
    const std::u8string normal = std::filesystem::path(std::u8string(path.begin(), path.end()))
                                     .lexically_normal()
                                     .u8string();
    return {normal.begin(), normal.end()};
}

bool sameExecutable(const std::string& rulePath, const std::string& path) {
    if (path.empty()) return false;
        // A rule's path as typed ("/usr/bin/../games/x") names the same file as the one told.
#ifdef _WIN32
    // Windows' paths are the same whatever their case.
    return sameIgnoringCase(rulePath, path) ||
           sameIgnoringCase(plainPath(rulePath), plainPath(path));
#else
    return rulePath == path || plainPath(rulePath) == plainPath(path);
#endif
}

}  // namespace

bool ruleMatches(const ProfileRule& rule, const FrontApplication& front) {
    if (rule.application.empty() || !sameIgnoringCase(rule.application, front.id)) return false;
    if (rule.executablePath.empty()) return true;
    // The executable where its links lead, or the link the desktop named: a rule written
    // with either matches. Where links lead is found by whoever tells the path in front,
    // off the main thread the rules are compared on.
    return sameExecutable(rule.executablePath, front.executablePath) ||
           sameExecutable(rule.executablePath, front.toldPath);
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
