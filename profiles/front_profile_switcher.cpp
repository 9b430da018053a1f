#include "profiles/front_profile_switcher.h"

#include <algorithm>
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
    // Kept until the next change: no longer than any application's id and path.
    front_ = withinBounds(front);
    settled_ = false;
    recheckMs_ = kSettleMs;
    settleAfter(kSettleMs);
}

void FrontProfileSwitcher::rulesChanged() {
    recheckMs_ = kSettleMs;
    // Not settled yet: its own timer comes.
    if (settled_) settleAfter(0);
}

void FrontProfileSwitcher::recheckLater() {
    settleAfter(recheckMs_);
    recheckMs_ = std::min(recheckMs_ * 2, kLongestRecheckMs);
}

void FrontProfileSwitcher::settleAfter(int ms) {
    const std::uint64_t ticket = ++ticket_;
    timers_.postAfter(ms, [this, ticket, alive = alive_] {
        if (!*alive || ticket != ticket_) return;
        settled_ = true;
        settle();
    });
}

void FrontProfileSwitcher::followRules(const ProfileRules& rules) {
    if (seenRules_ == rules) return;
    seenRules_ = rules;
    heldTold_.clear();
    unusableTold_.clear();
}

void FrontProfileSwitcher::settle() {
    if (!front_) return;
    const ProfileRules& rules = target_.rules();
    followRules(rules);
    const auto profile = profileFor(rules, *front_);
    if (!profile) return;
    // The profile being sent is not active yet: its end settles again.
    if (sending_) return;
    if (const auto unusable = target_.unusable(*profile)) {
        if (unusableTold_.size() >= kMaxTold) unusableTold_.clear();
        if (unusableTold_.insert(*profile).second) target_.cannotUse(*front_, *profile, *unusable);
        return;
    }
    unusableTold_.erase(*profile);
    const auto wait = [&](Hold hold) {
        if (heldTold_.size() >= kMaxTold) heldTold_.clear();
        if (heldTold_.emplace(front_->id, *profile, hold).second) {
            target_.held(*front_, *profile, hold);
        }
        // Tried again later, unless the application in front changes first. Whether a profile
        // holds the configuration means reading them all: asked less and less often, and at
        // once when the profiles change.
        if (hold == Hold::NotInProfile) {
            recheckLater();
        } else {
            settleAfter(kSettleMs);
        }
    };
    // Compared only once nothing runs: what runs may change the active profile.
    if (const auto hold = target_.hold()) {
        if (*profile != target_.activeProfile()) {
            wait(*hold);
        } else {
            settleAfter(kSettleMs);
        }
        return;
    }
    if (*profile == target_.activeProfile()) {
        // What this application waited for is over (the user used the profile): a later wait
        // of it is said again.
        std::erase_if(heldTold_, [&](const auto& told) { return std::get<0>(told) == front_->id; });
        recheckMs_ = kSettleMs;
        return;
    }
    if (!target_.configurationKept()) {
        wait(Hold::NotInProfile);
        return;
    }
    ++switches_;
    heldTold_.clear();
    recheckMs_ = kSettleMs;
    sending_ = true;
    target_.use(*profile, [this, alive = alive_](bool done) {
        if (*alive) sent(done);
    });
}

void FrontProfileSwitcher::sent(bool done) {
    sending_ = false;
    // The application in front may have changed while it was sent. One that could not be
    // sent is tried again at the next change, not at once and again.
    if (done && settled_) settleAfter(0);
}

}  // namespace tq260
