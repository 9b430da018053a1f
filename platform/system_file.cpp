#include "platform/system_file.h"

#ifdef __unix__
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#else
#include <fstream>
#include <system_error>
#endif

namespace tq260 {

std::optional<std::string> readSystemFile(const std::filesystem::path& path, std::size_t maxBytes) {
    // One byte more than allowed tells a file that is too long from one that just fits.
    std::string text(maxBytes + 1, '\0');
    std::size_t filled = 0;
#ifdef __unix__
    // Opened without waiting and without following a last link, so neither a pipe nor a link
    // to a device is read before it is seen for what it is.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) return std::nullopt;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    while (filled < text.size()) {
        const ssize_t got = ::read(fd, text.data() + filled, text.size() - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    ::close(fd);
#else
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(path, error))) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    filled = static_cast<std::size_t>(in.gcount());
#endif
    if (filled > maxBytes) return std::nullopt;
    text.resize(filled);
    return text;
}

}  // namespace tq260
