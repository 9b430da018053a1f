#pragma once

#include <memory>
#include <string>

#include "platform/front_application_watcher.h"

namespace tq260 {

// Where the program learns which application is in front.
enum class FrontSource {
    NoDesktop,       // no graphical session (a console, a service)
    X11,             // the X server's _NET_ACTIVE_WINDOW, watched by the program
    Sway,            // sway's IPC socket, watched by the program
    I3,              // i3's IPC socket, watched by the program
    KWinScript,      // KDE Plasma on Wayland: the KWin script calls the program's bus interface
    GnomeExtension,  // GNOME on Wayland: the Shell extension calls it
    OtherWayland,    // a Wayland desktop that tells programs nothing about its windows
    Windows,         // the system's foreground-window event
};

// What the session says about itself (the environment).
struct SessionDescription {
    std::string sessionType;     // XDG_SESSION_TYPE
    std::string currentDesktop;  // XDG_CURRENT_DESKTOP, a list separated by ':'
    std::string swaySocket;      // SWAYSOCK
    std::string i3Socket;        // I3SOCK
    std::string display;         // DISPLAY
    std::string waylandDisplay;  // WAYLAND_DISPLAY
};

SessionDescription sessionFromEnvironment();

// The source for the session. On an X11 session the program watches the X server itself,
// whatever the desktop: nothing to enable, and it works under every window manager.
FrontSource chooseFrontSource(const SessionDescription& session);

// The program's own watcher for the source; nothing where the desktop's script reports (or
// nothing reports).
std::unique_ptr<FrontApplicationWatcher> makeFrontWatcher(FrontSource source,
                                                          const SessionDescription& session);

}  // namespace tq260
