#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "device/device_settings.h"
#include "keys/key_assignment.h"
#include "platform/atomic_file.h"

namespace tq260 {

inline constexpr const char* kKeymapFileName = "keymap.bin";
inline constexpr std::size_t kKeymapFileSize = sizeof(DeviceSettings) + sizeof(AssignmentTable);
static_assert(kKeymapFileSize == 199'272);

// Fills the record (unless keepImage) and the assignment table from the file's bytes, as
// far as they go: what a short file does not reach keeps its content. Then sets the
// identities of records 0..107.
void loadKeymapBytes(std::span<const std::uint8_t> bytes, bool keepImage, DeviceSettings& settings,
                     AssignmentTable& table);

// Loads keymap.bin. Keeping the image leaves the record alone, so settings just read from
// the keyboard survive. A file that does not exist is created from the record and a zeroed
// table; one that exists but cannot be read is never overwritten; a short one is read as far
// as it goes, kept aside (keptAside says where) and written anew. The identities are set in
// every case, so a restored default always finds its key.
DataFileLoad LoadKeymapFile(const std::filesystem::path& file, bool keepImage,
                            DeviceSettings& settings, AssignmentTable& table,
                            std::filesystem::path* keptAside = nullptr);

// Reads the assignment records again from keymap.bin, as far as the file goes. When the file
// cannot be read the table stays as it is, and the file is never made or written here: a
// file gone or unreadable while the program runs costs no assignment.
bool reloadAssignments(const std::filesystem::path& file, AssignmentTable& table);

// Writes the record and the table, replacing the old file in one step.
bool saveKeymapFile(const std::filesystem::path& file, const DeviceSettings& settings,
                    const AssignmentTable& table);

}  // namespace tq260
