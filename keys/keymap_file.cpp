#include "keys/keymap_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/atomic_file.h"

namespace tq260 {

void loadKeymapBytes(std::span<const std::uint8_t> bytes, bool keepImage, DeviceSettings& settings,
                     AssignmentTable& table) {
    const std::size_t imageBytes = std::min(bytes.size(), sizeof(DeviceSettings));
    if (!keepImage) std::memcpy(&settings, bytes.data(), imageBytes);
    const auto rest = bytes.subspan(imageBytes);
    std::memcpy(table.data(), rest.data(), std::min(rest.size(), sizeof(AssignmentTable)));
    setAssignmentIdentities(table);
}

void LoadKeymapFile(const std::filesystem::path& file, bool keepImage, DeviceSettings& settings,
                    AssignmentTable& table) {
    if (const auto bytes = readFileBytes(file, kKeymapFileSize)) {
        loadKeymapBytes(*bytes, keepImage, settings, table);
        return;
    }
    table.fill(KeyAssignment{});
    std::error_code error;
    if (!std::filesystem::exists(file, error) && !error) saveKeymapFile(file, settings, table);
    setAssignmentIdentities(table);
}

bool saveKeymapFile(const std::filesystem::path& file, const DeviceSettings& settings,
                    const AssignmentTable& table) {
    std::vector<std::uint8_t> bytes(kKeymapFileSize);
    std::memcpy(bytes.data(), &settings, sizeof(DeviceSettings));
    std::memcpy(bytes.data() + sizeof(DeviceSettings), table.data(), sizeof(AssignmentTable));
    return writeFileAtomically(file, bytes);
}

}  // namespace tq260
