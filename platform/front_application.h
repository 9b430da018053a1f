#pragma once

#include <algorithm>
#include <string>
#include <string_view>

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

// Ids are ASCII in practice (class names, app ids, executable names, desktop names); other
// bytes are compared as they are.
inline bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

}  // namespace tq260
