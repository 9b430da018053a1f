#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "app/application_state.h"
#include "app/front_path_resolver.h"
#include "platform/atomic_file.h"
#include "platform/front_application.h"
#include "platform/front_application_watcher.h"
#include "platform/front_source.h"
#include "platform/main_thread_queue.h"
#include "platform/message_boxes.h"
#include "profiles/front_profile_switcher.h"

namespace tq260 {

class CGameKeyboardDlg;

// The program following the application in front: the rules from the data folder (read
// again whenever their file changed, and then applied to the application already in front),
// the settled switch, and the window that gives the keyboard the profile. It waits while the
// window cannot switch: a dialog is up, an operation or a read runs, no keyboard is there,
// the window holds edits a profile would replace, or the keyboard's configuration is in no
// profile (a switch would lose it). What waits, and a rule whose profile cannot be used, is
// said: always where the user has to act, else when the rules ask for a notice.
class FrontProfiles {
  public:
    FrontProfiles(CGameKeyboardDlg& window, ApplicationState& state, MainThreadQueue& timers);
    ~FrontProfiles();
    FrontProfiles(const FrontProfiles&) = delete;
    FrontProfiles& operator=(const FrontProfiles&) = delete;

    // Follows the session's source: the program's own watcher where it has one for it (its
    // reports reach the main thread), else what the desktop's script says over the bus.
    void watch(FrontSource source, std::unique_ptr<FrontApplicationWatcher> watcher);
    FrontSource source() const { return source_; }
    // False when the source's watcher could not reach the desktop.
    bool watching() const { return watching_; }
    // The applications to pick a rule's from: those open now, where the source can list
    // them, and those that came to the front since the program started. The source is asked
    // on a thread of its own, never holding up the window; the answer comes on the main
    // thread, `listed` false when the source could not list the open windows.
    using ApplicationsAnswer = std::function<void(std::vector<FrontApplication>, bool listed)>;
    void openApplications(ApplicationsAnswer answer);
    // Which source is in use, or why none is, for the rules window.
    QString sourceText(Language language) const;
    // Opens the rules window over the owner; the switch waits while it is open.
    void runRulesWindow(QWidget* owner, MessageBoxes& messages);

    // A desktop (its watcher, or a script of its own over the bus) says who is in front.
    void frontChanged(FrontApplication front);
    // A desktop's script says so over the bus: taken only where no watcher of the program's
    // own runs, which knows better (a script can be called by anyone); its path as the
    // system names the executable.
    void frontFromBus(const FrontApplication& front);
    int switches() const { return switcher_.switches(); }

    // Whether the id is one of this program's own windows (its window class or app id).
    static bool isOwnWindow(const std::string& id);

  private:
    const ProfileRules& rules();
    std::filesystem::path rulesFile() const;
    // Something in the data folder or the profile folder changed: the rules, the active
    // profile or a profile may now give the application in front another profile, or end a
    // wait.
    void dataFolderChanged();
    FrontProfileSwitcher::Target switcherTarget();
    std::optional<FrontProfileSwitcher::Hold> hold() const;
    std::optional<FrontProfileSwitcher::Unusable> unusable(const std::u16string& name);
    bool configurationKept();
    // Gives the keyboard the rules' profile: said, when the rules ask for a notice.
    void used(const std::u16string& name, const std::function<void(bool)>& sent);

    CGameKeyboardDlg& window_;
    ApplicationState& state_;
    ProfileRules rules_;
    std::optional<FileStamp> rulesStamp_;
    bool rulesRead_ = false;
    FrontProfileSwitcher switcher_;
    MainThreadQueue& timers_;
    // The data folder, where the rules file is replaced whole (by the tool, the rules window).
    QFileSystemWatcher folderWatcher_;
    FrontSource source_ = FrontSource::NoDesktop;
    // Shared with the thread that lists the open applications.
    std::shared_ptr<FrontApplicationWatcher> watcher_;
    bool watching_ = false;
    // Each application seen in front, once, in the order seen.
    std::vector<FrontApplication> seen_;
    // Those waiting for the listing under way; it ends on the main thread, through answers_.
    std::vector<ApplicationsAnswer> waitingForList_;
    QObject answers_;
    std::thread lister_;
    FrontPathResolver busPaths_{[this](const FrontApplication& front) { frontChanged(front); }};
    // Shared with the reports on their way to the main thread: dropped once this is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tq260
