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

}  // namespace

std::optional<LaunchTarget> launchTargetForKey(const AssignmentTable& table,
                                               std::uint32_t virtualKey) {
    const KeyAssignment* record = launchRecordOf(table, virtualKey);
    if (record == nullptr) return std::nullopt;
    const std::u16string text = pathOf(*record);
    // Windows paths use backslashes; paths made on Linux use slashes.
    const auto separator = text.find_last_of(u"\\/");
    if (separator == std::u16string::npos) return LaunchTarget{u"", u""};
    return LaunchTarget{text.substr(0, separator), text.substr(separator + 1)};
}

LaunchOutcome launchForKey(const AssignmentTable& table, std::uint32_t virtualKey,
                           ShellLauncher& shell) {
    const auto target = launchTargetForKey(table, virtualKey);
    if (!target || target->file.empty()) return {};
    std::u16string path = pathOf(*launchRecordOf(table, virtualKey));
    switch (shell.open(target->folder, target->file)) {
        case ShellLauncher::Result::Opened:
            return {LaunchOutcome::Opened, std::move(path)};
        case ShellLauncher::Result::NotFound:
            return {LaunchOutcome::NotFound, std::move(path)};
        case ShellLauncher::Result::Failed:
            break;
    }
    return {LaunchOutcome::Failed, std::move(path)};
}

}  // namespace tq260
