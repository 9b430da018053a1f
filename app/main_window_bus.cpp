// The main window and requests from other programs (the session bus): what the keyboard
// holds, a configuration or a profile given to it through Save's path, shown at once.

#include <QApplication>
#include <cstring>

#include "app/main_window.h"
#include "config/config_json.h"
#include "device/keyboard_listing.h"
#include "keys/modified_marks.h"
#include "platform/device_claim.h"

namespace tq260 {

namespace {

// What the keyboard holds (the shadows), copied under the record's lock; with the lighting it
// shows where given (a preview is on the keyboard though not saved).
struct HeldByKeyboard {
    std::unique_ptr<DeviceSettings> settings = std::make_unique<DeviceSettings>();
    Assignments assignments;
};

HeldByKeyboard heldByKeyboard(ApplicationState& state,
                              const std::optional<LightingSettings>& shown = std::nullopt) {
    HeldByKeyboard held;
    std::lock_guard lock(state.keyboard.recordMutex);
    *held.settings = state.keyboard.shadow.record();
    *held.assignments.table = *state.assignments.shadow;
    if (shown) held.settings->lighting = *shown;
    return held;
}

}  // namespace

bool CGameKeyboardDlg::freeForReads() const {
    // A read of the keyboard running (at the start, after it is plugged in) is waited for
    // too: what it reads is what a request works on.
    return !operation_.busy() && !closing_ && !initialising_ && !session_->reader().running() &&
           !lightingRead_.busy();
}

bool CGameKeyboardDlg::freeForRequests() const {
    return freeForReads() && QApplication::activeModalWidget() == nullptr;
}

std::optional<bus::Error> CGameKeyboardDlg::keyboardUnavailable() const {
    if (!services_.link.isConnected()) return bus::Error::NoKeyboard;
    // Sending a record the keyboard never gave would overwrite what it holds.
    if (!recordIsTheKeyboards()) return bus::Error::NotAnswering;
    return std::nullopt;
}

bool CGameKeyboardDlg::hasUnsavedEdits() const {
    std::lock_guard lock(state_.keyboard.recordMutex);
    return std::memcmp(&state_.keyboard.settings, &state_.keyboard.shadow.record(),
                       sizeof(DeviceSettings)) != 0 ||
           *state_.assignments.table != *state_.assignments.shadow;
}

std::string CGameKeyboardDlg::keyboardConfigurationJson() const {
    const HeldByKeyboard held = heldByKeyboard(state_, keyboardLighting_);
    return configurationToJson(*held.settings, state_.keyNames, held.assignments.table.get(),
                               state_.macros.saved.get())
               .dump(2) +
           "\n";
}

std::vector<ConfigChange> CGameKeyboardDlg::applyRequest(
    const ConfigRequest& request, bool dryRun, std::function<void(OperationResult)> then) {
    std::vector<ConfigChange> changes;
    if (dryRun) {
        // Against what the keyboard holds, as the tool's own dry run is.
        HeldByKeyboard held = heldByKeyboard(state_);
        return applyConfiguration(request, *held.settings, held.assignments, state_.keyNames);
    }
    {
        std::lock_guard lock(state_.keyboard.recordMutex);
        changes = applyConfiguration(request, state_.keyboard.settings, state_.assignments,
                                     state_.keyNames);
        if (changes.empty()) return changes;
        recomputeMarksAfterRead(state_.keyboard.settings, *state_.assignments.table,
                                state_.assignments.marks);
        ui_.diyEditMode = state_.keyboard.settings.lighting.effect >= kFirstCustomEffect;
    }
    // Kept before it is sent, as a key's dialog keeps it: the combinations and launch paths
    // live only here, and a kill once the keyboard has their codes must not lose them.
    saveKeymap();
    save([this, then = std::move(then)](OperationResult result) {
        refreshProfiles();
        if (then) then(result);
    });
    // After Save holds the keyboard, so the sliders preview nothing: the write back sends it.
    moveSlidersToRecord();
    update();
    return changes;
}

std::string CGameKeyboardDlg::keyboardListText() const {
    ListingKnowledge known;
    known.heldCommandPath = services_.link.commandPath();
    if (recordIsTheKeyboards()) known.heldFirmware = state_.keyboard.identity.firmware;
    known.heldElsewhere = &DeviceClaim::heldElsewhere;
    return describeKeyboards(
        listKeyboards(services_.link.transport(), services_.link.clock(), nullptr, known));
}

UnkeptOutcome CGameKeyboardDlg::settleUnkeptBefore(const std::u16string& name, Unkept unkept) {
    const UnkeptOutcome settled = settleUnkept(state_.profiles, liveConfiguration(), name, unkept);
    if (!settled.keptIn.empty()) refreshProfiles();
    return settled;
}

ProfileStore::Outcome CGameKeyboardDlg::saveKeyboardInProfile(const std::u16string& name) {
    const HeldByKeyboard copy = heldByKeyboard(state_, keyboardLighting_);
    RecordMutex lock;
    const LiveConfiguration held{*copy.settings, *copy.assignments.table, lock};
    ProfileStore& store = state_.profiles;
    store.reload();
    const ProfileStore::Outcome saved = store.saveAs(name, held);
    if (saved.result == ProfileStore::Result::Done) rememberActive(name);
    refreshProfiles();
    return saved;
}

}  // namespace tq260
