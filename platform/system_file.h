#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace tq260 {

// The most the system's own small files hold: a sysfs attribute is at most a page, and a HID
// report descriptor at most 4096 bytes.
inline constexpr std::size_t kSystemFileLimit = 4096;

// The whole of a small file of sysfs or /proc, or nothing when it is not a regular file
// (a pipe, a device, a link: what is put there to hold a reader up or feed it without end)
// or holds more than maxBytes.
std::optional<std::string> readSystemFile(const std::filesystem::path& path,
                                          std::size_t maxBytes = kSystemFileLimit);

}  // namespace tq260
