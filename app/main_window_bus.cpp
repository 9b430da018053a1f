// The main window and requests from other programs (the session bus): what the keyboard
// holds, a configuration or a profile given to it through Save's path, shown at once.

#include <QApplication>
#include <cstring>

#include "app/main_window.h"
#include "config/config_json.h"
#include "keys/modified_marks.h"

namespace tq260 {

bool CGameKeyboardDlg::freeForRequests() const {
    // A read of the keyboard running (at the start, after it is plugged in) is waited for
    // too: what it reads is what a request works on.
    return !operation_.busy() && !closing_ && !initialising_ && !session_->reader().running() &&
           QApplication::activeModalWidget() == nullptr;
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
    DeviceSettings held;
    auto records = std::make_unique<AssignmentTable>();
    {
        std::lock_guard lock(state_.keyboard.recordMutex);
        held = state_.keyboard.shadow.record();
        *records = *state_.assignments.shadow;
    }
    return configurationToJson(held, state_.keyNames, records.get(), state_.macros.saved.get())
               .dump(2) +
           "\n";
}

std::vector<ConfigChange> CGameKeyboardDlg::applyRequest(
    const ConfigRequest& request, bool dryRun, std::function<void(OperationResult)> then) {
    std::vector<ConfigChange> changes;
    if (dryRun) {
        // Against what the keyboard holds, as the tool's own dry run is.
        auto settings = std::make_unique<DeviceSettings>();
        Assignments assignments;
        {
            std::lock_guard lock(state_.keyboard.recordMutex);
            *settings = state_.keyboard.shadow.record();
            *assignments.table = *state_.assignments.shadow;
        }
        return applyConfiguration(request, *settings, assignments, state_.keyNames);
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
    save([this, then = std::move(then)](OperationResult result) {
        refreshProfiles();
        if (then) then(result);
    });
    // After Save holds the keyboard, so the sliders preview nothing: the write back sends it.
    moveSlidersToRecord();
    update();
    return changes;
}

ProfileStore::Outcome CGameKeyboardDlg::saveKeyboardInProfile(const std::u16string& name) {
    auto settings = std::make_unique<DeviceSettings>();
    auto table = std::make_unique<AssignmentTable>();
    {
        std::lock_guard lock(state_.keyboard.recordMutex);
        *settings = state_.keyboard.shadow.record();
        *table = *state_.assignments.shadow;
    }
    RecordMutex lock;
    const LiveConfiguration held{*settings, *table, lock};
    ProfileStore& store = state_.profiles;
    store.reload();
    ProfileStore::Outcome saved = store.saveAs(name, held);
    if (saved.result == ProfileStore::Result::Done) {
        saved = store.setActive(name);
    }
    refreshProfiles();
    return saved;
}

}  // namespace tq260
