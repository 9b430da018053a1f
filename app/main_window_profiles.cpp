// The main window and the profiles: a profile used from the profile dialog or the
// notification area's menu, and the profile the keyboard holds, shown in the bottom bar and
// the icon's tooltip.

#include <QApplication>
#include <QDir>

#include "app/main_window.h"
#include "config/shared_messages.h"
#include "dialogs/profile_damage_text.h"
#include "dialogs/profile_dialog_layout.h"
#include "keys/modified_marks.h"

namespace tq260 {

LiveConfiguration CGameKeyboardDlg::liveConfiguration() {
    std::lock_guard lock(state_.keyboard.recordMutex);
    // Game mode turned on in the window is an edit, which a profile without it would lose.
    const bool gameModeFromRead =
        state_.keyboard.settings.gameMode == state_.keyboard.shadow.record().gameMode;
    return {state_.keyboard.settings, *state_.assignments.table, state_.keyboard.recordMutex,
            gameModeFromRead};
}

void CGameKeyboardDlg::warnAboutProfile(const QString& message) {
    services_.messages.warn(toU16(message), std::u16string(kProfileCaption.in(state_.language)));
}

void CGameKeyboardDlg::tellProfileOutcome(const ProfileStore::Outcome& outcome) {
    const QString file =
        QDir::toNativeSeparators(QString::fromStdU16String(outcome.file.u16string()));
    const auto said = [&](const DialogText& text) {
        warnAboutProfile(
            QString::fromStdU16String(std::u16string(text.in(state_.language))).arg(file));
    };
    using Result = ProfileStore::Result;
    switch (outcome.result) {
        case Result::Empty:
            said(kEmptyProfile);
            break;
        case Result::ReadFailed:
            said(kProfileReadFailed);
            break;
        case Result::Damaged:
            warnAboutProfile(profileDamageText(outcome, state_.language));
            break;
        case Result::Full:
            said(kSixProfiles);
            break;
        default:
            said(kProfileWriteFailed);
            break;
    }
}

bool CGameKeyboardDlg::activeProfileHolds(const DeviceSettings& held) {
    ProfileStore& store = state_.profiles;
    const auto row = store.activeRow();
    if (!row) return true;
    const ProfileImage* image = activeImage_.of(store.pathOf(*row));
    std::lock_guard lock(state_.keyboard.recordMutex);
    return image != nullptr && image->heldBy(held, *state_.assignments.shadow);
}

void CGameKeyboardDlg::rememberActive(const std::u16string& name) {
    const ProfileStore::Outcome kept = state_.profiles.setActive(name);
    if (kept.result == ProfileStore::Result::Done) {
        activeFileFailureTold_ = false;
        return;
    }
    // Known in memory all the same. Said once and without a box: a box would hold up every
    // later switch, and the bus's calls, until someone closed it.
    if (activeFileFailureTold_ || kept.result != ProfileStore::Result::WriteFailed) return;
    activeFileFailureTold_ = true;
    noticeFromRules(
        text("The file that remembers the keyboard's profile across starts could not be "
             "written:\n%1",
             "无法写入在重新启动后记住键盘所用配置的文件：\n%1")
            .arg(QDir::toNativeSeparators(QString::fromStdU16String(kept.file.u16string()))),
        QSystemTrayIcon::Warning);
}

void CGameKeyboardDlg::useProfile(const std::u16string& name) {
    // One exchange with the keyboard at a time; the tray offers no profile meanwhile.
    if (operation_.busy() || closing_) return;
    const QString shown = QString::fromStdString(shownText(name));
    if (!services_.link.isConnected() || !recordIsTheKeyboards()) {
        // Loaded without being sent, the profile would be lost at the next read.
        warnAboutProfile(
            (services_.link.isConnected()
                 ? text("The keyboard's settings have not been read, so the profile \"%1\" was "
                        "not used.\nUnplug the keyboard and plug it in again.",
                        "尚未读取键盘的设置，因此没有使用配置“%1”。\n请拔下键盘后重新插入。")
                 : text("No keyboard is connected, so the profile \"%1\" was not used.",
                        "未连接键盘，因此没有使用配置“%1”。"))
                .arg(shown));
        return;
    }
    ProfileStore& store = state_.profiles;
    store.reload();
    const auto row = store.rowOf(name);
    if (!row) {
        warnAboutProfile(
            text("There is no profile named \"%1\" any more.", "已没有名为“%1”的配置。")
                .arg(shown));
        refreshProfiles();
        return;
    }
    // Refused before anything is asked: nothing would be used after the question.
    if (const auto refused =
            ProfileStore::refusalOf(store.pathOf(*row), checkProfile(store.pathOf(*row)));
        refused.result != ProfileStore::Result::Done) {
        tellProfileOutcome(refused);
        return;
    }
    if (!keepConfigurationBefore(name)) return;
    if (const ProfileStore::Outcome used = sendProfile(name, {});
        used.result != ProfileStore::Result::Done) {
        tellProfileOutcome(used);
    }
}

ProfileStore::Outcome CGameKeyboardDlg::sendProfile(const std::u16string& name,
                                                    std::function<void(OperationResult)> then) {
    ProfileStore& store = state_.profiles;
    const auto row = store.rowOf(name);
    if (!row || operation_.busy()) return {ProfileStore::Result::Ignored, {}};
    LiveConfiguration live = liveConfiguration();
    if (const ProfileStore::Outcome used = store.use(*row, live);
        used.result != ProfileStore::Result::Done) {
        return used;
    }
    {
        std::lock_guard lock(state_.keyboard.recordMutex);
        recomputeMarksAfterRead(state_.keyboard.settings, *state_.assignments.table,
                                state_.assignments.marks);
        ui_.diyEditMode = state_.keyboard.settings.lighting.effect >= kFirstCustomEffect;
    }
    // Kept before it is sent, as Apply keeps it.
    saveKeymap();
    // Sent now, the way Save sends: only what differs from what the keyboard holds.
    sendingProfile_ = name;
    save([this, name, then = std::move(then)](OperationResult result) {
        sendingProfile_.clear();
        if (result == OperationResult::Done) rememberActive(name);
        refreshProfiles();
        if (then) then(result);
    });
    // Once Save holds the keyboard, so that the sliders taking the profile's values preview
    // nothing: the write back sends them. keymap.bin is saved when it ends, as after Save.
    moveSlidersToRecord();
    update();
    return {};
}

bool CGameKeyboardDlg::keepConfigurationBefore(const std::u16string& name) {
    ProfileStore& store = state_.profiles;
    const LiveConfiguration live = liveConfiguration();
    if (store.rowHolding(live)) return true;
    // Kept where it came from: in the active profile, or else in a new one; as the tool and
    // the bus keep it.
    const bool active = store.activeRow().has_value();
    const std::u16string keepIn = keepingPlace(store).value_or(u"");
    std::vector<std::u16string> answers;
    if (!keepIn.empty()) {
        answers.push_back(
            toU16((active ? text("Keep it in \"%1\"", "保存到“%1”")
                          : text("Keep it in a new profile \"%1\"", "保存为新配置“%1”"))
                      .arg(QString::fromStdString(shownText(keepIn)))));
    }
    answers.push_back(text16("Discard it", "放弃"));
    answers.push_back(text16("Cancel", "取消"));
    const std::size_t choice = services_.messages.choose(
        toU16(text("The keyboard's configuration is not saved in any profile, and using \"%1\" "
                   "replaces it.",
                   "键盘当前的设置没有保存在任何配置中，使用“%1”会替换它。")
                  .arg(QString::fromStdString(shownText(name)))),
        std::u16string(kProfileCaption.in(state_.language)), answers);
    if (choice + 1 >= answers.size()) return false;                   // cancelled
    if (keepIn.empty() || choice == answers.size() - 2) return true;  // discarded
    const ProfileStore::Outcome kept = keepConfiguration(store, live, keepIn);
    refreshProfiles();
    if (kept.result == ProfileStore::Result::Done) return true;
    tellProfileOutcome(kept);
    return false;
}

QString CGameKeyboardDlg::profileLine() {
    if (!sendingProfile_.empty()) {
        return text("Profile: %1", "配置：%1")
            .arg(QString::fromStdString(shownText(sendingProfile_)));
    }
    const ProfileStore& store = state_.profiles;
    const auto row = store.activeRow();
    if (!row) return {};
    QString line =
        text("Profile: %1", "配置：%1").arg(QString::fromStdString(shownText(store.names()[*row])));
    const ProfileImage* image = activeImage_.of(store.pathOf(*row));
    bool held = false;
    if (image != nullptr) {
        // The profile, both in the window and on the keyboard: an edit saved into the profile
        // but not yet sent leaves the keyboard changed from it.
        std::lock_guard lock(state_.keyboard.recordMutex);
        const bool gameModeFromRead =
            state_.keyboard.settings.gameMode == state_.keyboard.shadow.record().gameMode;
        held =
            image->heldBy(state_.keyboard.settings, *state_.assignments.table, gameModeFromRead) &&
            image->heldBy(state_.keyboard.shadow.record(), *state_.assignments.shadow);
    }
    if (!held) line += text(" (changed)", "（已更改）");
    return line;
}

void CGameKeyboardDlg::refreshProfiles() {
    ProfileStore& store = state_.profiles;
    if (store.folder().empty()) {
        if (store.openIn(state_.dataFolderPath()).result != ProfileStore::Result::Done) return;
    } else {
        store.reload();
    }
    if (tray_) {
        std::vector<TrayIcon::Profile> rows;
        const auto active = store.activeRow();
        for (std::size_t row = 0; row < store.names().size(); ++row) {
            const ProfileCheck::State state = checkProfile(store.pathOf(row)).state;
            rows.push_back(
                {store.names()[row], row == active,
                 state == ProfileCheck::State::Empty || state == ProfileCheck::State::Unreadable,
                 state == ProfileCheck::State::Damaged});
        }
        // While a dialog is up or the keyboard busy, a switch would come between.
        tray_->showProfiles(rows,
                            !operation_.busy() && QApplication::activeModalWidget() == nullptr);
        tray_->setProfileLine(profileLine());
    }
    services_.dialogs.profilesChanged();
    // Told when it changes, not when it is first known.
    if (toldProfile_ != store.activeName()) {
        const bool known = toldProfile_.has_value();
        toldProfile_ = store.activeName();
        if (known && changes_.profileChanged) changes_.profileChanged(*toldProfile_);
    }
    update();
}

}  // namespace tq260
