#include "keys/launch_for_key.h"

#include <algorithm>

namespace tq260 {

namespace {

bool isLaunch(std::uint8_t type) {
    return type >= static_cast<std::uint8_t>(AssignmentType::LaunchMp3) &&
           type <= static_cast<std::uint8_t>(AssignmentType::OpenFolder);
}

}  // namespace

std::optional<LaunchTarget> launchTargetForKey(const AssignmentTable& table,
                                               std::uint32_t virtualKey) {
    const auto identity = static_cast<std::uint8_t>(virtualKey & 0xFF);
    const auto found = std::find_if(table.begin(), table.end(), [&](const KeyAssignment& record) {
        return isLaunch(record.type) && record.identity == identity;
    });
    if (found == table.end()) return std::nullopt;
    const auto& path = found->launchPath;
    const std::u16string text(path.begin(), std::find(path.begin(), path.end(), u'\0'));
    // Windows paths use backslashes; paths made on Linux use slashes.
    const auto separator = text.find_last_of(u"\\/");
    if (separator == std::u16string::npos) return LaunchTarget{u"", u""};
    return LaunchTarget{text.substr(0, separator), text.substr(separator + 1)};
}

void launchForKey(const AssignmentTable& table, std::uint32_t virtualKey, ShellLauncher& shell) {
    const auto target = launchTargetForKey(table, virtualKey);
    if (target && !target->file.empty()) shell.open(target->folder, target->file);
}

}  // namespace tq260
