#pragma once

#include <filesystem>

namespace tq260 {

// Where the program's data files live (keymap.bin, "MacroDefine.bin", the Configure folder,
// the virtual keyboard's memory): beside the executable when that folder is writable (the
// build tree, a portable folder, a Windows install the user owns), otherwise in the user's
// own data folder, made when missing. The skins always stay beside the executable. Every
// program of the project follows this one rule.
std::filesystem::path dataFolderFor(const std::filesystem::path& applicationFolder);

// The user's own data folder for the program: $XDG_DATA_HOME/TQ260, else
// ~/.local/share/TQ260 (%APPDATA%\TQ260 on Windows).
std::filesystem::path perUserDataFolder();

// Whether the folder is in the system's own program tree (/usr on Linux), where data files
// never go, even for root who could write there.
bool isSystemInstall(const std::filesystem::path& applicationFolder);

// The folder of this process's executable (the current folder when it cannot be found).
std::filesystem::path executableFolder();

// Makes the folder with each missing folder above it, every new one private to this user
// (0700), since the data files hold launch paths and assignments; a folder that was there
// keeps its mode. Whether the folder is there now.
bool makePrivateFolders(const std::filesystem::path& folder);

// Whether this process may create files in the folder.
bool isWritableFolder(const std::filesystem::path& folder);

}  // namespace tq260
