#include "platform/front_source.h"

#include <gtest/gtest.h>

#include "platform/x11_front_watcher.h"

namespace tq260 {
namespace {

TEST(FrontSource, TheSessionPicksTheSource) {
    struct Row {
        SessionDescription session;
        FrontSource source;
    };
    const Row rows[] = {
        // sway sets both sockets, and runs Wayland.
        {{"wayland", "sway", "/run/sway.sock", "/run/sway.sock", "", "wayland-1"},
         FrontSource::Sway},
        {{"x11", "i3", "", "/run/i3.sock", ":0", ""}, FrontSource::I3},
        {{"wayland", "KDE", "", "", ":1", "wayland-0"}, FrontSource::KWinScript},
        {{"wayland", "ubuntu:GNOME", "", "", ":0", "wayland-0"}, FrontSource::GnomeExtension},
        {{"wayland", "gnome", "", "", "", "wayland-0"}, FrontSource::GnomeExtension},
        // A name that only contains a desktop's is not that desktop.
        {{"wayland", "GNOME-Flashback-ish:Hyprland", "", "", "", "wayland-1"},
         FrontSource::OtherWayland},
        // On X11 the server is watched, whatever the desktop.
        {{"x11", "KDE", "", "", ":0", ""}, FrontSource::X11},
        {{"x11", "GNOME", "", "", ":0", ""}, FrontSource::X11},
        // No session type: whichever display there is.
        {{"", "", "", "", ":99", ""}, FrontSource::X11},
        {{"", "KDE", "", "", ":0", "wayland-0"}, FrontSource::KWinScript},
        {{"tty", "", "", "", "", ""}, FrontSource::NoDesktop},
        {{"", "", "", "", "", ""}, FrontSource::NoDesktop},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(chooseFrontSource(row.session), row.source)
            << row.session.sessionType << " " << row.session.currentDesktop;
    }
}

TEST(FrontSource, OnlyTheProgramsOwnSourcesGetAWatcher) {
    const SessionDescription sway{"wayland", "sway", "/nonexistent/sway.sock", "", "", "w"};
    EXPECT_NE(makeFrontWatcher(FrontSource::Sway, sway), nullptr);
    EXPECT_NE(makeFrontWatcher(FrontSource::X11, sway), nullptr);
    for (const auto source : {FrontSource::KWinScript, FrontSource::GnomeExtension,
                              FrontSource::OtherWayland, FrontSource::NoDesktop}) {
        EXPECT_EQ(makeFrontWatcher(source, sway), nullptr);
    }
    // Nothing there to watch: said, not hung.
    EXPECT_FALSE(makeFrontWatcher(FrontSource::Sway, sway)->start([](const FrontApplication&) {}));
}

TEST(WmClass, TheClassFollowsTheInstance) {
    using namespace std::string_literals;
    const std::pair<std::string, std::string> rows[] = {
        {"navigator\0Firefox\0"s, "Firefox"},
        {"xterm\0XTerm"s, "XTerm"},
        {"solo\0"s, "solo"},
        {"solo"s, "solo"},
        {"\0OnlyClass\0"s, "OnlyClass"},
        {""s, ""},
    };
    for (const auto& [value, className] : rows) EXPECT_EQ(classOfWmClass(value), className);
}

}  // namespace
}  // namespace tq260
