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
    Damaged,     // it was read as far as it went but was short: kept aside, then made anew
};

// When the file at a path was last replaced: a save by anyone (which renames a new file into
// place) or an edit in place changes it.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
// Nothing when there is no file at the path.
std::optional<FileStamp> fileStamp(const std::filesystem::path& path);

// Whether the file is there and its user has made it read-only (or it may not be written).
bool isReadOnlyFile(const std::filesystem::path& path);

// Renames a damaged file out of the way before a new one takes its name: "<name>.damaged",
// or "<name>.damaged-2" and on when that is taken (the file a link names; the link stays).
// The new name, or nothing when it could not be moved.
std::optional<std::filesystem::path> keepAside(const std::filesystem::path& path);

// What a loader does with a data file it found short: moves it aside, then writes the new
// one. Unreadable (never written over) when it could not be moved.
template <typename Write>
DataFileLoad keepDamagedAside(const std::filesystem::path& file, std::filesystem::path* keptAside,
                              Write write) {
    const auto aside = keepAside(file);
    if (!aside) return DataFileLoad::Unreadable;
    if (keptAside != nullptr) *keptAside = *aside;
    write();
    return DataFileLoad::Damaged;
}

// Removes the temporary files that saves killed half-way left in the folder: this program's
// own names only, owned by this user, whose writer is no longer running. How many went.
int removeStaleTemporaries(const std::filesystem::path& folder);

// Writes the whole file or nothing: the parts, one after another, go to a temporary file
// in the same folder, which then replaces the old file in one rename, so a crash or a full
// disk never leaves a half-written file behind. The file is on the disk before the rename
// and the folder after it, so a power cut is as safe as a crash. A link is written through
// (its target is replaced); a file keeps its mode and, where the system allows, its owner;
// a new file is private to this user (0600); a file its user made read-only, or anything but
// a regular file (a pipe, a device), is not written (false).
bool writeFileAtomically(const std::filesystem::path& path,
                         std::initializer_list<std::span<const std::uint8_t>> parts);

#ifdef __unix__
// The system calls of a save, one by one, so that a test can see their order; the
// defaults are the system's own.
class SaveCalls {
  public:
    virtual ~SaveCalls() = default;
    // A new file that must not exist yet, with the mode (before the umask); its descriptor,
    // or -1.
    virtual int create(const std::filesystem::path& path, unsigned mode);
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

// Which files a read takes. Data files are regular files only: a pipe or a device under a
// data file's name would block the program or feed it without end.
enum class FileKinds { RegularOnly, Any };

// Reads the file straight into the parts, one after another, as far as the file goes:
// whatever it does not reach keeps its content. The number of bytes read, or nothing when
// the file cannot be opened (or is not a regular file).
std::optional<std::size_t> readFileInto(const std::filesystem::path& path,
                                        std::initializer_list<std::span<std::uint8_t>> parts,
                                        FileKinds kinds = FileKinds::RegularOnly);

// The whole file, or nothing when it cannot be opened. Reads at most maxBytes.
std::optional<std::vector<std::uint8_t>> readFileBytes(const std::filesystem::path& path,
                                                       std::size_t maxBytes,
                                                       FileKinds kinds = FileKinds::RegularOnly);

}  // namespace tq260
