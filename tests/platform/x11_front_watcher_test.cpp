#include "platform/x11_front_watcher.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <filesystem>

#include "support/scoped_environment.h"

namespace tq260::testing {
namespace {

// An X server of the test's own, without a window manager: the test sets the root's client
// list itself. No display when Xvfb is not installed.
struct XServer {
    XServer() {
        int fds[2];
        if (pipe(fds) != 0) return;
        const std::string fd = std::to_string(fds[1]);
        pid = fork();
        if (pid == 0) {
            dup2(open("/dev/null", O_WRONLY), STDERR_FILENO);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", nullptr);
            _exit(127);
        }
        close(fds[1]);
        // Xvfb writes its display number once it takes connections.
        for (char c = 0; read(fds[0], &c, 1) == 1 && c != '\n';) display += c;
        close(fds[0]);
    }
    ~XServer() {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    pid_t pid = -1;
    std::string display;
};

TEST(X11FrontWatcher, OffersTheWindowsThatCanBeInFrontOnceEachWithTheirExecutables) {
    XServer server;
    if (server.display.empty()) GTEST_SKIP() << "Xvfb is not installed";
    const ScopedEnvironment display("DISPLAY", ":" + server.display);
    struct Window {
        const char* id;
        std::vector<const char*> types;
        int input;  // WM_HINTS' input flag; -1: no hints
        bool takesFocus;
        bool pid;
        // Offered: with the executable, without it; not offered (again).
        enum { WithPath, WithoutPath, No } offered;
    };
    const std::vector<Window> windows{
        {"Editor", {"_NET_WM_WINDOW_TYPE_NORMAL"}, 1, false, true, Window::WithPath},
        {"Panel", {"_NET_WM_WINDOW_TYPE_DOCK"}, -1, false, true, Window::No},
        {"Notifier",
         {"_NET_WM_WINDOW_TYPE_NOTIFICATION", "_NET_WM_WINDOW_TYPE_NORMAL"},
         1,
         false,
         true,
         Window::No},
        // The first type the window manager knows decides.
        {"Dialog",
         {"_KDE_NET_WM_WINDOW_TYPE_OVERRIDE", "_NET_WM_WINDOW_TYPE_DIALOG",
          "_NET_WM_WINDOW_TYPE_DOCK"},
         -1,
         false,
         true,
         Window::WithPath},
        {"NoInput", {}, 0, false, true, Window::No},
        {"TakesFocus", {}, 0, true, true, Window::WithPath},
        {"NoPid", {}, -1, false, false, Window::WithoutPath},
        // Twice: once, with the executable from the window that tells it.
        {"Twice", {}, -1, false, false, Window::WithPath},
        {"Twice", {}, -1, false, true, Window::No},
    };
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    ASSERT_EQ(xcb_connection_has_error(x), 0);
    const auto atom = [x](const std::string& name) {
        auto* reply = xcb_intern_atom_reply(
            x, xcb_intern_atom(x, 0, static_cast<std::uint16_t>(name.size()), name.c_str()),
            nullptr);
        const xcb_atom_t atom = reply->atom;
        std::free(reply);
        return atom;
    };
    const auto set = [x](xcb_window_t window, xcb_atom_t name, xcb_atom_t type,
                         const std::vector<std::uint32_t>& items) {
        xcb_change_property(x, XCB_PROP_MODE_REPLACE, window, name, type, 32,
                            static_cast<std::uint32_t>(items.size()), items.data());
    };
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    std::vector<std::uint32_t> clients;
    for (const Window& each : windows) {
        const xcb_window_t window = xcb_generate_id(x);
        xcb_create_window(x, XCB_COPY_FROM_PARENT, window, root, 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        const std::string wmClass = std::string("instance") + '\0' + each.id + '\0';
        xcb_change_property(x, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            static_cast<std::uint32_t>(wmClass.size()), wmClass.data());
        std::vector<std::uint32_t> types;
        for (const char* type : each.types) types.push_back(atom(type));
        if (!types.empty()) set(window, atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, types);
        // Flags (the input hint's bit), then the input flag.
        if (each.input >= 0) {
            set(window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS,
                {1, static_cast<std::uint32_t>(each.input), 0, 0, 0, 0, 0, 0, 0});
        }
        if (each.takesFocus) {
            set(window, atom("WM_PROTOCOLS"), XCB_ATOM_ATOM, {atom("WM_TAKE_FOCUS")});
        }
        // Another process's windows: this one's own are never offered.
        if (each.pid) {
            set(window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL,
                {static_cast<std::uint32_t>(server.pid)});
        }
        clients.push_back(window);
    }
    set(root, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, clients);
    std::free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));

    const std::string xvfb =
        std::filesystem::read_symlink("/proc/" + std::to_string(server.pid) + "/exe").string();
    std::vector<std::pair<std::string, std::string>> expected, offered;
    for (const Window& each : windows) {
        if (each.offered != Window::No) {
            expected.emplace_back(each.id, each.offered == Window::WithPath ? xvfb : "");
        }
    }
    for (const FrontApplication& application : X11FrontWatcher().openApplications()) {
        offered.emplace_back(application.id, application.executablePath);
    }
    EXPECT_EQ(offered, expected);
    xcb_disconnect(x);
}

}  // namespace
}  // namespace tq260::testing
