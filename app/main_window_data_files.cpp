// The main window's data files, keymap.bin and "MacroDefine.bin": read once the keyboard is
// held, saved without ever writing over a file that could not be read or that another
// program changed, and what went wrong said once.

#include <QDir>

#include "app/file_path.h"
#include "app/main_window.h"
#include "keys/keymap_file.h"
#include "macro/macro_file.h"

namespace tq260 {

void CGameKeyboardDlg::saveKeymap() {
    save(keymapFile_, state_.keymapPath(), [this] {
        std::lock_guard lock(state_.keyboard.recordMutex);
        return saveKeymapFile(filePath(state_.keymapPath()), state_.keyboard.settings,
                              *state_.assignments.table);
    });
}

void CGameKeyboardDlg::saveKeymapFromShadows() {
    save(keymapFile_, state_.keymapPath(), [this] {
        std::lock_guard lock(state_.keyboard.recordMutex);
        return saveKeymapFile(filePath(state_.keymapPath()), state_.keyboard.shadow.record(),
                              *state_.assignments.shadow);
    });
}

void CGameKeyboardDlg::noteLoad(SavedFile& file, DataFileLoad load, const QString& path,
                                const std::filesystem::path& keptAside) {
    file.loaded = true;
    file.unreadable = load == DataFileLoad::Unreadable;
    file.changeTold = false;
    file.stamp = fileStamp(filePath(path));
    const QString shown = QDir::toNativeSeparators(path);
    // Said once the keyboard's read has started: the files are read while it is held, and a
    // message box then would hold the read up.
    const auto warnLater = [this](std::u16string text) {
        mainThread_.post([this, text = std::move(text)] {
            services_.messages.warn(text, text16(kTitle, "TQ260 104vez星岚版"));
        });
    };
    if (load == DataFileLoad::Damaged) {
        warnLater(toU16(text("This file was shorter than it should be. What it held was read; the "
                             "damaged file is kept as %2, and a new one is saved in its place:\n%1",
                             "此文件比应有的短。已读取其中的内容；损坏的文件保留为 "
                             "%2，并在原处保存新文件：\n%1")
                            .arg(shown, QDir::toNativeSeparators(QString::fromStdU16String(
                                            keptAside.filename().u16string())))));
    }
    if (!file.unreadable) return;
    warnLater(
        toU16(text("This file exists but cannot be read. It is left as it is, and nothing is "
                   "saved into it until the program starts again:\n%1",
                   "此文件存在但无法读取。程序不会改动它，在重新启动之前也不会向其中保存：\n%1")
                  .arg(shown)));
}

void CGameKeyboardDlg::save(SavedFile& file, const QString& path,
                            const std::function<bool()>& write) {
    if (!file.loaded || file.unreadable) return;
    const auto now = fileStamp(filePath(path));
    if (now && now != file.stamp) {
        // Another program wrote it: what it wrote is kept, not replaced by an older copy.
        if (file.changeTold) return;
        file.changeTold = true;
        services_.messages.warn(
            toU16(text("This file was changed by another program. It is left as it is, and read "
                       "again when the keyboard is next connected; changes made here until then "
                       "are not saved into it:\n%1",
                       "此文件已被其他程序更改。程序不会改动它，并会在下次连接键盘时重新读取；"
                       "在此之前所做的更改不会保存到其中：\n%1")
                      .arg(QDir::toNativeSeparators(path))),
            text16(kTitle, "TQ260 104vez星岚版"));
        return;
    }
    if (write()) {
        file.failureTold = false;
        file.stamp = fileStamp(filePath(path));
        return;
    }
    if (file.failureTold) return;
    file.failureTold = true;
    const QString text =
        isReadOnlyFile(filePath(path))
            ? this->text("This file is read-only, so changes are not saved to it:\n%1",
                         "此文件为只读，更改不会保存到其中：\n%1")
            : this->text("Changes could not be saved to this file:\n%1",
                         "无法将更改保存到此文件：\n%1");
    services_.messages.warn(toU16(text.arg(QDir::toNativeSeparators(path))),
                            text16(kTitle, "TQ260 104vez星岚版"));
}

void CGameKeyboardDlg::loadMacroFile() {
    std::filesystem::path keptAside;
    const DataFileLoad load =
        tq260::loadMacroFile(filePath(state_.macroPath()), *state_.macros.saved, &keptAside);
    noteLoad(macroFile_, load, state_.macroPath(), keptAside);
}

void CGameKeyboardDlg::loadKeymapFile() {
    std::filesystem::path keptAside;
    DataFileLoad load;
    {
        std::lock_guard lock(state_.keyboard.recordMutex);
        load = LoadKeymapFile(filePath(state_.keymapPath()), false, state_.keyboard.settings,
                              *state_.assignments.table, &keptAside);
        // What the file holds is what is saved: Cancel and Close go back to it, not to an
        // older copy.
        *state_.assignments.shadow = *state_.assignments.table;
    }
    noteLoad(keymapFile_, load, state_.keymapPath(), keptAside);
}

void CGameKeyboardDlg::loadDataFiles() {
    // Saves that were killed half-way left their temporaries beside the files.
    removeStaleTemporaries(filePath(state_.dataPath()));
    removeStaleTemporaries(filePath(state_.dataPath() + QStringLiteral("Configure")));
    loadMacroFile();
    loadKeymapFile();
}

void CGameKeyboardDlg::onKeyboardHeld() {
    // The tool may have given the keyboard another profile while it was not held here.
    refreshProfiles();
    if (!keymapFile_.loaded) {
        loadDataFiles();
        return;
    }
    if (fileStamp(filePath(state_.macroPath())) != macroFile_.stamp) loadMacroFile();
    if (fileStamp(filePath(state_.keymapPath())) != keymapFile_.stamp) loadKeymapFile();
}

}  // namespace tq260
