#include "platform/x11_front_watcher.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

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

// The process a window is of: the server's word where it has one, and a claimed pid never
// makes a window the program's own.
TEST(X11FrontWatcher, TheServerTellsTheWindowsProcessAndAClaimIsOnlyAHint) {
    struct Row {
        std::optional<std::uint32_t> server;
        std::uint32_t claimed;
        WindowProcess expected;
    };
    constexpr std::uint32_t own = 100;
    const std::vector<Row> rows{
        {200, own, {200, false}},  // claims to be this program: the server says otherwise
        {own, 300, {own, true}},   // claims another's: it is this program's
        {std::nullopt, 300, {300, false}},
        {std::nullopt, own, {0, false}},  // no server word: never this program's by a claim
        {std::nullopt, 0, {0, false}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(windowProcess(row.server, row.claimed, own), row.expected)
            << row.server.value_or(0) << " " << row.claimed;
    }
}

TEST(X11FrontWatcher, OffersTheWindowsThatCanBeInFrontOnceEachWithTheirExecutables) {
    XServer server;
    if (server.display.empty()) GTEST_SKIP() << "Xvfb is not installed";
    const ScopedEnvironment display("DISPLAY", ":" + server.display);
    struct Window {
        const char* id;
        std::vector<const char*> types;
        int input;  // WM_HINTS' input flag; -1: no hints
        bool takesFocus;
        // The pid the window claims (_NET_WM_PID): none, another's, this test's own.
        enum { None, Other, Ours } claims;
        bool offered;
    };
    const std::vector<Window> windows{
        {"Editor", {"_NET_WM_WINDOW_TYPE_NORMAL"}, 1, false, Window::Other, true},
        {"Panel", {"_NET_WM_WINDOW_TYPE_DOCK"}, -1, false, Window::Other, false},
        {"Notifier",
         {"_NET_WM_WINDOW_TYPE_NOTIFICATION", "_NET_WM_WINDOW_TYPE_NORMAL"},
         1,
         false,
         Window::Other,
         false},
        // The first type the window manager knows decides.
        {"Dialog",
         {"_KDE_NET_WM_WINDOW_TYPE_OVERRIDE", "_NET_WM_WINDOW_TYPE_DIALOG",
          "_NET_WM_WINDOW_TYPE_DOCK"},
         -1,
         false,
         Window::Other,
         true},
        {"NoInput", {}, 0, false, Window::Other, false},
        {"TakesFocus", {}, 0, true, Window::Other, true},
        {"NoPid", {}, -1, false, Window::None, true},
        // Claims to be this program's: another process's all the same.
        {"Pretender", {}, -1, false, Window::Ours, true},
        {"Twice", {}, -1, false, Window::None, true},
        {"Twice", {}, -1, false, Window::Other, false},
    };
    // The windows are another process's: made by a child, which keeps them until told.
    int made[2];
    int done[2];
    ASSERT_EQ(pipe(made), 0);
    ASSERT_EQ(pipe(done), 0);
    const pid_t test = getpid();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        xcb_connection_t* x = xcb_connect(nullptr, nullptr);
        const auto atom = [x](const std::string& name) {
            auto* reply = xcb_intern_atom_reply(
                x, xcb_intern_atom(x, 0, static_cast<std::uint16_t>(name.size()), name.c_str()),
                nullptr);
            const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
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
            xcb_change_property(x, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS,
                                XCB_ATOM_STRING, 8, static_cast<std::uint32_t>(wmClass.size()),
                                wmClass.data());
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
            if (each.claims != Window::None) {
                const pid_t claimed = each.claims == Window::Ours ? test : server.pid;
                set(window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL,
                    {static_cast<std::uint32_t>(claimed)});
            }
            clients.push_back(window);
        }
        set(root, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, clients);
        std::free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
        char c = 1;
        [[maybe_unused]] const auto written = write(made[1], &c, 1);
        [[maybe_unused]] const auto read = ::read(done[0], &c, 1);
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(made[0], &c, 1), 1);

    // The child runs this test's executable: the server tells its pid, whatever it claims.
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::vector<std::pair<std::string, std::string>> expected, offered;
    for (const Window& each : windows) {
        if (each.offered) expected.emplace_back(each.id, self);
    }
    const auto open = X11FrontWatcher().openApplications();
    ASSERT_TRUE(open.has_value());
    for (const FrontApplication& application : *open) {
        offered.emplace_back(application.id, application.executablePath);
    }
    EXPECT_EQ(offered, expected);
    [[maybe_unused]] const auto written = write(done[1], &c, 1);
    waitpid(child, nullptr, 0);
    for (const int fd : {made[0], made[1], done[0], done[1]}) close(fd);
}

}  // namespace
}  // namespace tq260::testing
