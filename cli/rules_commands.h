#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/tool_commands.h"

namespace tq260 {

// The rules that pick a profile by the application in front (profile-rules.json in the data
// folder). No keyboard is needed; the running program reads the file again when it changes.

// Whether the rules are on and said, each rule in order, and what every other application
// gets; a rule that cannot work (its profile missing or empty, or an earlier rule always
// wins) is marked.
int runRulesList(ToolContext& context);

// What a rules command changes.
struct RulesChange {
    enum class Kind { Add, Remove, Move, Otherwise, On, Off, NoticeOn, NoticeOff };
    Kind kind = Kind::Add;
    std::string application;
    std::string executablePath;  // empty: any executable
    // Add: the profile; Otherwise: the profile, or nothing to leave the keyboard as it is.
    std::optional<std::string> profile;
    // Move: the place it goes to, from 1.
    std::size_t position = 0;
};
// Add puts a rule where it can apply (placeForRule), or replaces the one for the same
// application and executable in its place; its profile must be one of the program's and hold
// settings. Remove takes every rule of the application away, or with a path only that one.
// Move puts that rule at the position given.
int runRulesChange(ToolContext& context, const RulesChange& change);

// The rules that name the profile, as rules list names them ("steam", "doom (/opt/doom)",
// "every other application"); none when the rules cannot be read.
std::vector<std::string> rulesNamingProfile(const std::filesystem::path& dataFolder,
                                            std::u16string_view profile);
// "a", "a and b", "a, b and c".
std::string joinedList(const std::vector<std::string>& items);

}  // namespace tq260
