#include "controls/window_messages.h"

#include <QCoreApplication>

namespace tq260 {

qintptr sendWindowMessage(QObject* target, int message, qintptr wParam, qintptr lParam) {
    if (target == nullptr) return 0;
    WindowMessageEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(target, &event);
    return event.result();
}

const WindowMessageEvent* asWindowMessage(const QEvent* event) {
    switch (static_cast<int>(event->type())) {
        case WM_TRAY_NOTIFY:
        case WM_TRAY_BALLOON:
        case WM_HOOK_KEY:
        case WM_LIST_EDIT_BEGIN:
        case WM_LIST_ITEM_EDITED:
        case WM_LAUNCH_KEY:
        case WM_SLIDER_CHANGED:
        case WM_LIGHTING_CHANGED:
        case WM_SETTINGS_LOADED:
        case WM_INPLACE_EDIT_END:
            return static_cast<const WindowMessageEvent*>(event);
        default:
            return nullptr;
    }
}

WindowHandle windowHandleOf(QObject* window) {
    return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
}

QObject* objectOf(WindowHandle window) {
    return reinterpret_cast<QObject*>(static_cast<std::uintptr_t>(window));
}

}  // namespace tq260
