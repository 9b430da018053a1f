#include "platform/autostart_entry.h"

#include <system_error>

#include "platform/atomic_file.h"
#include "platform/environment.h"

namespace tq260 {

namespace {

// One argument of an Exec line: always quoted (the program's own name has spaces), with the
// characters the desktop's quoting reserves escaped, then the escapes every value of the
// file takes, and % doubled so it is not a field code.
std::string execArgument(const std::string& argument) {
    std::string quoted = "\"";
    for (const char c : argument) {
        switch (c) {
            case '"':
            case '`':
            case '$':
                quoted += "\\\\";
                quoted += c;
                break;
            case '\\':
                quoted += "\\\\\\\\";
                break;
            case '%':
                quoted += "%%";
                break;
            default:
                quoted += c;
        }
    }
    return quoted + "\"";
}

// A plain string value: only the backslash is escaped. Where the program is gone (the
// package removed, the entry left behind), the desktop skips the entry instead of failing.
std::string tryExecPath(const std::string& path) {
    std::string escaped;
    for (const char c : path) {
        if (c == '\\') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

}  // namespace

std::filesystem::path autostartEntryPath() {
    std::filesystem::path config = folderFromEnvironment("XDG_CONFIG_HOME");
    if (config.empty()) {
        const std::filesystem::path home = folderFromEnvironment("HOME");
        if (home.empty()) return {};
        config = home / ".config";
    }
    return config / "autostart" / (std::string(kDesktopEntryId) + ".desktop");
}

std::optional<std::string> autostartEntryText(const std::filesystem::path& program) {
    const std::string path = program.string();
    if (path.empty() || path.find_first_of("\r\n") != std::string::npos) return std::nullopt;
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=TQ260 104vez VANTOR\n"
           "Comment=Keeps the TQ260 keyboard's launch keys working and its settings at hand\n"
           "TryExec=" +
           tryExecPath(path) +
           "\n"
           "Exec=" +
           execArgument(path) + " " + kStartHiddenOption +
           "\n"
           "Icon=" +
           kDesktopEntryId +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool startsWithDesktop(const std::filesystem::path& entry) {
    std::error_code error;
    return !entry.empty() && std::filesystem::is_regular_file(entry, error);
}

bool setStartWithDesktop(const std::filesystem::path& entry, const std::filesystem::path& program,
                         bool on) {
    if (entry.empty()) return false;
    std::error_code error;
    if (!on) {
        std::filesystem::remove(entry, error);
        return !error;
    }
    const std::optional<std::string> text = autostartEntryText(program);
    if (!text) return false;
    std::filesystem::create_directories(entry.parent_path(), error);
    if (error) return false;
    return writeFileAtomically(entry, *text);
}

}  // namespace tq260
