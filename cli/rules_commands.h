#pragma once

#include <optional>
#include <string>

#include "cli/tool_commands.h"

namespace tq260 {

// The rules that pick a profile by the application in front (profile-rules.json in the data
// folder). No keyboard is needed; the running program reads the file again when it changes.

// Whether the rules are on, each rule in order, and what every other application gets.
int runRulesList(ToolContext& context);

// What a rules command changes.
struct RulesChange {
    enum class Kind { Add, Remove, Otherwise, On, Off };
    Kind kind = Kind::Add;
    std::string application;
    std::string executablePath;  // empty: any executable
    // Add: the profile; Otherwise: the profile, or nothing to leave the keyboard as it is.
    std::optional<std::string> profile;
};
// Add puts the rule last, or replaces the one for the same application and executable in
// its place; the profile must be one of the program's. Remove takes that rule away.
int runRulesChange(ToolContext& context, const RulesChange& change);

}  // namespace tq260
