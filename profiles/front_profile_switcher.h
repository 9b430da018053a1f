#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/main_thread_queue.h"
#include "profiles/profile_rules.h"

namespace tq260 {

// Gives the keyboard the profile of the application in front, once that application has
// stayed in front for the settle time: quick Alt-Tab through windows sends nothing. The
// program's own windows change nothing. While the program cannot switch (a dialog is up, an
// operation runs) the switch waits. Everything runs on the main thread.
class FrontProfileSwitcher {
  public:
    static constexpr int kSettleMs = 300;

    // What the switcher works through: the program's window, in the program.
    struct Target {
        std::function<const ProfileRules&()> rules;
        // Whether a profile can be used now.
        std::function<bool()> canSwitch;
        // The profile the keyboard was last given; empty for none.
        std::function<std::u16string()> activeProfile;
        std::function<void(const std::u16string&)> use;
    };

    FrontProfileSwitcher(MainThreadQueue& timers, Target target);
    ~FrontProfileSwitcher();
    FrontProfileSwitcher(const FrontProfileSwitcher&) = delete;
    FrontProfileSwitcher& operator=(const FrontProfileSwitcher&) = delete;

    // The desktop says another application is in front.
    void frontChanged(const FrontApplication& front);
    // How many times a profile was used.
    int switches() const { return switches_; }

  private:
    void settle(std::uint64_t serial);

    MainThreadQueue& timers_;
    Target target_;
    std::optional<FrontApplication> front_;
    // Each change makes the earlier pending settle stale.
    std::uint64_t serial_ = 0;
    int switches_ = 0;
    // Shared with the pending timers: they do nothing once the switcher is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tq260
