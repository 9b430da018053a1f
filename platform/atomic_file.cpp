#include "platform/atomic_file.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <string>
#include <system_error>
#include <thread>

#ifdef __unix__
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#endif

namespace tq260 {

namespace {

#ifdef __unix__
// Writes every part in as few calls as the system allows, going on after partial writes and
// interruptions.
bool writeAll(int fd, std::initializer_list<std::span<const std::uint8_t>> parts) {
    std::vector<iovec> pending;
    for (const auto& part : parts) {
        if (!part.empty()) pending.push_back({const_cast<std::uint8_t*>(part.data()), part.size()});
    }
    std::size_t first = 0;
    while (first < pending.size()) {
        const ssize_t written =
            ::writev(fd, pending.data() + first, static_cast<int>(pending.size() - first));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        auto left = static_cast<std::size_t>(written);
        while (first < pending.size() && left >= pending[first].iov_len) {
            left -= pending[first].iov_len;
            ++first;
        }
        if (first < pending.size()) {
            pending[first].iov_base = static_cast<std::uint8_t*>(pending[first].iov_base) + left;
            pending[first].iov_len -= left;
        }
    }
    return true;
}

// Creates the file, which must not exist yet, writes the parts and puts them on the disk,
// so that once the file is renamed into place a power cut cannot leave it short.
bool writeNewFile(const std::filesystem::path& path,
                  std::initializer_list<std::span<const std::uint8_t>> parts, SaveCalls& calls,
                  const struct stat* replaced) {
    // Private to this user: a new file, as data files hold launch paths and assignments, and a
    // replacement until it has the mode the user gave the file it replaces.
    const int fd = calls.create(path, 0600);
    if (fd < 0) return false;
    if (replaced != nullptr) {
        // The new file takes the old one's place with its mode and, where the system lets this
        // user give it, its owner and group (only root may give a file away). A file system
        // that keeps no modes leaves the new file private to this user.
        [[maybe_unused]] const int mode = ::fchmod(fd, replaced->st_mode & 07777);
        if (::fchown(fd, replaced->st_uid, replaced->st_gid) != 0) {
            [[maybe_unused]] const int group =
                ::fchown(fd, static_cast<uid_t>(-1), replaced->st_gid);
        }
    }
    const bool written = calls.write(fd, parts) && calls.sync(fd);
    return calls.close(fd) && written;
}
#else
bool writeNewFile(const std::filesystem::path& path,
                  std::initializer_list<std::span<const std::uint8_t>> parts) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const auto& part : parts) {
        out.write(reinterpret_cast<const char*>(part.data()),
                  static_cast<std::streamsize>(part.size()));
    }
    out.flush();
    return static_cast<bool>(out);
}
#endif

// Where a save really goes: a link is followed to the file it names (a save replaces that
// file, or makes it, and the link stays). Nothing when the links go round in a circle.
std::optional<std::filesystem::path> throughLinks(const std::filesystem::path& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path target = path;
    // As many links as the system itself follows.
    for (int link = 0; link < 40; ++link) {
        if (!fs::is_symlink(fs::symlink_status(target, error))) return target;
        const fs::path next = fs::read_symlink(target, error);
        if (error) return std::nullopt;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return std::nullopt;
}

constexpr std::string_view kTemporaryMark = ".tmp-";

// A name beside the file that no other writer uses: another copy of the program has another
// process id, another thread another id, and the same thread a later time. The file is
// created exclusively, so a name that is taken all the same fails instead of being shared.
std::filesystem::path temporaryBeside(const std::filesystem::path& path) {
#ifdef __unix__
    const auto process = static_cast<long long>(::getpid());
#else
    const long long process = 0;
#endif
    const std::size_t thread = std::hash<std::thread::id>{}(std::this_thread::get_id());
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    std::filesystem::path temporary = path;
    temporary += std::string(kTemporaryMark) + std::to_string(process) + "-" +
                 std::to_string(thread) + "-" + std::to_string(now);
    return temporary;
}

}  // namespace

