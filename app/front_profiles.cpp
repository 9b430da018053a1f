#include "app/front_profiles.h"

#include <QApplication>
#include <algorithm>
#include <utility>

#include "app/front_profile_notices.h"
#include "app/main_window.h"
#include "config/profile_rules_file.h"
#include "dialogs/profile_rules_dialog.h"

namespace tq260 {

FrontProfiles::FrontProfiles(CGameKeyboardDlg& window, ApplicationState& state,
                             MainThreadQueue& timers)
    : window_(window), state_(state), switcher_(timers, switcherTarget()), timers_(timers) {
    // Files are replaced whole, so their folders are watched: the rules and the active
    // profile's, and the profiles'. A folder that is not there yet leaves what it would tell
    // to the next switch.
    for (const std::filesystem::path& folder :
         {state_.dataFolderPath(), state_.dataFolderPath() / ProfileStore::kFolderName}) {
        std::error_code error;
        if (std::filesystem::is_directory(folder, error)) {
            folderWatcher_.addPath(QString::fromStdU16String(folder.u16string()));
        }
    }
    QObject::connect(&folderWatcher_, &QFileSystemWatcher::directoryChanged, &folderWatcher_,
                     [this] { dataFolderChanged(); });
}

FrontProfileSwitcher::Target FrontProfiles::switcherTarget() {
    using Hold = FrontProfileSwitcher::Hold;
    return {
        [this]() -> const ProfileRules& { return rules(); },
        [this](const std::u16string& name) { return unusable(name); },
        [this] { return hold(); },
        [this] {
            state_.profiles.reload();
            return state_.profiles.listedActiveName();
        },
        [this] { return configurationKept(); },
        [this](const std::u16string& name, std::function<void(bool)> sent) { used(name, sent); },
        [this](const FrontApplication&, const std::u16string& profile, Hold hold) {
            // Kept waiting until the user acts: said even without the notice.
            if (hold == Hold::NotInProfile || rules_.notice) {
                window_.noticeFromRules(heldSwitchNotice(state_.language, profile, hold),
                                        QSystemTrayIcon::Information);
            }
        },
        [this](const FrontApplication& front, const std::u16string& profile,
               FrontProfileSwitcher::Unusable why) {
            window_.noticeFromRules(unusableProfileNotice(state_.language, front.id, profile, why),
                                    QSystemTrayIcon::Warning);
        }};
}

std::optional<FrontProfileSwitcher::Hold> FrontProfiles::hold() const {
    using Hold = FrontProfileSwitcher::Hold;
    if (QApplication::activeModalWidget() != nullptr) return Hold::Dialog;
    if (!window_.freeForRequests()) return Hold::Busy;
    if (window_.keyboardUnavailable()) return Hold::NoKeyboard;
    if (window_.hasUnsavedEdits()) return Hold::UnsavedEdits;
    return std::nullopt;
}

std::optional<FrontProfileSwitcher::Unusable> FrontProfiles::unusable(const std::u16string& name) {
    ProfileStore& store = state_.profiles;
    store.reload();
    const auto row = store.rowOf(name);
    if (!row) return FrontProfileSwitcher::Unusable::Missing;
    // One that cannot be read is tried, and its failure said as a Use says it.
    switch (checkProfile(store.pathOf(*row)).state) {
        case ProfileCheck::State::Empty:
            return FrontProfileSwitcher::Unusable::Empty;
        case ProfileCheck::State::Damaged:
            // Said once, as an empty one is; never sent.
            return FrontProfileSwitcher::Unusable::Damaged;
        case ProfileCheck::State::Unreadable:
        case ProfileCheck::State::Usable:
            break;
    }
    return std::nullopt;
}

bool FrontProfiles::configurationKept() {
    // No unsaved edits at this point: what the window holds is what the keyboard holds.
    const LiveConfiguration live{state_.keyboard.settings, *state_.assignments.table,
                                 state_.keyboard.recordMutex};
    return state_.profiles.rowHolding(live).has_value();
}

FrontProfiles::~FrontProfiles() {
    *alive_ = false;
    if (watcher_) watcher_->stop();
    // A listing under way ends within its own time limit; its answer is dropped.
    if (lister_.joinable()) lister_.join();
}

void FrontProfiles::watch(FrontSource source, std::unique_ptr<FrontApplicationWatcher> watcher) {
    source_ = source;
    watcher_ = std::move(watcher);
    watching_ = watcher_ && watcher_->start([this, alive = alive_](const FrontApplication& front) {
        timers_.post([this, alive, front] {
            if (*alive) frontChanged(front);
        });
    });
}

void FrontProfiles::openApplications(ApplicationsAnswer answer) {
    const auto withSeen = [this](std::optional<std::vector<FrontApplication>> listed) {
        std::vector<FrontApplication> open = listed.value_or(std::vector<FrontApplication>());
        for (const FrontApplication& front : seen_) {
            const bool there = std::any_of(
                open.begin(), open.end(),
                [&](const FrontApplication& a) { return sameIgnoringCase(a.id, front.id); });
            if (!there) open.push_back(front);
        }
        // Where no watcher of the program's own runs there is nothing to list: only those seen.
        const bool complete = listed.has_value() || !watcher_;
        for (const ApplicationsAnswer& waiting : std::exchange(waitingForList_, {})) {
            waiting(open, complete);
        }
    };
    waitingForList_.push_back(std::move(answer));
    if (!watcher_) {
        withSeen(std::nullopt);
        return;
    }
    // One listing at a time: a second ask waits for the same answer.
    if (waitingForList_.size() > 1) return;
    if (lister_.joinable()) lister_.join();  // ended: its answer came
    lister_ = std::thread([this, watcher = watcher_, withSeen] {
        auto listed = watcher->openApplications();
        QMetaObject::invokeMethod(
            &answers_, [withSeen, listed = std::move(listed)] { withSeen(listed); },
            Qt::QueuedConnection);
    });
}

QString FrontProfiles::sourceText(Language language) const {
    const bool chinese = language == Language::Chinese;
    const auto say = [chinese](const char* english, const char* inChinese) {
        return QString::fromUtf8(chinese ? inChinese : english);
    };
    const bool ownWatcher = source_ == FrontSource::X11 || source_ == FrontSource::Sway ||
                            source_ == FrontSource::I3 || source_ == FrontSource::Windows;
    if (ownWatcher && !watching_) {
        return say(
            "The desktop cannot be reached: nothing tells the program which application "
            "is in front.",
            "无法连接桌面：程序无从得知前台应用程序。");
    }
    switch (source_) {
        case FrontSource::X11:
            return say("Watching the X server's active window.", "正在监视 X 服务器的活动窗口。");
        case FrontSource::Sway:
            return say("Watching sway's window focus.", "正在监视 sway 的窗口焦点。");
        case FrontSource::I3:
            return say("Watching i3's window focus.", "正在监视 i3 的窗口焦点。");
        case FrontSource::Windows:
            return say("Watching the foreground window.", "正在监视前台窗口。");
        case FrontSource::KWinScript:
            return say(
                "KDE Plasma: the KWin script \"tq260-front\" tells the program; turn it on in "
                "System Settings, Window Management, KWin Scripts.",
                "KDE Plasma：由 KWin 脚本“tq260-front”告知程序；请在系统设置的“窗口管理 › "
                "KWin 脚本”中启用它。");
        case FrontSource::GnomeExtension:
            return say(
                "GNOME: the Shell extension \"tq260-front@tq260.org\" tells the program; turn "
                "it on with: gnome-extensions enable tq260-front@tq260.org",
                "GNOME：由 Shell 扩展“tq260-front@tq260.org”告知程序；请用以下命令启用它："
                "gnome-extensions enable tq260-front@tq260.org");
        case FrontSource::OtherWayland:
            return say(
                "This Wayland desktop does not tell programs which application is in front; "
                "a script of its own can call FrontApplicationChanged on the session bus.",
                "此 Wayland 桌面不告知程序前台应用程序；可用它自己的脚本在会话总线上调用 "
                "FrontApplicationChanged。");
        case FrontSource::NoDesktop:
            break;
    }
    return say("No desktop session: nothing tells the program which application is in front.",
               "没有桌面会话：程序无从得知前台应用程序。");
}

void FrontProfiles::runRulesWindow(QWidget* owner, MessageBoxes& messages) {
    // The tray's menu works while a dialog is up: chosen again, the open window comes forward.
    for (QWidget* open : QApplication::topLevelWidgets()) {
        if (open->isVisible() && open->objectName() == QLatin1String("ProfileRulesDialog")) {
            open->raise();
            open->activateWindow();
            return;
        }
    }
    ProfileRulesDialog dialog(
        {state_.language, state_.dataFolderPath(), sourceText(state_.language),
         [this](ApplicationsAnswer answer) { openApplications(std::move(answer)); }, messages},
        owner);
    // Over its window only: the notification area's menu stays usable meanwhile.
    dialog.setWindowModality(Qt::WindowModal);
    dialog.exec();
    // Read again, and applied to the application in front: the window wrote them.
    rulesRead_ = false;
    switcher_.rulesChanged();
}

void FrontProfiles::used(const std::u16string& name, const std::function<void(bool)>& sent) {
    state_.profiles.reload();
    const ProfileStore::Outcome outcome =
        window_.sendProfile(name, [this, name, sent, alive = alive_](OperationResult result) {
            if (!*alive) return;
            const bool done = result == OperationResult::Done;
            if (done && rules_.notice) window_.noticeProfileUsed(name);
            sent(done);
        });
    if (outcome.result != ProfileStore::Result::Done) sent(false);
}

bool FrontProfiles::isOwnWindow(const std::string& id) {
    return sameIgnoringCase(id, "org.tq260.vantor") || sameIgnoringCase(id, "tq260 104vez vantor");
}

void FrontProfiles::frontChanged(FrontApplication front) {
    front = withinBounds(std::move(front));
    front.ownWindow = front.ownWindow || isOwnWindow(front.id);
    // A short list: what a person switched to in one sitting.
    if (!front.ownWindow && !front.id.empty() && seen_.size() < 64 &&
        std::none_of(seen_.begin(), seen_.end(),
                     [&](const FrontApplication& a) { return sameIgnoringCase(a.id, front.id); })) {
        seen_.push_back(front);
    }
    switcher_.frontChanged(front);
}

void FrontProfiles::frontFromBus(const FrontApplication& front) {
    if (!watching_) busPaths_.resolve(withinBounds(front));
}

std::filesystem::path FrontProfiles::rulesFile() const {
    return state_.dataFolderPath() / kProfileRulesFileName;
}

void FrontProfiles::dataFolderChanged() {
    // The rules, the active profile or a profile's file: any may end a wait, or change what
    // the rules give the application in front.
    switcher_.rulesChanged();
}

const ProfileRules& FrontProfiles::rules() {
    // Read again only when the file was replaced (the tool, or another copy of the rules).
    const auto stamp = fileStamp(rulesFile());
    if (!rulesRead_ || stamp != rulesStamp_) {
        rulesRead_ = true;
        rulesStamp_ = stamp;
        // A damaged file turns the rules off; tq260ctl rules list says what is wrong.
        rules_ = readProfileRules(state_.dataFolderPath()).rules;
    }
    return rules_;
}

}  // namespace tq260
