#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace tq260 {

// Writes the whole file or nothing: the bytes go to a temporary file in the same folder,
// which then replaces the old file in one rename, so a crash or a full disk never leaves
// a half-written file behind.
bool writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// The whole file, or nothing when it cannot be opened. Reads at most maxBytes.
std::optional<std::vector<std::uint8_t>> readFileBytes(const std::filesystem::path& path,
                                                       std::size_t maxBytes);

}  // namespace tq260
