#include "app/qt_key_hook.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWindow>

#include "controls/window_messages.h"
#include "platform/physical_keys.h"

namespace tq260 {

QtKeyHook::QtKeyHook(QObject* parent) : QObject(parent) {}

QtKeyHook::~QtKeyHook() {
    remove();
}

bool QtKeyHook::install(WindowHandle window, int) {
    QObject* recipient = objectOf(window);
    auto* widget = qobject_cast<QWidget*>(recipient);
    if (widget == nullptr || QCoreApplication::instance() == nullptr) return false;
    if (installed()) remove();
    recipient_ = recipient;
    window_ = widget->window();
    if (!filtering_) {
        QCoreApplication::instance()->installEventFilter(this);
        filtering_ = true;
    }
    if (window_->isActiveWindow()) grab();
    return true;
}

void QtKeyHook::remove() {
    releaseGrab();
    recipient_ = nullptr;
    window_ = nullptr;
    if (filtering_ && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
    filtering_ = false;
}

void QtKeyHook::grab() {
    if (window_ == nullptr || grabbing_) return;
    window_->grabKeyboard();
    grabbing_ = true;
}

void QtKeyHook::releaseGrab() {
    if (!grabbing_) return;
    grabbing_ = false;
    if (window_ != nullptr) window_->releaseKeyboard();
}

std::uint8_t QtKeyHook::virtualKeyOf(const QKeyEvent& event) {
#ifdef Q_OS_WIN
    return virtualKeyFromWindows(event.nativeVirtualKey(), event.nativeScanCode());
#else
    // X11 and Wayland both report the evdev code + 8.
    return virtualKeyFromLinuxScanCode(event.nativeScanCode());
#endif
}

bool QtKeyHook::belongsToHookedWindow(QObject* receiver) const {
    if (window_ == nullptr || receiver == nullptr) return false;
    if (receiver->isWidgetType()) return static_cast<QWidget*>(receiver)->window() == window_;
    if (receiver->isWindowType()) return receiver == window_->windowHandle();
    return false;
}

bool QtKeyHook::eventFilter(QObject* watched, QEvent* event) {
    if (recipient_ == nullptr || window_ == nullptr) return false;
    switch (event->type()) {
        case QEvent::WindowActivate:
            if (watched == window_) grab();
            return false;
        case QEvent::WindowDeactivate:
            // Whatever is active now (a chooser this window opened, another program)
            // gets its keys.
            if (watched == window_) releaseGrab();
            return false;
        case QEvent::ShortcutOverride:
            // No shortcut of any widget fires while the keys are captured.
            if (!belongsToHookedWindow(watched)) return false;
            event->accept();
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            if (!belongsToHookedWindow(watched)) return false;
            const auto& key = static_cast<const QKeyEvent&>(*event);
            const bool release = event->type() == QEvent::KeyRelease;
            const std::uint8_t virtualKey = virtualKeyOf(key);
            // A held key repeats as presses only; a key without a code is never reported.
            if (virtualKey != 0 && !(release && key.isAutoRepeat())) {
                sendWindowMessage(recipient_, WM_HOOK_KEY, virtualKey,
                                  release ? static_cast<qintptr>(KeyHook::kReleaseFlag) : 0);
            }
            return true;
        }
        default:
            return false;
    }
}

}  // namespace tq260
