#pragma once

#include <string>

#include "cli/tool_commands.h"

namespace tq260 {

// The profiles in the program's data folder, worked on through the program's own store.

// The names, the active one marked with "*", and those that hold nothing yet said. No
// keyboard is needed.
int runProfileList(ToolContext& context);
// Gives the keyboard the profile, sending only what differs from what it holds, and
// remembers it as the active one.
int runProfileUse(ToolContext& context, const std::string& name);
// The keyboard's configuration (read over keymap.bin, as dump reads it) into the profile,
// made when missing; it is then the active one.
int runProfileSave(ToolContext& context, const std::string& name);
// The profile as JSON (format 1). No keyboard is needed.
int runProfileShow(ToolContext& context, const std::string& name);

}  // namespace tq260
