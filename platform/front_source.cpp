#include "platform/front_source.h"

#include <cstdlib>
#include <string_view>

#include "platform/front_application.h"
#ifdef _WIN32
#include "platform/windows_front_watcher.h"
#else
#include "platform/i3_front_watcher.h"
#include "platform/x11_front_watcher.h"
#endif

namespace tq260 {

namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Whether the ':'-separated desktop list names the desktop ("ubuntu:GNOME", "KDE").
// Not asked on Windows, where there is one source.
[[maybe_unused]] bool desktopIs(std::string_view list, std::string_view desktop) {
    while (!list.empty()) {
        const auto end = list.find(':');
        if (sameIgnoringCase(list.substr(0, end), desktop)) return true;
        if (end == std::string_view::npos) break;
        list.remove_prefix(end + 1);
    }
    return false;
}

}  // namespace

SessionDescription sessionFromEnvironment() {
    return {variable("XDG_SESSION_TYPE"), variable("XDG_CURRENT_DESKTOP"),
            variable("SWAYSOCK"),         variable("I3SOCK"),
            variable("DISPLAY"),          variable("WAYLAND_DISPLAY")};
}

FrontSource chooseFrontSource(const SessionDescription& session) {
#ifdef _WIN32
    (void)session;
    return FrontSource::Windows;
#else
    // sway sets both sockets; i3 only its own.
    if (!session.swaySocket.empty()) return FrontSource::Sway;
    if (!session.i3Socket.empty()) return FrontSource::I3;
    // The session's own word first; without one, whichever display is there.
    const bool wayland = session.sessionType.empty() ? !session.waylandDisplay.empty()
                                                     : session.sessionType == "wayland";
    if (wayland) {
        if (desktopIs(session.currentDesktop, "KDE")) return FrontSource::KWinScript;
        if (desktopIs(session.currentDesktop, "GNOME")) return FrontSource::GnomeExtension;
        return FrontSource::OtherWayland;
    }
    if (session.sessionType == "x11" || !session.display.empty()) return FrontSource::X11;
    return FrontSource::NoDesktop;
#endif
}

std::unique_ptr<FrontApplicationWatcher> makeFrontWatcher(FrontSource source,
                                                          const SessionDescription& session) {
#ifdef _WIN32
    (void)session;
    if (source == FrontSource::Windows) return std::make_unique<WindowsFrontWatcher>();
#else
    if (source == FrontSource::X11) return std::make_unique<X11FrontWatcher>();
    if (source == FrontSource::Sway) return std::make_unique<I3FrontWatcher>(session.swaySocket);
    if (source == FrontSource::I3) return std::make_unique<I3FrontWatcher>(session.i3Socket);
#endif
    return nullptr;
}

}  // namespace tq260
