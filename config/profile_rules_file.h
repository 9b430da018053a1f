#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/config_reader.h"
#include "profiles/profile_rules.h"

namespace tq260 {

// The rules that pick a profile by the application in front, kept in the data folder.
inline constexpr const char* kProfileRulesFileName = "profile-rules.json";
// Far more than a list a person keeps; a larger file is not one of ours.
inline constexpr std::size_t kMaxProfileRulesBytes = 256 * 1024;
inline constexpr std::size_t kMaxProfileRules = 256;

struct ProfileRulesReading {
    enum class State { Absent, Read, Damaged };
    State state = State::Absent;
    ProfileRules rules;  // none, and off, unless Read
    // Damaged: what is wrong, at its JSON pointer.
    std::vector<ConfigError> errors;
};

// Reads the data folder's rules. A file that cannot be read or is not valid is Damaged: said,
// and never written over (see writeProfileRules).
ProfileRulesReading readProfileRules(const std::filesystem::path& dataFolder);

// A rule's id or path longer than any application's: the member ("application" or "path")
// and what it must be; nothing when both fit.
std::optional<std::pair<std::string, std::string>> ruleTooLong(std::string_view application,
                                                               std::string_view executablePath);

// {"format": 1, "enabled": …, "notice": …, "rules": [{"application", "path", "profile"}],
// "otherwise": profile or null}.
std::string profileRulesToJson(const ProfileRules& rules);

// Replaces the file in one step. Refused, with why, while the file there is damaged: a file
// a person may have meant to mend is never lost.
bool writeProfileRules(const std::filesystem::path& dataFolder, const ProfileRules& rules,
                       std::string& why);

// The data folder's rules follow a profile renamed from one name to another; the file is
// written only when a rule named it. False, with why, when the rules could not be read or
// written (the rename itself stands).
bool carryRulesToRenamedProfile(const std::filesystem::path& dataFolder, std::u16string_view from,
                                std::u16string_view to, std::string& why);

}  // namespace tq260
