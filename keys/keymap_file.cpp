#include "keys/keymap_file.h"

#include <algorithm>
#include <cstring>
#include <memory>

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

namespace {

std::span<std::uint8_t> bytesOf(DeviceSettings& settings) {
    return {reinterpret_cast<std::uint8_t*>(&settings), sizeof settings};
}

std::span<std::uint8_t> bytesOf(AssignmentTable& table) {
    return {reinterpret_cast<std::uint8_t*>(table.data()), sizeof table};
}

}  // namespace

DataFileLoad LoadKeymapFile(const std::filesystem::path& file, bool keepImage,
                            DeviceSettings& settings, AssignmentTable& table,
                            std::filesystem::path* keptAside) {
    // Read straight into place; a kept image is read past into a copy that is thrown away.
    DeviceSettings skipped;
    if (const auto read =
            readFileInto(file, {bytesOf(keepImage ? skipped : settings), bytesOf(table)})) {
        setAssignmentIdentities(table);
        if (*read == kKeymapFileSize) return DataFileLoad::Read;
        return keepDamagedAside(file, keptAside,
                                [&] { return saveKeymapFile(file, settings, table); });
    }
    table.fill(KeyAssignment{});
    std::error_code error;
    const bool unreadable = std::filesystem::exists(file, error) || error;
    // A new file holds a zero table; the identities are set in memory only.
    if (!unreadable) saveKeymapFile(file, settings, table);
    setAssignmentIdentities(table);
    return unreadable ? DataFileLoad::Unreadable : DataFileLoad::Created;
}

bool reloadAssignments(const std::filesystem::path& file, AssignmentTable& table) {
    auto fresh = std::make_unique<AssignmentTable>(table);
    DeviceSettings skipped;
    if (!readFileInto(file, {bytesOf(skipped), bytesOf(*fresh)})) return false;
    table = *fresh;
    setAssignmentIdentities(table);
    return true;
}

bool saveKeymapFile(const std::filesystem::path& file, const DeviceSettings& settings,
                    const AssignmentTable& table) {
    return writeFileAtomically(
        file, {std::span(reinterpret_cast<const std::uint8_t*>(&settings), sizeof settings),
               std::span(reinterpret_cast<const std::uint8_t*>(table.data()), sizeof table)});
}

}  // namespace tq260
