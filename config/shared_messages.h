#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "config/bus_names.h"
#include "config/config_reader.h"
#include "profiles/profile_store.h"

namespace tq260 {

// What the tool prints and the program's bus interface answers, in the same words: a
// script sees one text whichever of the two did the work.

inline constexpr const char* kNoKeyboardText = "No TQ260 keyboard found.";
inline constexpr const char* kUnsavedChangesText =
    "The program's window has changes that are not saved: save or cancel them there, then "
    "try again.";
inline constexpr const char* kBusyText =
    "The program is busy (a dialog is open or the keyboard is being written): close the "
    "dialog or wait for it, then try again.";

// "The keyboard is not answering: what."
std::string notAnsweringText(const std::string& what);

// "2 errors; nothing was written." and a line for each, at its JSON pointer.
std::string rejectionText(const std::vector<ConfigError>& errors);

// A name or path from a file or the command line as a message shows it, in UTF-8: control
// characters and marks that turn the text's direction written out ("\x1b", "\u202e"), so that
// the message shows what is there and the terminal takes none of it as a command.
std::string shownText(std::u16string_view text);
std::string shownPath(const std::filesystem::path& path);
// The name in double quotes, shown so.
std::string quotedName(const std::u16string& name);
// That there is no such profile, and which profiles there are.
std::string noProfileNamed(const ProfileStore& store, const std::u16string& name);
// What a profile operation refused or failed at; empty when it was done.
std::string profileRefusal(const ProfileStore::Outcome& outcome, const std::u16string& name);
// The bus error of a refusal.
bus::Error profileRefusalError(ProfileStore::Result result);

}  // namespace tq260