#ifdef __unix__
int SaveCalls::create(const std::filesystem::path& path, unsigned mode) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode));
}

bool SaveCalls::write(int fd, std::initializer_list<std::span<const std::uint8_t>> parts) {
    return writeAll(fd, parts);
}

bool SaveCalls::sync(int fd) {
    return ::fsync(fd) == 0;
}

bool SaveCalls::close(int fd) {
    return ::close(fd) == 0;
}

bool SaveCalls::rename(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code error;
    std::filesystem::rename(from, to, error);
    return !error;
}

// A file system that cannot sync a folder (EINVAL) keeps its entries its own way.
bool SaveCalls::syncFolder(const std::filesystem::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return synced;
}

bool writeFileAtomically(const std::filesystem::path& given,
                         std::initializer_list<std::span<const std::uint8_t>> parts,
                         SaveCalls& calls) {
    const auto path = throughLinks(given);
    if (!path) return false;
    struct stat old {};
    const bool replacing = ::stat(path->c_str(), &old) == 0;
    // A pipe or a device under the name is someone's, not a data file: never replaced.
    if (replacing && (!S_ISREG(old.st_mode) || isReadOnlyFile(*path))) return false;
    const std::filesystem::path temporary = temporaryBeside(*path);
    std::error_code error;
    if (!writeNewFile(temporary, parts, calls, replacing ? &old : nullptr) ||
        !calls.rename(temporary, *path)) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return calls.syncFolder(path->parent_path());
}

bool writeFileAtomically(const std::filesystem::path& path,
                         std::initializer_list<std::span<const std::uint8_t>> parts) {
    SaveCalls system;
    return writeFileAtomically(path, parts, system);
}
#else
bool writeFileAtomically(const std::filesystem::path& given,
                         std::initializer_list<std::span<const std::uint8_t>> parts) {
    const auto target = throughLinks(given);
    if (!target || isReadOnlyFile(*target)) return false;
    std::error_code kind;
    const auto status = std::filesystem::status(*target, kind);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) return false;
    const std::filesystem::path& path = *target;
    const std::filesystem::path temporary = temporaryBeside(path);
    std::error_code error;
    if (!writeNewFile(temporary, parts)) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}
#endif

#ifdef __unix__
std::optional<std::size_t> readFileInto(const std::filesystem::path& path,
                                        std::initializer_list<std::span<std::uint8_t>> parts,
                                        FileKinds kinds) {
    // Opened without waiting, so that a pipe under the name cannot hold the program up before
    // it is seen for what it is.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY |
                                            (kinds == FileKinds::RegularOnly ? O_NONBLOCK : 0));
    if (fd < 0) return std::nullopt;
    struct stat status {};
    if (::fstat(fd, &status) != 0 ||
        (kinds == FileKinds::RegularOnly && !S_ISREG(status.st_mode))) {
        ::close(fd);
        return std::nullopt;
    }
    std::size_t total = 0;
    bool failed = false;
    for (const auto& part : parts) {
        std::size_t filled = 0;
        while (filled < part.size()) {
            const ssize_t got = ::read(fd, part.data() + filled, part.size() - filled);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) {
                failed = got < 0;
                break;
            }
            filled += static_cast<std::size_t>(got);
        }
        total += filled;
        if (filled < part.size()) break;
    }
    ::close(fd);
    if (failed) return std::nullopt;
    return total;
}
#else
std::optional<std::size_t> readFileInto(const std::filesystem::path& path,
                                        std::initializer_list<std::span<std::uint8_t>> parts,
                                        FileKinds kinds) {
    std::error_code error;
    if (kinds == FileKinds::RegularOnly && !std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::size_t total = 0;
    for (const auto& part : parts) {
        in.read(reinterpret_cast<char*>(part.data()), static_cast<std::streamsize>(part.size()));
        total += static_cast<std::size_t>(in.gcount());
        if (static_cast<std::size_t>(in.gcount()) < part.size()) break;
    }
    return total;
}
#endif

std::optional<std::vector<std::uint8_t>> readFileBytes(const std::filesystem::path& path,
                                                       std::size_t maxBytes, FileKinds kinds) {
    std::vector<std::uint8_t> bytes(maxBytes);
    const auto read = readFileInto(path, {std::span(bytes)}, kinds);
    if (!read) return std::nullopt;
    bytes.resize(*read);
    return bytes;
}

std::optional<FileStamp> fileStamp(const std::filesystem::path& path) {
#ifdef __unix__
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    return FileStamp{
        static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
        static_cast<std::uint64_t>(status.st_size),
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec};
#else
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error) return std::nullopt;
    const auto modified = std::filesystem::last_write_time(path, error);
    if (error) return std::nullopt;
    return FileStamp{
        0, 0, size,
        std::chrono::duration_cast<std::chrono::nanoseconds>(modified.time_since_epoch()).count()};
#endif
}

