#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "emulator/virtual_keyboard.h"

namespace tq260 {

// Misbehaviour a person can ask of the virtual keyboard when starting the program, to see
// what the program does with a keyboard that goes wrong.
struct KeyboardFaults {
    bool silent = false;          // answers nothing from the start
    int silentAfterCommands = 0;  // falls silent after this many commands (0: never)
    int lateAnswerMs = 0;         // every answer this late
    int lostReports = 0;          // this many block reports never arrive
    int unplugAfterReports = 0;   // unplugs itself after this many block reports (0: never)

    friend bool operator==(const KeyboardFaults&, const KeyboardFaults&) = default;
};

inline constexpr const char* kKeyboardFaultsSyntax =
    "silent, silent-after=N, late=MS, lose=N, unplug-after=N (comma separated)";

// Reads a comma-separated list such as "late=300,lose=2". Each number is 0..1000000 in
// decimal. Says what it did not understand in error.
std::optional<KeyboardFaults> parseKeyboardFaults(std::string_view text, std::string& error);

void applyKeyboardFaults(const KeyboardFaults& faults, VirtualKeyboard& keyboard);

}  // namespace tq260
