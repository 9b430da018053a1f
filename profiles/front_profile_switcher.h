#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <tuple>

#include "platform/main_thread_queue.h"
#include "profiles/profile_rules.h"

namespace tq260 {

// Gives the keyboard the profile of the application in front, once that application has
// stayed in front for the settle time: quick Alt-Tab through windows sends nothing. The
// program's own windows change nothing. While the program cannot switch (a dialog is up, an
// operation runs, the window holds unsaved edits, or the keyboard's configuration is in no
// profile and would be lost) the switch waits, is said once, and is made as soon as it can
// be. Whatever happens meanwhile, the keyboard ends on the profile of the application in
// front. Everything runs on the main thread.
class FrontProfileSwitcher {
  public:
    static constexpr int kSettleMs = 300;
    // A switch that waits for the configuration to be kept in a profile looks again less and
    // less often, up to this (each look reads the profiles); the profiles changing looks at
    // once.
    static constexpr int kLongestRecheckMs = 2400;
    // How many waits it remembers having said; past that it forgets them all (and may say
    // one again) rather than grow with every application that ever came to the front.
    static constexpr std::size_t kMaxTold = 64;

    // Why a switch waits.
    enum class Hold {
        Dialog,        // one of the program's dialogs is open
        Busy,          // an operation or a read of the keyboard runs
        NoKeyboard,    // no keyboard to give it to, or its settings were never read
        UnsavedEdits,  // the window holds edits a profile would replace
        NotInProfile,  // the keyboard's configuration is in no profile: it would be lost
    };
    // Why a rule's profile can never be used as it is.
    enum class Unusable { Missing, Empty, Damaged };

    // What the switcher works through: the program's window, in the program.
    struct Target {
        std::function<const ProfileRules&()> rules;
        // Why the profile cannot be used at all; nothing when it can.
        std::function<std::optional<Unusable>(const std::u16string&)> unusable;
        // Why the program cannot switch now (before any profile is compared); nothing when
        // it can.
        std::function<std::optional<Hold>()> hold;
        // The profile the keyboard was last given; empty for none.
        std::function<std::u16string()> activeProfile;
        // Whether some profile holds the keyboard's configuration, so a switch loses nothing.
        std::function<bool()> configurationKept;
        // Gives the keyboard the profile; sent is called once, when it has been given (true)
        // or could not be (false).
        std::function<void(const std::u16string&, std::function<void(bool sent)>)> use;
        // Says that the switch to the profile waits; once for each application, profile and
        // reason until a switch is made or the rules change.
        std::function<void(const FrontApplication&, const std::u16string&, Hold)> held;
        // Says that the rule for the application names a profile that cannot be used; once
        // for each profile until the rules change or the profile was seen usable.
        std::function<void(const FrontApplication&, const std::u16string&, Unusable)> cannotUse;
    };

    FrontProfileSwitcher(MainThreadQueue& timers, Target target);
    ~FrontProfileSwitcher();
    FrontProfileSwitcher(const FrontProfileSwitcher&) = delete;
    FrontProfileSwitcher& operator=(const FrontProfileSwitcher&) = delete;

    // The desktop says another application is in front.
    void frontChanged(const FrontApplication& front);
    // The rules or the profiles changed (turned on, a rule added, a profile saved into or
    // used): the application already in front gets what they give it now, without waiting
    // for it to change.
    void rulesChanged();
    // How many times a profile was used.
    int switches() const { return switches_; }
    // How many waits and unusable profiles it remembers having said.
    std::size_t toldCount() const { return heldTold_.size() + unusableTold_.size(); }

  private:
    // Runs settle() once ms have passed, unless something else is run or timed before.
    void settleAfter(int ms);
    // Looks again later while the switch waits, each time a little later.
    void recheckLater();
    void settle();
    void sent(bool done);
    // The told lists follow the rules: said again once the rules are different.
    void followRules(const ProfileRules& rules);

    MainThreadQueue& timers_;
    Target target_;
    std::optional<FrontApplication> front_;
    // Whether front_ has stayed in front for the settle time.
    bool settled_ = false;
    // A switch of ours is on its way to the keyboard: what it changes is not known yet.
    bool sending_ = false;
    // Each timing makes the ones before it stale.
    std::uint64_t ticket_ = 0;
    int recheckMs_ = kSettleMs;
    int switches_ = 0;
    std::optional<ProfileRules> seenRules_;
    std::set<std::tuple<std::string, std::u16string, Hold>> heldTold_;
    std::set<std::u16string> unusableTold_;
    // Shared with the pending timers and sends: they do nothing once the switcher is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tq260