bool isReadOnlyFile(const std::filesystem::path& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status)) return false;
    using std::filesystem::perms;
    // The mode says what its user meant, even to root, whom the system lets write anyway.
    if ((status.permissions() & (perms::owner_write | perms::group_write | perms::others_write)) ==
        perms::none) {
        return true;
    }
#ifdef __unix__
    return ::access(path.c_str(), W_OK) != 0;
#else
    return false;
#endif
}

namespace {

std::optional<std::filesystem::path> keepAsideItself(const std::filesystem::path& path) {
    constexpr int kTries = 100;
    for (int n = 1; n <= kTries; ++n) {
        std::filesystem::path aside = path;
        aside += n == 1 ? std::string(".damaged") : ".damaged-" + std::to_string(n);
        std::error_code error;
        if (std::filesystem::exists(std::filesystem::symlink_status(aside, error))) continue;
        std::filesystem::rename(path, aside, error);
        if (error) return std::nullopt;
        return aside;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::filesystem::path> keepAside(const std::filesystem::path& link) {
    // The file a link names goes aside; the link stays, for the new file to be written through.
    const auto path = throughLinks(link);
    if (!path) return std::nullopt;
    return keepAsideItself(*path);
}

int removeStaleTemporaries(const std::filesystem::path& folder) {
#ifdef __unix__
    int removed = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        // "<file>.tmp-<process>-<thread>-<time>", as temporaryBeside names them.
        const std::string name = entry->path().filename().string();
        const auto mark = name.rfind(kTemporaryMark);
        if (mark == std::string::npos || mark == 0) continue;
        // All three numbers, and nothing after them: a profile named like one ends in ".bin".
        const std::string rest = name.substr(mark + kTemporaryMark.size());
        std::vector<std::string> numbers(1);
        for (const char c : rest) {
            if (c == '-') {
                numbers.emplace_back();
            } else if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
                numbers.back() += c;
            } else {
                numbers.clear();
                break;
            }
        }
        if (numbers.size() != 3 || numbers[0].empty() || numbers[0].size() > 9 ||
            numbers[1].empty() || numbers[2].empty()) {
            continue;
        }
        const auto process = static_cast<pid_t>(std::stol(numbers[0]));
        struct stat status {};
        if (::lstat(entry->path().c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
            status.st_uid != ::getuid()) {
            continue;
        }
        // A writer still running (or a process of that number that is not ours to ask) keeps
        // its file.
        if (process == ::getpid() || ::kill(process, 0) == 0 || errno != ESRCH) continue;
        std::error_code gone;
        if (std::filesystem::remove(entry->path(), gone)) ++removed;
    }
    return removed;
#else
    // Windows names carry no process: what a killed save left stays.
    (void)folder;
    return 0;
#endif
}

}  // namespace tq260
