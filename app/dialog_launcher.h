#pragma once

#include <QRect>
#include <functional>
#include <string>

#include "keys/key_assignment.h"
#include "macro/macro_record.h"

namespace tq260 {

// The main window opens its dialogs through this seam, so that the dialogs can be added
// one by one and tests can answer them.
class DialogLauncher {
  public:
    // CKeyMap for the six navigation keys, CKeymapDlg2 for every other key.
    enum class KeyDialog { Navigation, Other };

    virtual ~DialogLauncher() = default;
    // The dialog of the key (index into the key layout) opens on its record; disabled says
    // the key does nothing now. True when the user confirmed: the request then holds the
    // choice, and the record what the dialog's pages cleared. Both are the caller's copies,
    // kept only on true.
    virtual bool runKeyDialog(KeyDialog dialog, std::size_t key, bool disabled,
                              KeyAssignment& record, AssignmentRequest& request) = 0;
    // True on OK; the working table then holds the macros to keep.
    virtual bool runMacroManager(MacroTables& macros) = 0;
    // mainWindow: where the main window is on the screen; use gives the keyboard a profile;
    // changed is told after each change the dialog makes to the profiles.
    virtual void runProfiles(const QRect& mainWindow,
                             const std::function<void(const std::u16string&)>& use,
                             const std::function<void()>& changed) = 0;
    // The rules that give the application in front its profile.
    virtual void runProfileRules() {}
    // The profiles or the active one changed while the profile dialog may be open.
    virtual void profilesChanged() {}
};

// The seam while no dialog exists yet: every dialog is cancelled at once.
class NoDialogs final : public DialogLauncher {
  public:
    bool runKeyDialog(KeyDialog, std::size_t, bool, KeyAssignment&, AssignmentRequest&) override {
        return false;
    }
    bool runMacroManager(MacroTables&) override { return false; }
    void runProfiles(const QRect&, const std::function<void(const std::u16string&)>&,
                     const std::function<void()>&) override {}
};

}  // namespace tq260
