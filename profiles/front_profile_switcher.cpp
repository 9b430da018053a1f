#include "profiles/front_profile_switcher.h"

#include <memory>

namespace tq260 {

FrontProfileSwitcher::FrontProfileSwitcher(MainThreadQueue& timers, Target target)
    : timers_(timers), target_(std::move(target)) {}

FrontProfileSwitcher::~FrontProfileSwitcher() {
    *alive_ = false;
}

void FrontProfileSwitcher::frontChanged(const FrontApplication& front) {
    // Coming to one of the program's own windows (the rules window, the tray's menu) is not
    // leaving the application before it.
    if (front.ownWindow) return;
    front_ = front;
    const std::uint64_t serial = ++serial_;
    timers_.postAfter(kSettleMs, [this, serial, alive = alive_] {
        if (*alive) settle(serial);
    });
}

void FrontProfileSwitcher::settle(std::uint64_t serial) {
    if (serial != serial_ || !front_) return;  // another application came in front since
    const auto profile = profileFor(target_.rules(), *front_);
    if (!profile || *profile == target_.activeProfile()) return;
    if (!target_.canSwitch()) {
        // Tried again a settle time later, unless the front application changes first.
        timers_.postAfter(kSettleMs, [this, serial, alive = alive_] {
            if (*alive) settle(serial);
        });
        return;
    }
    ++switches_;
    target_.use(*profile);
}

}  // namespace tq260
