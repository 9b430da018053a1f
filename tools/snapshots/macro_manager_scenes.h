#pragma once

#include <QString>

#include "keys/language.h"

namespace tq260::snapshots {

// The macro manager empty, with macros, recording, with its context menu open and with a
// macro longer than the keyboard holds.
void writeMacroManager(const QString& app, Language language, const QString& out,
                       const QString& suffix);

}  // namespace tq260::snapshots
