#pragma once

#include <cstdlib>
#include <filesystem>

namespace tq260 {

// A folder named by an environment variable; empty when the variable is unset or empty, as
// the XDG rules ask.
inline std::filesystem::path folderFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::filesystem::path(value)
                                              : std::filesystem::path();
}

}  // namespace tq260
