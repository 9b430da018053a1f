#pragma once

#include <string>

namespace tq260 {

// Opens a file or folder the way the desktop does (its default action), shown normally,
// without waiting for what it starts.
class ShellLauncher {
  public:
    virtual ~ShellLauncher() = default;
    // False when nothing could be started.
    virtual bool open(const std::u16string& folder, const std::u16string& file) = 0;
};

}  // namespace tq260
