#include "platform/x11_front_watcher.h"

#include <unistd.h>
#include <xcb/res.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

namespace tq260 {

namespace {

// The window types that are never the active window: panels, the desktop, menus, tooltips
// and the like; and those that are.
constexpr std::array kPassiveTypes{
    "_NET_WM_WINDOW_TYPE_DESKTOP",      "_NET_WM_WINDOW_TYPE_DOCK",
    "_NET_WM_WINDOW_TYPE_TOOLBAR",      "_NET_WM_WINDOW_TYPE_MENU",
    "_NET_WM_WINDOW_TYPE_SPLASH",       "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU",
    "_NET_WM_WINDOW_TYPE_POPUP_MENU",   "_NET_WM_WINDOW_TYPE_TOOLTIP",
    "_NET_WM_WINDOW_TYPE_NOTIFICATION", "_NET_WM_WINDOW_TYPE_COMBO",
    "_NET_WM_WINDOW_TYPE_DND"};
constexpr std::array kActiveTypes{"_NET_WM_WINDOW_TYPE_NORMAL", "_NET_WM_WINDOW_TYPE_DIALOG",
                                  "_NET_WM_WINDOW_TYPE_UTILITY"};

struct Atoms {
    xcb_atom_t activeWindow = XCB_ATOM_NONE;
    xcb_atom_t clientList = XCB_ATOM_NONE;
    xcb_atom_t pid = XCB_ATOM_NONE;
    xcb_atom_t windowType = XCB_ATOM_NONE;
    xcb_atom_t protocols = XCB_ATOM_NONE;
    xcb_atom_t takeFocus = XCB_ATOM_NONE;
    std::array<xcb_atom_t, kPassiveTypes.size()> passiveTypes{};
    std::array<xcb_atom_t, kActiveTypes.size()> activeTypes{};
    // Whether the server has the X-Resource extension, which tells a window's client's pid.
    bool serverTellsPids = false;
};

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

// The atoms asked for at once, then their answers read: one wait for all of them.
Atoms atomsOf(xcb_connection_t* connection) {
    Atoms atoms;
    std::vector<std::pair<std::string_view, xcb_atom_t*>> wanted{
        {"_NET_ACTIVE_WINDOW", &atoms.activeWindow},
        {"_NET_CLIENT_LIST", &atoms.clientList},
        {"_NET_WM_PID", &atoms.pid},
        {"_NET_WM_WINDOW_TYPE", &atoms.windowType},
        {"WM_PROTOCOLS", &atoms.protocols},
        {"WM_TAKE_FOCUS", &atoms.takeFocus}};
    for (std::size_t i = 0; i < kPassiveTypes.size(); ++i) {
        wanted.emplace_back(kPassiveTypes[i], &atoms.passiveTypes[i]);
    }
    for (std::size_t i = 0; i < kActiveTypes.size(); ++i) {
        wanted.emplace_back(kActiveTypes[i], &atoms.activeTypes[i]);
    }
    std::vector<xcb_intern_atom_cookie_t> cookies;
    for (const auto& [name, atom] : wanted) {
        cookies.push_back(
            xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()));
    }
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        const Reply<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(connection, cookies[i], nullptr), &std::free);
        *wanted[i].second = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
    const xcb_query_extension_reply_t* resources = xcb_get_extension_data(connection, &xcb_res_id);
    atoms.serverTellsPids = resources != nullptr && resources->present != 0;
    return atoms;
}

// A property's bytes, at most 64 KiB of them; nothing when the window has none of that type.
std::optional<std::string> property(xcb_connection_t* connection, xcb_window_t window,
                                    xcb_atom_t name, xcb_atom_t type) {
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, window, name, type, 0, 16384), nullptr),
        &std::free);
    if (!reply || reply->type != type) return std::nullopt;
    const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
    const int length = xcb_get_property_value_length(reply.get());
    return std::string(bytes, length > 0 ? static_cast<std::size_t>(length) : 0);
}

