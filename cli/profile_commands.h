#pragma once

#include <string>

#include "cli/tool_commands.h"
#include "config/profile_use.h"

namespace tq260 {

// The profiles in the program's data folder, worked on through the program's own store.

// The names, the active one marked with "*", and those that hold nothing yet said. No
// keyboard is needed.
int runProfileList(ToolContext& context);
// Gives the keyboard the profile, sending only what differs from what it holds, and
// remembers it as the active one. A configuration no profile holds is never dropped unasked:
// refused (5) unless unkept says to keep it or let it go.
int runProfileUse(ToolContext& context, const std::string& name, Unkept unkept = Unkept::Refuse);
// The keyboard's configuration (read over keymap.bin, as dump reads it) into the profile,
// made when missing; it is then the active one.
int runProfileSave(ToolContext& context, const std::string& name);
// The profile as JSON (format 1). No keyboard is needed.
int runProfileShow(ToolContext& context, const std::string& name);
// Renames the profile by the store's rules; the active mark and the rules that name it follow.
// Files only, also while the program runs (it reads the folder again).
int runProfileRename(ToolContext& context, const std::string& from, const std::string& to);
// Deletes the profile after asking (unless confirmed); the last one is kept. The active mark
// goes with it, and the rules that now name no profile are said.
int runProfileDelete(ToolContext& context, const std::string& name, bool confirmed);

}  // namespace tq260
