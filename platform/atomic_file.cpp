#include "platform/atomic_file.h"

#include <cerrno>
#include <chrono>
#include <fstream>
#include <string>
#include <system_error>
#include <thread>

#ifdef __unix__
#include <fcntl.h>
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
                  std::initializer_list<std::span<const std::uint8_t>> parts, SaveCalls& calls) {
    const int fd = calls.create(path);
    if (fd < 0) return false;
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
    temporary += ".tmp-" + std::to_string(process) + "-" + std::to_string(thread) + "-" +
                 std::to_string(now);
    return temporary;
}

}  // namespace

#ifdef __unix__
int SaveCalls::create(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
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

bool writeFileAtomically(const std::filesystem::path& path,
                         std::initializer_list<std::span<const std::uint8_t>> parts,
                         SaveCalls& calls) {
    const std::filesystem::path temporary = temporaryBeside(path);
    std::error_code error;
    if (!writeNewFile(temporary, parts, calls) || !calls.rename(temporary, path)) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return calls.syncFolder(path.parent_path());
}

bool writeFileAtomically(const std::filesystem::path& path,
                         std::initializer_list<std::span<const std::uint8_t>> parts) {
    SaveCalls system;
    return writeFileAtomically(path, parts, system);
}
#else
bool writeFileAtomically(const std::filesystem::path& path,
                         std::initializer_list<std::span<const std::uint8_t>> parts) {
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

std::optional<std::size_t> readFileInto(const std::filesystem::path& path,
                                        std::initializer_list<std::span<std::uint8_t>> parts) {
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

std::optional<std::vector<std::uint8_t>> readFileBytes(const std::filesystem::path& path,
                                                       std::size_t maxBytes) {
    std::vector<std::uint8_t> bytes(maxBytes);
    const auto read = readFileInto(path, {std::span(bytes)});
    if (!read) return std::nullopt;
    bytes.resize(*read);
    return bytes;
}

}  // namespace tq260
