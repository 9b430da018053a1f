#pragma once

#include <QString>

#include "keys/keymap_file.h"
#include "read_window.h"

namespace tq260 {

// The window, read, with Game (what the keyboard holds) and Desk on disk, and others beside:
// Desk differs in one key and the lighting.
struct TwoProfiles : ReadWindow {
    TwoProfiles(const QString& applicationFolder, int others) : ReadWindow(applicationFolder) {
        DeviceSettings settings;
        {
            std::lock_guard lock(appState.keyboard.recordMutex);
            settings = appState.keyboard.settings;
        }
        const auto write = [&](const QString& name, const DeviceSettings& s) {
            saveKeymapFile(scratch.filePath("Configure/" + name + ".bin").toStdString(), s,
                           *appState.assignments.table);
        };
        write("Game", settings);
        for (int i = 0; i < others; ++i) {
            DeviceSettings other = settings;
            other.macroBlocks[0][0] = static_cast<std::uint8_t>(i + 1);
            write(QStringLiteral("Other %1").arg(i), other);
        }
        settings.keyTable[64] = {3, 0, 0xE9, 0};
        settings.lighting.effect = 6;
        write("Desk", settings);
    }
};

}  // namespace tq260
