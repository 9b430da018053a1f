#pragma once

#include <QObject>
#include <QPointer>
#include <vector>

#include "controls/window_messages.h"
#include "platform/key_hook.h"

namespace tq260::testing {

// A key hook that tests drive: it keeps every install and remove, and delivers the keys a
// test presses to the installed window as WM_HOOK_KEY, nothing once removed.
class ScriptedKeyHook final : public KeyHook {
  public:
    struct Installation {
        QObject* window;
        int mode;
    };

    bool install(WindowHandle window, int mode) override {
        installations.push_back({objectOf(window), mode});
        if (refuse) return false;
        target_ = objectOf(window);
        return true;
    }
    void remove() override {
        ++removals;
        target_ = nullptr;
    }

    bool installed() const { return target_ != nullptr; }
    QObject* target() const { return target_; }

    void press(std::uint8_t virtualKey) { deliver(virtualKey, 0); }
    void release(std::uint8_t virtualKey) { deliver(virtualKey, kReleaseFlag); }
    // A press and its release, as typing does.
    void type(std::uint8_t virtualKey) {
        press(virtualKey);
        release(virtualKey);
    }

    bool refuse = false;  // install answers false, as a hook that cannot be set
    std::vector<Installation> installations;
    int removals = 0;

  private:
    void deliver(std::uint8_t virtualKey, std::uint32_t flags) {
        if (target_ != nullptr) {
            sendWindowMessage(target_, WM_HOOK_KEY, virtualKey, static_cast<qintptr>(flags));
        }
    }
    QPointer<QObject> target_;
};

}  // namespace tq260::testing
