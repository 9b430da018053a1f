#include "platform/windows_front_watcher.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <set>
#include <string>

namespace tq260 {

namespace {

std::string utf8(const wchar_t* text, int length) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::optional<FrontApplication> applicationOf(HWND window) {
    if (window == nullptr) return std::nullopt;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == 0) return std::nullopt;
    FrontApplication front;
    front.ownWindow = pid == GetCurrentProcessId();
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr) return std::nullopt;
    wchar_t path[32768];
    DWORD length = static_cast<DWORD>(std::size(path));
    const bool named = QueryFullProcessImageNameW(process, 0, path, &length) != 0;
    CloseHandle(process);
    if (!named || length == 0) return std::nullopt;
    front.executablePath = utf8(path, static_cast<int>(length));
    const auto slash = front.executablePath.find_last_of("\\/");
    front.id =
        slash == std::string::npos ? front.executablePath : front.executablePath.substr(slash + 1);
    return withinBounds(std::move(front));
}

// A hook's callback carries no context of its own; the listener it reports to lives on the
// watcher's thread, the only thread this callback runs on.
thread_local const FrontApplicationWatcher::Listener* hookListener = nullptr;

void CALLBACK foregroundChanged(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD,
                                DWORD) {
    if (object != OBJID_WINDOW || hookListener == nullptr) return;
    if (const auto front = applicationOf(window)) (*hookListener)(*front);
}

BOOL CALLBACK collectWindow(HWND window, LPARAM context) {
    auto& open = *reinterpret_cast<std::vector<FrontApplication>*>(context);
    // Windows a person sees and switches to: visible, unowned, with a title, able to come to
    // the front (not a tool window or one that is never activated), and not the desktop.
    const LONG_PTR extended = GetWindowLongPtrW(window, GWL_EXSTYLE);
    if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr ||
        GetWindowTextLengthW(window) == 0 ||
        (extended & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE)) != 0 || window == GetShellWindow()) {
        return TRUE;
    }
    const auto application = applicationOf(window);
    if (application && !application->ownWindow) open.push_back(*application);
    return TRUE;
}

}  // namespace

WindowsFrontWatcher::~WindowsFrontWatcher() {
    stop();
}

bool WindowsFrontWatcher::start(Listener listener) {
    auto shared = std::make_shared<Listener>(std::move(listener));
    return thread_.start(
        [shared]() -> std::optional<WindowsMessageThread::Cleanup> {
            HWINEVENTHOOK hook =
                SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                foregroundChanged, 0, 0, WINEVENT_OUTOFCONTEXT);
            if (hook == nullptr) return std::nullopt;
            hookListener = shared.get();
            return [hook] {
                UnhookWinEvent(hook);
                hookListener = nullptr;
            };
        },
        [shared] {
            if (const auto front = applicationOf(GetForegroundWindow())) (*shared)(*front);
        });
}

void WindowsFrontWatcher::stop() {
    thread_.stop();
}

std::optional<std::vector<FrontApplication>> WindowsFrontWatcher::openApplications() {
    std::vector<FrontApplication> all;
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&all));
    std::vector<FrontApplication> open;
    std::set<std::string> seen;
    for (auto& application : all) {
        if (seen.insert(application.id).second) open.push_back(std::move(application));
    }
    return open;
}

}  // namespace tq260
