#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <filesystem>

// The yardstick for saving a file: write the bytes over the file in place and put them on
// the disk (one fsync), as any program that keeps its data safe at least does.
inline void plainDurableWrite(const std::filesystem::path& file, const void* bytes,
                              std::size_t size) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    if (::write(fd, bytes, size) == static_cast<ssize_t>(size)) ::fsync(fd);
    ::close(fd);
}
