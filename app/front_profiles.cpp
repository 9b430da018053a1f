#include "app/front_profiles.h"

#include <algorithm>

#include "app/main_window.h"
#include "config/profile_rules_file.h"

namespace tq260 {

FrontProfiles::FrontProfiles(CGameKeyboardDlg& window, ApplicationState& state,
                             MainThreadQueue& timers)
    : window_(window),
      state_(state),
      switcher_(timers, {[this]() -> const ProfileRules& { return rules(); },
                         [this] {
                             return window_.freeForRequests() && !window_.keyboardUnavailable() &&
                                    !window_.hasUnsavedEdits();
                         },
                         [this] {
                             state_.profiles.reload();
                             return state_.profiles.activeRow() ? state_.profiles.activeName()
                                                                : std::u16string();
                         },
                         [this](const std::u16string& name) {
                             state_.profiles.reload();
                             window_.sendProfile(name, {});
                         }}) {}

bool FrontProfiles::isOwnWindow(const std::string& id) {
    std::string lower = id;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower == "org.tq260.vantor" || lower == "tq260 104vez vantor";
}

void FrontProfiles::frontChanged(FrontApplication front) {
    front.ownWindow = front.ownWindow || isOwnWindow(front.id);
    switcher_.frontChanged(front);
}

const ProfileRules& FrontProfiles::rules() {
    // Read again only when the file was replaced (the tool, or another copy of the rules).
    const std::filesystem::path file = state_.dataFolderPath() / kProfileRulesFileName;
    const auto stamp = fileStamp(file);
    if (!rulesRead_ || stamp != rulesStamp_) {
        rulesRead_ = true;
        rulesStamp_ = stamp;
        // A damaged file turns the rules off; tq260ctl rules list says what is wrong.
        rules_ = readProfileRules(state_.dataFolderPath()).rules;
    }
    return rules_;
}

}  // namespace tq260
