#include "platform/data_folder.h"

#include <system_error>

#ifdef __unix__
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#else
#include <windows.h>

#include <fstream>
#endif

#include "platform/environment.h"

namespace tq260 {

namespace {

constexpr const char* kFolderName = "TQ260";

}  // namespace

std::filesystem::path executableFolder() {
#ifdef _WIN32
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::filesystem::current_path();
        if (length < path.size()) {
            path.resize(length);
            return std::filesystem::path(path).parent_path();
        }
        path.resize(path.size() * 2);
    }
#else
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path() : self.parent_path();
#endif
}

bool isWritableFolder(const std::filesystem::path& folder) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) return false;
#ifdef __unix__
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
#else
    // Windows says little through its attributes; a file made and removed says it all.
    const std::filesystem::path probe = folder / ".tq260-write-probe";
    {
        std::ofstream out(probe, std::ios::binary);
        if (!out) return false;
    }
    std::filesystem::remove(probe, error);
    return true;
#endif
}

bool makePrivateFolders(const std::filesystem::path& folder) {
    std::error_code error;
#ifdef __unix__
    // From the top down, so that each one made is made private, never widened afterwards.
    std::filesystem::path made;
    for (const auto& part : folder) {
        made /= part;
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
#else
    std::filesystem::create_directories(folder, error);
#endif
    return std::filesystem::is_directory(folder, error);
}

std::filesystem::path perUserDataFolder() {
#ifdef _WIN32
    std::filesystem::path base = folderFromEnvironment("APPDATA");
#else
    std::filesystem::path base = folderFromEnvironment("XDG_DATA_HOME");
    if (base.empty()) {
        const std::filesystem::path home = folderFromEnvironment("HOME");
        if (!home.empty()) base = home / ".local" / "share";
    }
#endif
    return base.empty() ? std::filesystem::path() : base / kFolderName;
}

bool isSystemInstall(const std::filesystem::path& applicationFolder) {
#ifdef _WIN32
    (void)applicationFolder;
    return false;
#else
    // The package manager's own tree: root may write there, but nothing of a user's belongs
    // in it, and files left there would outlive the package.
    const std::string folder = applicationFolder.lexically_normal().generic_string();
    return folder.rfind("/usr/", 0) == 0;
#endif
}

std::filesystem::path dataFolderFor(const std::filesystem::path& applicationFolder) {
    if (isWritableFolder(applicationFolder) && !isSystemInstall(applicationFolder)) {
        return applicationFolder;
    }
    const std::filesystem::path perUser = perUserDataFolder();
    if (perUser.empty() || !makePrivateFolders(perUser)) {
        // Nowhere better: the saves will say that they failed.
        return applicationFolder;
    }
    return perUser;
}

}  // namespace tq260
