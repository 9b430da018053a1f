#include "keys/launch_for_key.h"

#include <algorithm>

namespace tq260 {

namespace {

bool isLaunch(std::uint8_t type) {
    return type >= static_cast<std::uint8_t>(AssignmentType::LaunchMp3) &&
           type <= static_cast<std::uint8_t>(AssignmentType::OpenFolder);
}

// The first launch record of the key, or null.
const KeyAssignment* launchRecordOf(const AssignmentTable& table, std::uint32_t virtualKey) {
    const auto identity = static_cast<std::uint8_t>(virtualKey & 0xFF);
    const auto found = std::find_if(table.begin(), table.end(), [&](const KeyAssignment& record) {
        return isLaunch(record.type) && record.identity == identity;
    });
    return found == table.end() ? nullptr : &*found;
}

std::u16string pathOf(const KeyAssignment& record) {
    const auto& path = record.launchPath;
    return {path.begin(), std::find(path.begin(), path.end(), u'\0')};
}

// The path split at its last separator into folder and file.
LaunchTarget split(const std::u16string& path) {
    // Windows paths use backslashes; paths made on Linux use slashes.
    const auto separator = path.find_last_of(u"\\/");
    if (separator == std::u16string::npos) return {u"", u""};
    return {path.substr(0, separator), path.substr(separator + 1)};
}

}  // namespace

bool hasLaunchAssignment(const AssignmentTable& table) {
    return std::any_of(table.begin(), table.end(),
                       [](const KeyAssignment& record) { return isLaunch(record.type); });
}

std::optional<LaunchTarget> launchTargetForKey(const AssignmentTable& table,
                                               std::uint32_t virtualKey) {
    const KeyAssignment* record = launchRecordOf(table, virtualKey);
    if (record == nullptr) return std::nullopt;
    return split(pathOf(*record));
}

LaunchOutcome launchForKey(const AssignmentTable& table, std::uint32_t virtualKey,
                           ShellLauncher& shell) {
    const KeyAssignment* record = launchRecordOf(table, virtualKey);
    if (record == nullptr) return {};
    std::u16string path = pathOf(*record);
    const LaunchTarget target = split(path);
    if (target.file.empty()) return {};
    switch (shell.open(target.folder, target.file)) {
        case ShellLauncher::Result::Opened:
            return {LaunchOutcome::Opened, std::move(path)};
        case ShellLauncher::Result::NotFound:
            return {LaunchOutcome::NotFound, std::move(path)};
        case ShellLauncher::Result::Failed:
            break;
    }
    return {LaunchOutcome::Failed, std::move(path)};
}

std::optional<std::uint8_t> parseVirtualKeyCode(std::string_view text) {
    if (text.empty() || text.size() > 3) return std::nullopt;
    unsigned value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > 0xFF) return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

}  // namespace tq260
