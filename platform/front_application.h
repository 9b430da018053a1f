#pragma once

#include <string>

namespace tq260 {

// The application in front, as the desktop tells it.
struct FrontApplication {
    // X11's WM_CLASS class, a Wayland app id, or a Windows executable's name.
    std::string id;
    // Its executable, where the desktop tells it; empty where not.
    std::string executablePath;
    // One of this program's own windows: never a reason to switch.
    bool ownWindow = false;
};

}  // namespace tq260
