#pragma once

#include <QString>

#include "app/start_up_settings.h"
#include "device/keyboard_state.h"
#include "keys/key_assignment.h"
#include "keys/key_name_table.h"
#include "keys/language.h"
#include "macro/macro_record.h"

namespace tq260 {

// The program's shared state, one object owned by the application for the whole run.
struct ApplicationState {
    Language language = Language::English;
    QString applicationFolder;  // the program's folder, ending with a separator
    InstalledVersion installed;
    KeyboardState keyboard;
    Assignments assignments;
    KeyNameTable keyNames;
    MacroTables macros;

    QString keymapPath() const { return applicationFolder + QStringLiteral("keymap.bin"); }
    QString macroPath() const { return applicationFolder + QStringLiteral("MacroDefine.bin"); }
    QString versionPath() const { return applicationFolder + QStringLiteral("VER.bin"); }
};

}  // namespace tq260
