#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "config/bus_names.h"
#include "profiles/profile_store.h"

namespace tq260 {

// Using a profile over a configuration that no profile holds (ProfileStore::rowHolding, as
// the window asks it): the tool and the program's bus interface decide it alike.

// What becomes of that configuration.
enum class Unkept {
    Refuse,   // the use is refused, and why is said
    Keep,     // saved first where keepingPlace says
    Discard,  // let go
};

// "keep" or "discard", as the bus takes them; nothing for any other word.
std::optional<Unkept> unkeptNamed(std::string_view word);

// Where Keep saves it, as the window offers: the active profile, or with none active a new
// one named as New names it; nothing when neither can be (six profiles, none active).
std::optional<std::u16string> keepingPlace(const ProfileStore& store);

// Saves the live configuration where keepingPlace said: into the active profile, or into a
// new one of that name.
ProfileStore::Outcome keepConfiguration(ProfileStore& store, const LiveConfiguration& live,
                                        const std::u16string& place);

struct UnkeptOutcome {
    // Set when the use must not go on; message says why, in the tool's words.
    std::optional<bus::Error> error;
    std::string message;
    // The profile Keep saved it into; empty when nothing was saved.
    std::u16string keptIn;
};
// Before the profile `name` is used: nothing to do when a profile holds the live
// configuration or it may be let go; otherwise refused, or kept.
UnkeptOutcome settleUnkept(ProfileStore& store, const LiveConfiguration& live,
                           std::u16string_view name, Unkept choice);

// "The keyboard's configuration is kept in the profile "Desk"."
std::string keptText(const std::u16string& profile);

}  // namespace tq260
