#include "platform/x11_front_watcher.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "support/scoped_environment.h"

namespace tq260::testing {
namespace {

// An X server of the test's own, without a window manager: the test sets the root's client
// list itself. No display when Xvfb is not installed.
class XServer {
  public:
    XServer() {
        int fds[2];
        if (pipe(fds) != 0) return;
        const std::string fd = std::to_string(fds[1]);
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, STDERR_FILENO);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", nullptr);
            _exit(127);
        }
        close(fds[1]);
        // Xvfb writes its display number once it takes connections.
        char c = 0;
        while (read(fds[0], &c, 1) == 1 && c != '\n') display_ += c;
        close(fds[0]);
    }
    ~XServer() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& display() const { return display_; }
    pid_t pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
    std::string display_;
};

xcb_atom_t atom(xcb_connection_t* x, const std::string& name) {
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(
            x, xcb_intern_atom(x, 0, static_cast<std::uint16_t>(name.size()), name.c_str()),
            nullptr),
        &std::free);
    return reply->atom;
}

void set(xcb_connection_t* x, xcb_window_t window, xcb_atom_t name, xcb_atom_t type,
         const std::vector<std::uint32_t>& items) {
    xcb_change_property(x, XCB_PROP_MODE_REPLACE, window, name, type, 32,
                        static_cast<std::uint32_t>(items.size()), items.data());
}

TEST(X11FrontWatcher, OffersTheWindowsThatCanBeInFrontOnceEachWithTheirExecutables) {
    XServer server;
    if (server.display().empty()) GTEST_SKIP() << "Xvfb is not installed";
    const ScopedEnvironment display("DISPLAY", ":" + server.display());
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
        {"Editor", {}, -1, false, true, Window::WithPath},
        {"Panel", {"_NET_WM_WINDOW_TYPE_DOCK"}, -1, false, true, Window::No},
        {"Desktop", {"_NET_WM_WINDOW_TYPE_DESKTOP"}, 1, false, true, Window::No},
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
        {"Typing", {"_NET_WM_WINDOW_TYPE_NORMAL"}, 1, false, true, Window::WithPath},
        {"NoPid", {}, -1, false, false, Window::WithoutPath},
        // Twice: once, with the executable from the window that tells it.
        {"Twice", {}, -1, false, false, Window::WithPath},
        {"Twice", {}, -1, false, true, Window::No},
    };
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    ASSERT_EQ(xcb_connection_has_error(x), 0);
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
        for (const char* type : each.types) types.push_back(atom(x, type));
        if (!types.empty()) set(x, window, atom(x, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, types);
        if (each.input >= 0) {
            std::vector<std::uint32_t> hints(9, 0);
            hints[0] = 1;  // InputHint
            hints[1] = static_cast<std::uint32_t>(each.input);
            set(x, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, hints);
        }
        if (each.takesFocus) {
            set(x, window, atom(x, "WM_PROTOCOLS"), XCB_ATOM_ATOM, {atom(x, "WM_TAKE_FOCUS")});
        }
        // Another process's windows: this one's own are never offered.
        if (each.pid) {
            set(x, window, atom(x, "_NET_WM_PID"), XCB_ATOM_CARDINAL,
                {static_cast<std::uint32_t>(server.pid())});
        }
        clients.push_back(window);
    }
    set(x, root, atom(x, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, clients);
    std::free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));

    const std::string xvfb =
        std::filesystem::read_symlink("/proc/" + std::to_string(server.pid()) + "/exe").string();
    std::vector<std::pair<std::string, std::string>> expected;
    for (const Window& each : windows) {
        if (each.offered != Window::No) {
            expected.emplace_back(each.id, each.offered == Window::WithPath ? xvfb : "");
        }
    }
    std::vector<std::pair<std::string, std::string>> offered;
    for (const FrontApplication& application : X11FrontWatcher().openApplications()) {
        offered.emplace_back(application.id, application.executablePath);
    }
    EXPECT_EQ(offered, expected);
    xcb_disconnect(x);
}

}  // namespace
}  // namespace tq260::testing
