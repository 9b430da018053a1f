#include "config/profile_use.h"

#include "config/shared_messages.h"

namespace tq260 {

namespace {

constexpr const char* kNowhere =
    "there are six profiles and none is active: save it into one of them first (tq260ctl "
    "profile save NAME), or add --discard to let it go.";

}  // namespace

std::optional<Unkept> unkeptNamed(std::string_view word) {
    if (word == "keep") return Unkept::Keep;
    if (word == "discard") return Unkept::Discard;
    return std::nullopt;
}

std::optional<std::u16string> keepingPlace(const ProfileStore& store) {
    if (const auto active = store.activeRow()) return store.names()[*active];
    if (store.names().size() < ProfileStore::kMaxProfiles) {
        return ProfileStore::defaultName(store.names());
    }
    return std::nullopt;
}

ProfileStore::Outcome keepConfiguration(ProfileStore& store, const LiveConfiguration& live,
                                        const std::u16string& place) {
    const auto active = store.activeRow();
    return active ? store.save(*active, live) : store.saveAs(place, live);
}

UnkeptOutcome settleUnkept(ProfileStore& store, const LiveConfiguration& live,
                           std::u16string_view name, Unkept choice) {
    if (choice == Unkept::Discard || store.rowHolding(live)) return {};
    const auto place = keepingPlace(store);
    const std::string unkept = "The keyboard's configuration is not saved in any profile, and ";
    if (!place) {
        return {bus::Error::NotInProfile,
                unkept +
                    (choice == Unkept::Keep
                         ? "--keep has nowhere to keep it: "
                         : "using " + quotedName(std::u16string(name)) + " replaces it: ") +
                    kNowhere,
                {}};
    }
    const auto active = store.activeRow();
    if (choice == Unkept::Refuse) {
        return {bus::Error::NotInProfile,
                unkept + "using " + quotedName(std::u16string(name)) +
                    " replaces it: add --keep to keep it in " + (active ? "" : "a new profile ") +
                    quotedName(*place) + " first, or --discard to let it go.",
                {}};
    }
    const ProfileStore::Outcome kept = keepConfiguration(store, live, *place);
    if (kept.result != ProfileStore::Result::Done) {
        return {profileRefusalError(kept.result), profileRefusal(kept, *place), {}};
    }
    return {std::nullopt, {}, *place};
}

std::string keptText(const std::u16string& profile) {
    return "The keyboard's configuration is kept in the profile " + quotedName(profile) + ".";
}

}  // namespace tq260
