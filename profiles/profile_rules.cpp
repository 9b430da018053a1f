#include "profiles/profile_rules.h"

namespace tq260 {

bool ruleMatches(const ProfileRule& rule, const FrontApplication& front) {
    if (rule.application.empty() || !sameIgnoringCase(rule.application, front.id)) return false;
    if (rule.executablePath.empty()) return true;
#ifdef _WIN32
    // Windows' paths are the same whatever their case.
    return sameIgnoringCase(rule.executablePath, front.executablePath);
#else
    return rule.executablePath == front.executablePath;
#endif
}

std::optional<std::u16string> profileFor(const ProfileRules& rules, const FrontApplication& front) {
    if (!rules.enabled || front.ownWindow) return std::nullopt;
    for (const ProfileRule& rule : rules.rules) {
        if (ruleMatches(rule, front)) return rule.profile;
    }
    return rules.otherwise;
}

}  // namespace tq260
