#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tq260 {

// The desktop's list of programs started at login (XDG autostart): one entry file that
// starts the program hidden in the notification area.
inline constexpr const char* kDesktopEntryId = "org.tq260.vantor";
inline constexpr const char* kStartHiddenOption = "--hidden";

// $XDG_CONFIG_HOME/autostart/org.tq260.vantor.desktop, else under ~/.config; empty when
// neither is known.
std::filesystem::path autostartEntryPath();

// The entry that starts this program file hidden; nothing for a path a desktop entry cannot
// hold (a line break in it).
std::optional<std::string> autostartEntryText(const std::filesystem::path& program);

// Whether the entry is there.
bool startsWithDesktop(const std::filesystem::path& entry);

// Writes the entry (in one step) or removes it; false when that could not be done.
bool setStartWithDesktop(const std::filesystem::path& entry, const std::filesystem::path& program,
                         bool on);

}  // namespace tq260
