#pragma once

#include <string>

namespace tq260 {

// Opens a file or folder the way the desktop does (its default action), shown normally,
// without waiting for what it starts.
class ShellLauncher {
  public:
    enum class Result { Opened, NotFound, Failed };

    virtual ~ShellLauncher() = default;
    // NotFound when the file or folder does not exist; Failed when nothing could open it.
    virtual Result open(const std::u16string& folder, const std::u16string& file) = 0;
};

}  // namespace tq260
