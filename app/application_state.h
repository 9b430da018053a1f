#pragma once

#include <QString>

#include "app/file_path.h"
#include "app/start_up_settings.h"
#include "device/keyboard_state.h"
#include "keys/key_assignment.h"
#include "keys/key_name_table.h"
#include "keys/language.h"
#include "macro/macro_record.h"
#include "profiles/profile_store.h"

namespace tq260 {

// The program's shared state, one object owned by the application for the whole run.
struct ApplicationState {
    Language language = Language::English;
    QString applicationFolder;  // the program's folder, ending with a separator
    // Where keymap.bin, "MacroDefine.bin", the profiles and the virtual keyboard's memory
    // live, ending with a separator; the program's folder when empty.
    QString dataFolder;
    InstalledVersion installed;
    KeyboardState keyboard;
    Assignments assignments;
    KeyNameTable keyNames;
    MacroTables macros;
    // The profiles and which one the keyboard was last given, shared by the window, its
    // profile dialog and the notification area's menu.
    ProfileStore profiles;

    QString dataPath() const { return dataFolder.isEmpty() ? applicationFolder : dataFolder; }
    QString keymapPath() const { return dataPath() + QStringLiteral("keymap.bin"); }
    QString macroPath() const { return dataPath() + QStringLiteral("MacroDefine.bin"); }
    QString versionPath() const { return applicationFolder + QStringLiteral("VER.bin"); }
    std::filesystem::path dataFolderPath() const { return filePath(dataPath()); }
};

}  // namespace tq260
