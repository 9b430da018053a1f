#pragma once

#include <QEvent>
#include <QObject>
#include <QtGlobal>

#include "platform/key_hook.h"

namespace tq260 {

// The program's own window messages. Qt carries each as an event whose type is the
// message number (all lie in Qt's range for user events), sent synchronously like the
// platform's send, with the two message parameters.
enum WindowMessage : int {
    WM_TRAY_NOTIFY = 0x405,
    WM_TRAY_BALLOON = 0x406,
    WM_HOOK_KEY = 0x6F3,
    WM_LIST_EDIT_BEGIN = 0x6F4,
    WM_LIST_ITEM_EDITED = 0x6F5,
    WM_LAUNCH_KEY = 0x778,
    WM_SLIDER_CHANGED = 0x779,
    WM_LIGHTING_CHANGED = 0x77A,
    WM_SETTINGS_LOADED = 0x77B,
    WM_INPLACE_EDIT_END = 0x8841,
};

static_assert(int{WM_TRAY_NOTIFY} >= int{QEvent::User} &&
              int{WM_INPLACE_EDIT_END} <= int{QEvent::MaxUser});

class WindowMessageEvent final : public QEvent {
  public:
    WindowMessageEvent(int message, qintptr wParam, qintptr lParam)
        : QEvent(static_cast<QEvent::Type>(message)), wParam_(wParam), lParam_(lParam) {}

    int message() const { return static_cast<int>(type()); }
    qintptr wParam() const { return wParam_; }
    qintptr lParam() const { return lParam_; }
    // What the receiver answers; 0 unless it says otherwise.
    qintptr result() const { return result_; }
    void setResult(qintptr result) { result_ = result; }

  private:
    qintptr wParam_;
    qintptr lParam_;
    qintptr result_ = 0;
};

// Delivers the message to target at once and returns its answer.
qintptr sendWindowMessage(QObject* target, int message, qintptr wParam, qintptr lParam);

// The message an event carries, or nothing when it is not one of ours.
const WindowMessageEvent* asWindowMessage(const QEvent* event);

// A window object as the core passes it around, and back.
WindowHandle windowHandleOf(QObject* window);
QObject* objectOf(WindowHandle window);

}  // namespace tq260
