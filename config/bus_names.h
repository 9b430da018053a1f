#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tq260::bus {

// The running program's interface on the user's session bus, as the tool and the program
// both name it; the installed introspection file describes the same.
inline constexpr const char* kService = "org.tq260.Vantor";
inline constexpr const char* kObject = "/org/tq260/Vantor";
inline constexpr const char* kInterface = "org.tq260.Vantor1";

// What a call can fail with; each is a D-Bus error named kErrorPrefix + its name, whose
// message is the text the tool prints for it.
enum class Error {
    InvalidJson,     // the configuration was refused; nothing was written
    NoKeyboard,      // no keyboard is connected to the program
    NotAnswering,    // the keyboard did not answer, or its settings were never read
    Busy,            // a dialog stayed open or an operation ran past the wait
    UnsavedChanges,  // the window has edits a change would overwrite
    NoSuchProfile,   // no profile of that name
    BadProfile,      // the profile is empty or cannot be read
    InvalidName,     // a name no profile can have, or a seventh profile
    CannotWrite,     // a file could not be written
    NotInProfile,    // using a profile would drop a configuration no profile holds
};

inline constexpr const char* kErrorPrefix = "org.tq260.Vantor1.Error.";

std::string errorName(Error error);
// The error a D-Bus error name stands for; nothing for a name of someone else's.
std::optional<Error> errorNamed(std::string_view name);

}  // namespace tq260::bus
