#pragma once

#include <cstddef>
#include <string>

#include "platform/case_fold.h"

namespace tq260 {

// The application in front, as the desktop tells it.
struct FrontApplication {
    // X11's WM_CLASS class, a Wayland app id, or a Windows executable's name.
    std::string id;
    // Its executable, where the desktop tells it; empty where not.
    std::string executablePath;
    // One of this program's own windows: never a reason to switch.
    bool ownWindow = false;
    // The executable as the desktop named it, where that is a symbolic link to
    // executablePath; empty where the two are the same. A rule may name either. (Its "{}"
    // lets brace lists that end before it leave it out.)
    std::string toldPath{};
};

// What any desktop may tell at most: longer ids and paths are no application's (a window
// class or an executable's name is a few dozen bytes), and are never kept. Refused, not
// cut: a cut id could match another application's rule.
constexpr std::size_t kMaxApplicationIdBytes = 255;
constexpr std::size_t kMaxExecutablePathBytes = 511;

// The application as far as it can be believed: an id too long for any application is
// none (the rules' "every other application"), a path too long is not known.
inline FrontApplication withinBounds(FrontApplication front) {
    if (front.id.size() > kMaxApplicationIdBytes) front.id.clear();
    if (front.executablePath.size() > kMaxExecutablePathBytes) front.executablePath.clear();
    if (front.toldPath.size() > kMaxExecutablePathBytes) front.toldPath.clear();
    return front;
}

}  // namespace tq260
