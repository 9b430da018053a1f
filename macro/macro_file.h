#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "macro/macro_record.h"
#include "platform/atomic_file.h"

namespace tq260 {

inline constexpr const char* kMacroFileName = "MacroDefine.bin";

// Fills the table from the file's bytes, as far as they go: a shorter file leaves the rest
// of the table as it was, a longer one is read only in part.
void loadMacroBytes(std::span<const std::uint8_t> bytes, MacroTable& table);

// Loads "MacroDefine.bin". A file that does not exist is created from the table; one that
// exists but cannot be read is left alone, so nothing the user made is ever overwritten; a
// short one is read as far as it goes, kept aside (keptAside says where) and written anew.
DataFileLoad loadMacroFile(const std::filesystem::path& file, MacroTable& table,
                           std::filesystem::path* keptAside = nullptr);

// Writes all 169,860 bytes, replacing the old file in one step. False when it could not.
bool saveMacroFile(const std::filesystem::path& file, const MacroTable& table);

}  // namespace tq260
