#pragma once

#include <optional>

#include "app/application_state.h"
#include "platform/atomic_file.h"
#include "platform/front_application.h"
#include "platform/main_thread_queue.h"
#include "profiles/front_profile_switcher.h"

namespace tq260 {

class CGameKeyboardDlg;

// The program following the application in front: the rules from the data folder (read
// again whenever their file changed), the settled switch, and the window that gives the
// keyboard the profile. It waits while the window cannot switch: a dialog is up, an operation
// or a read runs, no keyboard is there, or the window holds edits a profile would replace.
class FrontProfiles {
  public:
    FrontProfiles(CGameKeyboardDlg& window, ApplicationState& state, MainThreadQueue& timers);

    // A desktop (its watcher, or a script of its own over the bus) says who is in front.
    void frontChanged(FrontApplication front);
    int switches() const { return switcher_.switches(); }

    // Whether the id is one of this program's own windows (its window class or app id).
    static bool isOwnWindow(const std::string& id);

  private:
    const ProfileRules& rules();

    CGameKeyboardDlg& window_;
    ApplicationState& state_;
    ProfileRules rules_;
    std::optional<FileStamp> rulesStamp_;
    bool rulesRead_ = false;
    FrontProfileSwitcher switcher_;
};

}  // namespace tq260
