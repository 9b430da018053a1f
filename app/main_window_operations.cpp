// The main window's exchanges with the keyboard as a whole: Save, Cancel, the factory reset,
// and what the user is told when the keyboard does not take them.

#include "app/main_window.h"
#include "device/composite_operations.h"
#include "keys/factory_key_map.h"
#include "keys/modified_marks.h"

namespace tq260 {

namespace {

constexpr int kSavedNoticeMs = 3000;

}  // namespace

void CGameKeyboardDlg::save(std::function<void(OperationResult)> then) {
    // Whoever waits for the end hears it also when nothing starts: a switch or a bus call
    // that never heard would wait for ever.
    if (operation_.busy()) {
        if (then) then(OperationResult::Failed);
        return;
    }
    if (!recordIsTheKeyboards()) {
        // Sending a record the keyboard never gave would overwrite what it holds.
        tellKeyboardProblem(KeyboardOperation::Save, OperationResult::Failed);
        if (then) then(OperationResult::Failed);
        return;
    }
    // The write back works on copies, so the window can paint and take edits meanwhile;
    // edits made during it differ from the new shadow and go out with the next Save.
    auto job = std::make_shared<std::pair<DeviceSettings, SettingsShadow>>();
    {
        std::lock_guard lock(state_.keyboard.recordMutex);
        job->first = state_.keyboard.settings;
        job->second = state_.keyboard.shadow;
    }
    showOperation(OperationDisplay::Kind::Saving);
    operation_.start(
        [this, job](const ProgressListener& progress) {
            return writeBack(services_.link, job->first, job->second, progress);
        },
        [this](const OperationProgress& progress) {
            showOperation(OperationDisplay::Kind::Saving, progress);
        },
        [this, job, then = std::move(then)](OperationResult result) {
            finishSave(result, job->second, then);
        });
}

void CGameKeyboardDlg::finishSave(OperationResult result, const SettingsShadow& sent,
                                  const std::function<void(OperationResult)>& then) {
    DeviceSettings record;
    {
        std::lock_guard lock(state_.keyboard.recordMutex);
        state_.keyboard.shadow = sent;
        // The assignments describe the key table: saved when the keyboard holds that table.
        if (!sent.changed(state_.keyboard.settings, Region::KeyTable)) {
            *state_.assignments.shadow = *state_.assignments.table;
        }
        record = state_.keyboard.settings;
    }
    saveKeymap();
    if (result == OperationResult::Done) {
        keyboardLighting_ = sent.record().lighting;
    } else {
        keyboardLighting_.reset();
    }
    showOperation(result == OperationResult::Done ? OperationDisplay::Kind::Saved
                                                  : OperationDisplay::Kind::None);
    if (result == OperationResult::Done && changes_.configurationChanged) {
        changes_.configurationChanged();
    }
    // Heard before a failure is told: a caller from outside is answered without waiting for
    // the user to close the message.
    if (then) then(result);
    if (result != OperationResult::Done) {
        tellKeyboardProblem(KeyboardOperation::Save, result);
    } else if (record.lighting != sent.record().lighting) {
        // Lighting moved while it ran was not previewed then.
        showLightingOnKeyboard(record);
    }
}

void CGameKeyboardDlg::cancel() {
    // Without a notification area a hidden window could not be found again.
    if (hasNotificationArea()) hide();
    {
        std::lock_guard lock(state_.keyboard.recordMutex);
        state_.keyboard.shadow.restore(state_.keyboard.settings);
        *state_.assignments.table = *state_.assignments.shadow;
        recomputeMarksAfterRevert(state_.keyboard.settings, *state_.assignments.table,
                                  state_.assignments.marks);
        ui_.diyEditMode = state_.keyboard.settings.lighting.effect >= kFirstCustomEffect;
    }
    undoLightingPreview(recordCopy());
    moveSlidersToRecord();
    saveKeymap();
    // The tray's tooltip too: the window is hidden, and nothing else would say it is no longer
    // changed.
    refreshProfiles();
    update();
}

void CGameKeyboardDlg::factoryReset() {
    if (operation_.busy()) return;
    if (!services_.messages.ask(text16("Restore the factory settings?", "确认恢复至出厂设置吗？"),
                                text16("Factory Setting", "出厂设置"))) {
        return;
    }
    restoreFactory({});
}

void CGameKeyboardDlg::restoreFactory(std::function<void(OperationResult)> then) {
    if (operation_.busy()) return;
    ui_.diyEditMode = false;
    ui_.sections = PanelSections{};
    auto reread = std::make_shared<DeviceSettings>(recordCopy());
    showOperation(OperationDisplay::Kind::Resetting);
    operation_.start(
        [this, reread](const ProgressListener& progress) {
            return restoreFactorySettings(services_.link, *reread, progress);
        },
        [this](const OperationProgress& progress) {
            showOperation(OperationDisplay::Kind::Resetting, progress);
        },
        [this, reread, then = std::move(then)](OperationResult result) {
            finishFactoryReset(result, *reread, then);
        });
}

void CGameKeyboardDlg::finishFactoryReset(OperationResult result, const DeviceSettings& reread,
                                          const std::function<void(OperationResult)>& then) {
    showOperation(OperationDisplay::Kind::None);
    if (result != OperationResult::Done) {
        // The keyboard may or may not have reset: the record is no longer known to be its.
        {
            std::lock_guard lock(state_.keyboard.recordMutex);
            state_.keyboard.readFromKeyboard = false;
        }
        if (then) then(result);
        tellKeyboardProblem(KeyboardOperation::FactoryReset, result);
        return;
    }
    {
        std::lock_guard lock(state_.keyboard.recordMutex);
        state_.keyboard.settings = reread;
        state_.keyboard.readFromKeyboard = true;
    }
    keyboardLighting_ = reread.lighting;
    moveSlidersToRecord();
    {
        std::lock_guard lock(state_.keyboard.recordMutex);
        state_.assignments.marks.fill(0);
        state_.assignments.table->fill(KeyAssignment{});
        setAssignmentIdentities(*state_.assignments.table);
        state_.keyboard.shadow.synchronise(state_.keyboard.settings);
        *state_.assignments.shadow = *state_.assignments.table;
    }
    saveKeymap();
    // The keyboard no longer has its profile, unless that profile is the factory settings.
    if (!activeProfileHolds(reread)) rememberActive({});
    refreshProfiles();
    update();
    if (changes_.configurationChanged) changes_.configurationChanged();
    if (then) then(result);
}

void CGameKeyboardDlg::showOperation(OperationDisplay::Kind kind,
                                     const OperationProgress& progress) {
    ui_.operation = {kind, progress};
    if (kind == OperationDisplay::Kind::Saved) {
        // The news stays a few seconds, unless something newer replaced it.
        timers_.postAfter(kSavedNoticeMs, [this] {
            if (ui_.operation.kind == OperationDisplay::Kind::Saved) {
                showOperation(OperationDisplay::Kind::None);
            }
        });
    }
    update();
}

bool CGameKeyboardDlg::recordIsTheKeyboards() const {
    std::lock_guard lock(state_.keyboard.recordMutex);
    return state_.keyboard.readFromKeyboard;
}

void CGameKeyboardDlg::tellKeyboardProblem(KeyboardOperation operation, OperationResult result) {
    QString message;
    if (operation == KeyboardOperation::Save && !services_.link.isConnected()) {
        // Nothing to unplug: the keyboard never arrived, or has gone.
        message = text(
            "No keyboard is connected, so nothing was saved to it.\n"
            "Plug the keyboard in: its settings are read when it arrives.",
            "未连接键盘，因此没有保存到键盘。\n请插入键盘：键盘连接后会读取其设置。");
    } else if (operation == KeyboardOperation::Save && !recordIsTheKeyboards()) {
        message = text(
            "The keyboard's settings have not been read, so nothing was saved to it.\n"
            "Unplug the keyboard and plug it in again.",
            "尚未读取键盘的设置，因此没有保存到键盘。\n请拔下键盘后重新插入。");
    } else {
        message = result == OperationResult::NotAnswering
                      ? text("The keyboard is not answering.", "键盘没有响应。")
                      : text("The keyboard cannot be reached.", "无法连接到键盘。");
        message += QLatin1Char('\n');
        switch (operation) {
            case KeyboardOperation::Read:
                message += text(
                    "Its settings could not be read. Unplug the keyboard and plug "
                    "it in again.",
                    "无法读取其设置。请拔下键盘后重新插入。");
                break;
            case KeyboardOperation::Save:
                message += text(
                    "Not everything was saved to it. What was not sent stays "
                    "changed, and the next Save sends it.",
                    "部分设置未能保存到键盘。未发送的更改会保留，下次保存时发送。");
                break;
            case KeyboardOperation::FactoryReset:
                message += text(
                    "The factory settings may not have been restored. Unplug the "
                    "keyboard, plug it in again and try once more.",
                    "出厂设置可能未能恢复。请拔下键盘后重新插入，再试一次。");
                break;
        }
    }
    services_.messages.warn(toU16(message), text16(kTitle, "TQ260 104vez星岚版"));
}

}  // namespace tq260
