#pragma once

#include <QString>
#include <filesystem>

namespace tq260 {

// A path for the core's file functions. Made from UTF-16: on Windows a path made from a
// narrow string goes through the ANSI code page, which cannot spell every name.
inline std::filesystem::path filePath(const QString& text) {
    return std::filesystem::path(text.toStdU16String());
}

}  // namespace tq260