// A property of 32-bit items (windows, atoms, cardinals) as its items.
std::vector<std::uint32_t> itemsIn(const std::optional<std::string>& value) {
    std::vector<std::uint32_t> items;
    if (!value) return items;
    for (std::size_t at = 0; at + sizeof(std::uint32_t) <= value->size();
         at += sizeof(std::uint32_t)) {
        std::uint32_t item = 0;
        value->copy(reinterpret_cast<char*>(&item), sizeof item, at);
        items.push_back(item);
    }
    return items;
}

bool contains(const auto& atoms, xcb_atom_t atom) {
    return atom != XCB_ATOM_NONE && std::find(atoms.begin(), atoms.end(), atom) != atoms.end();
}

// Whether the window can ever be the active one: its type (the first one it names that is
// known decides) is not a panel's, the desktop's, a menu's or the like, and it takes input,
// given by the window manager or taking the focus itself (WM_TAKE_FOCUS).
bool canBecomeActive(xcb_connection_t* connection, const Atoms& atoms, xcb_window_t window) {
    for (const xcb_atom_t type :
         itemsIn(property(connection, window, atoms.windowType, XCB_ATOM_ATOM))) {
        if (contains(atoms.passiveTypes, type)) return false;
        if (contains(atoms.activeTypes, type)) break;
    }
    // WM_HINTS: flags, then input; the input flag counts only where its bit is set.
    const auto hints = itemsIn(property(connection, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS));
    constexpr std::uint32_t kInputHint = 1;
    const bool refusesInput = hints.size() >= 2 && (hints[0] & kInputHint) != 0 && hints[1] == 0;
    return !refusesInput ||
           contains(itemsIn(property(connection, window, atoms.protocols, XCB_ATOM_ATOM)),
                    atoms.takeFocus);
}

std::string executableOf(std::uint32_t pid) {
    if (pid == 0) return {};
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
    return error ? std::string() : path.string();
}

