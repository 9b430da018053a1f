#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "emulator/keyboard_faults.h"

namespace tq260 {

struct ProgramOptions {
    // Run on the virtual keyboard instead of a real one.
    bool virtualKeyboard = false;
    // Misbehaviour asked of the virtual keyboard; implies virtualKeyboard.
    std::optional<KeyboardFaults> keyboardFaults;
    // Append every HID report to this file; empty for no trace (TQ260_HID_TRACE still applies).
    QString hidTraceFile;
    // Ask the running copy to start what is assigned to this key (the launch-key message).
    std::optional<unsigned> launchKey;
    // Start hidden in the notification area (as the desktop starts it at login).
    bool hidden = false;
    // Start without the splash screen.
    bool noSplash = false;
    // Print how long start-up took and the memory used, then end.
    bool startUpReport = false;
    // What --help or --version asks to print; the program prints it and ends.
    QString answer;
    // What was wrong with the command line; the program says it and ends.
    QString error;
};

ProgramOptions parseProgramOptions(const QStringList& arguments);

}  // namespace tq260
