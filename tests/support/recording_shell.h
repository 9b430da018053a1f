#pragma once

#include <vector>

#include "keys/launch_for_key.h"
#include "platform/shell_launcher.h"

namespace tq260::testing {

// The desktop's shell as the core tests see it: every file or folder asked to open is kept,
// and each open ends as told.
class RecordingShell final : public ShellLauncher {
  public:
    Result open(const std::u16string& folder, const std::u16string& file) override {
        opened.push_back({folder, file});
        return result;
    }
    Result result = Result::Opened;
    std::vector<LaunchTarget> opened;
};

}  // namespace tq260::testing