// The pid of the client that made the window, as the server knows it (a local client's,
// from its socket); nothing where the server does not tell.
std::optional<std::uint32_t> clientPidOf(xcb_connection_t* connection, const Atoms& atoms,
                                         xcb_window_t window) {
    if (!atoms.serverTellsPids) return std::nullopt;
    // The question is the first member of an answer's value: the window and what is asked.
    xcb_res_client_id_value_t value{};
    auto& [asked, length] = value;
    asked = {window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    const Reply<xcb_res_query_client_ids_reply_t> reply(
        xcb_res_query_client_ids_reply(connection, xcb_res_query_client_ids(connection, 1, &asked),
                                       nullptr),
        &std::free);
    if (!reply) return std::nullopt;
    for (auto ids = xcb_res_query_client_ids_ids_iterator(reply.get()); ids.rem > 0;
         xcb_res_client_id_value_next(&ids)) {
        const auto& [answered, size] = *ids.data;
        if ((answered.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) != 0 &&
            xcb_res_client_id_value_value_length(ids.data) >= 1) {
            return *xcb_res_client_id_value_value(ids.data);
        }
    }
    return std::nullopt;
}

std::optional<FrontApplication> describe(xcb_connection_t* connection, const Atoms& atoms,
                                         xcb_window_t window) {
    if (window == XCB_WINDOW_NONE) return std::nullopt;
    const auto wmClass = property(connection, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    if (!wmClass) return std::nullopt;
    FrontApplication front;
    front.id = classOfWmClass(*wmClass);
    const auto pids = itemsIn(property(connection, window, atoms.pid, XCB_ATOM_CARDINAL));
    const WindowProcess process =
        windowProcess(clientPidOf(connection, atoms, window), pids.empty() ? 0 : pids.front(),
                      static_cast<std::uint32_t>(getpid()));
    front.executablePath = executableOf(process.pid);
    front.ownWindow = process.own;
    return withinBounds(std::move(front));
}

std::optional<FrontApplication> activeApplication(xcb_connection_t* connection, const Atoms& atoms,
                                                  xcb_window_t root) {
    const auto active = itemsIn(property(connection, root, atoms.activeWindow, XCB_ATOM_WINDOW));
    return active.empty() ? std::nullopt : describe(connection, atoms, active.front());
}

xcb_connection_t* connectToDisplay(xcb_window_t& root) {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return nullptr;
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
    if (screens.rem == 0) {
        xcb_disconnect(connection);
        return nullptr;
    }
    root = screens.data->root;
    return connection;
}

}  // namespace

WindowProcess windowProcess(std::optional<std::uint32_t> serverPid, std::uint32_t claimedPid,
                            std::uint32_t ownPid) {
    if (serverPid) return {*serverPid, *serverPid != 0 && *serverPid == ownPid};
    // Any client can write any pid into _NET_WM_PID: believed for the executable only, and
    // never when it names this program (whose windows its class tells).
    return {claimedPid == ownPid ? 0 : claimedPid, false};
}

std::string classOfWmClass(std::string_view value) {
    const auto end = value.find('\0');
    if (end == std::string_view::npos) return std::string(value);
    const std::string_view rest = value.substr(end + 1);
    const std::string_view className = rest.substr(0, rest.find('\0'));
    return std::string(className.empty() ? value.substr(0, end) : className);
}

X11FrontWatcher::~X11FrontWatcher() {
    stop();
}

bool X11FrontWatcher::start(Listener listener) {
    stop();
    xcb_window_t root = XCB_WINDOW_NONE;
    connection_ = connectToDisplay(root);
    if (connection_ == nullptr) return false;
    const Atoms atoms = atomsOf(connection_);
    // Only the root's property changes: the window manager sets _NET_ACTIVE_WINDOW there.
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection_, root, XCB_CW_EVENT_MASK, &mask);
    if (const auto front = activeApplication(connection_, atoms, root)) listener(*front);
    xcb_flush(connection_);
    xcb_connection_t* connection = connection_;
    return thread_.start(xcb_get_file_descriptor(connection), [connection, atoms, root, listener] {
        // Asking for the window's properties reads from the socket too: events that come
        // meanwhile wait in xcb's own queue, where poll() does not see them. So the queue is
        // emptied again after each report, until it stays empty.
        for (bool read = true; read;) {
            read = false;
            bool activeChanged = false;
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
                read = true;
                if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY) {
                    const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(event);
                    activeChanged = activeChanged || notify->atom == atoms.activeWindow;
                }
                std::free(event);
            }
            if (xcb_connection_has_error(connection) != 0) return false;
            // Several changes read at once: only where focus ended matters.
            if (activeChanged) {
                if (const auto front = activeApplication(connection, atoms, root)) {
                    listener(*front);
                }
            }
        }
        return true;
    });
}

void X11FrontWatcher::stop() {
    thread_.stop();
    if (connection_ != nullptr) {
        xcb_disconnect(connection_);
        connection_ = nullptr;
    }
}

std::optional<std::vector<FrontApplication>> X11FrontWatcher::openApplications() {
    // A connection of its own: the watching thread owns the other.
    xcb_window_t root = XCB_WINDOW_NONE;
    xcb_connection_t* connection = connectToDisplay(root);
    if (connection == nullptr) return {};
    const Atoms atoms = atomsOf(connection);
    std::vector<FrontApplication> open;
    for (const xcb_window_t window :
         itemsIn(property(connection, root, atoms.clientList, XCB_ATOM_WINDOW))) {
        const auto application = describe(connection, atoms, window);
        if (!application || application->ownWindow || application->id.empty() ||
            !canBecomeActive(connection, atoms, window)) {
            continue;
        }
        const auto same = std::find_if(open.begin(), open.end(), [&](const FrontApplication& a) {
            return a.id == application->id;
        });
        // Once each; the executable from any of its windows that tells it.
        if (same == open.end()) {
            open.push_back(*application);
        } else if (same->executablePath.empty()) {
            same->executablePath = application->executablePath;
        }
    }
    xcb_disconnect(connection);
    return open;
}

}  // namespace tq260
