#pragma once

#include <string>
#include <vector>

namespace tq260 {

// The process's arguments as given, from the wide command line: the narrow argv Windows
// hands main holds only what the ANSI code page can spell, and a Chinese name becomes "?".
std::vector<std::u16string> windowsCommandLine();

}  // namespace tq260
