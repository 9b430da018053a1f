#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "keys/key_assignment.h"
#include "platform/shell_launcher.h"

namespace tq260 {

struct LaunchTarget {
    std::u16string folder;
    std::u16string file;
    friend bool operator==(const LaunchTarget&, const LaunchTarget&) = default;
};

// The file or folder the first launch record of a key (its identity equal to the low byte
// of the virtual-key code) opens: the path split at its last separator into folder and file.
std::optional<LaunchTarget> launchTargetForKey(const AssignmentTable& table,
                                               std::uint32_t virtualKey);

// Whether any key's stored assignment opens a file or folder.
bool hasLaunchAssignment(const AssignmentTable& table);

// What came of a launch, and the path it was for.
struct LaunchOutcome {
    enum Kind { NothingAssigned, Opened, NotFound, Failed } kind = NothingAssigned;
    std::u16string path;
};

// Opens it. Without a launch record or a file name nothing happens; a file or folder that
// is gone, or that nothing could open, is reported so the user can be told.
LaunchOutcome launchForKey(const AssignmentTable& table, std::uint32_t virtualKey,
                           ShellLauncher& shell);

// A virtual-key code as another copy of the program or the command line gives it: one to
// three decimal digits, 0..255, and nothing else. Anything else is nothing: a key code
// taken modulo 256 would start what belongs to another key.
std::optional<std::uint8_t> parseVirtualKeyCode(std::string_view text);

}  // namespace tq260
