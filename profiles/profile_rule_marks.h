#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/front_application.h"
#include "profiles/profile_rules.h"
#include "profiles/profile_store.h"

namespace tq260 {

// A profile as the rules window offers it.
struct ProfileEntry {
    std::u16string name;
    // Cannot be used: holds no settings (made by New and never saved into), which would blank
    // the keyboard, or its file is damaged or cannot be read.
    bool empty = false;
    // Of those, one whose file is damaged or cannot be read: saving into it is not the mend.
    bool damaged = false;
    friend bool operator==(const ProfileEntry&, const ProfileEntry&) = default;
};

// The store's profiles as the rules weigh them: one that cannot be used (empty, damaged, or
// its file unreadable) is never given.
std::vector<ProfileEntry> profileEntries(const ProfileStore& store);

enum class ProfileState { Usable, Empty, Damaged, Missing };
ProfileState profileState(const std::vector<ProfileEntry>& profiles, std::u16string_view name);

// Why a rule can never give its profile; nothing marked when it can.
struct RuleMarks {
    ProfileState profile = ProfileState::Usable;
    // The place of an earlier rule that matches every window this one matches.
    std::optional<std::size_t> hiddenBy;
    // A rule with a path for an application whose executable the desktop does not tell.
    bool executableUntold = false;
    bool any() const {
        return profile != ProfileState::Usable || hiddenBy.has_value() || executableUntold;
    }
};

// Each rule's marks, in order. known: the applications the desktop told about, with their
// executables where it told them.
std::vector<RuleMarks> ruleMarks(const ProfileRules& rules,
                                 const std::vector<ProfileEntry>& profiles,
                                 const std::vector<FrontApplication>& known);

// Whether the desktop told the application's windows without their executable, so that a rule
// with a path never matches them.
bool executableUntold(const std::vector<FrontApplication>& known, std::string_view application);

}  // namespace tq260
