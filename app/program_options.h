#pragma once

#include <QString>
#include <QStringList>

namespace tq260 {

struct ProgramOptions {
    // Run on the virtual keyboard instead of a real one.
    bool virtualKeyboard = false;
    // Append every HID report to this file; empty for no trace (TQ260_HID_TRACE still applies).
    QString hidTraceFile;
};

ProgramOptions parseProgramOptions(const QStringList& arguments);

}  // namespace tq260
