#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tq260 {

// What loading one of the program's data files found.
enum class DataFileLoad {
    Read,        // the file was there and was read
    Created,     // it was missing and was made (or could not be: its saves will say so)
    Unreadable,  // it is there but cannot be read: it must never be written over
};

// Writes the whole file or nothing: the parts, one after another, go to a temporary file
// in the same folder, which then replaces the old file in one rename, so a crash or a full
// disk never leaves a half-written file behind. The file is on the disk before the rename
// and the folder after it, so a power cut is as safe as a crash.
bool writeFileAtomically(const std::filesystem::path& path,
                         std::initializer_list<std::span<const std::uint8_t>> parts);

#ifdef __unix__
// The system calls of a save, one by one, so that a test can see their order; the
// defaults are the system's own.
class SaveCalls {
  public:
    virtual ~SaveCalls() = default;
    // A new file that must not exist yet; its descriptor, or -1.
    virtual int create(const std::filesystem::path& path);
    virtual bool write(int fd, std::initializer_list<std::span<const std::uint8_t>> parts);
    // The file's data on the disk.
    virtual bool sync(int fd);
    virtual bool close(int fd);
    virtual bool rename(const std::filesystem::path& from, const std::filesystem::path& to);
    // The folder's entries on the disk, so that a rename survives a power cut.
    virtual bool syncFolder(const std::filesystem::path& folder);
};

bool writeFileAtomically(const std::filesystem::path& path,
                         std::initializer_list<std::span<const std::uint8_t>> parts,
                         SaveCalls& calls);
#endif
inline bool writeFileAtomically(const std::filesystem::path& path,
                                std::span<const std::uint8_t> bytes) {
    return writeFileAtomically(path, {bytes});
}

// A text file (the desktop entry, a JSON dump), written the same way.
inline bool writeFileAtomically(const std::filesystem::path& path, std::string_view text) {
    return writeFileAtomically(
        path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

// Reads the file straight into the parts, one after another, as far as the file goes:
// whatever it does not reach keeps its content. The number of bytes read, or nothing when
// the file cannot be opened.
std::optional<std::size_t> readFileInto(const std::filesystem::path& path,
                                        std::initializer_list<std::span<std::uint8_t>> parts);

// The whole file, or nothing when it cannot be opened. Reads at most maxBytes.
std::optional<std::vector<std::uint8_t>> readFileBytes(const std::filesystem::path& path,
                                                       std::size_t maxBytes);

}  // namespace tq260
