#pragma once

#include <QPointer>
#include <memory>

#include "app/application_state.h"
#include "app/dialog_launcher.h"
#include "dialogs/configure_dlg.h"
#include "dialogs/key_map.h"
#include "dialogs/keymap_dlg2.h"
#include "dialogs/macro_record_dlg.h"

namespace tq260 {

// The program's dialogs, each built once and opened again and again, over the main window.
class QtDialogs final : public DialogLauncher {
  public:
    QtDialogs(ApplicationState& state, KeyHook& hook, MessageBoxes& messages, FilePickers& pickers,
              const Clock& clock);
    ~QtDialogs() override;

    // The window the dialogs open over.
    void setOwner(QWidget* owner) { owner_ = owner; }

    bool runKeyDialog(KeyDialog dialog, std::size_t key, bool disabled, KeyAssignment& record,
                      AssignmentRequest& request) override;
    bool runMacroManager(MacroTables& macros) override;
    void runProfiles(const QRect& mainWindow, const std::function<void(const std::u16string&)>& use,
                     const std::function<void()>& changed) override;
    void profilesChanged() override;
    void runProfileRules() override;
    // What opens the rules window, from the window, the tray or the profile dialog's menu.
    void setProfileRules(std::function<void(QWidget* owner)> run);

    CKeyMap& keyMap() { return *keyMap_; }
    CKeymapDlg2& keymapDlg2() { return *keymapDlg2_; }
    CMacroRecordDlg& macroManager() { return *macroManager_; }
    CConfigureDlg& profiles() { return *profiles_; }

  private:
    void placeOverOwner(QWidget& dialog) const;

    QPointer<QWidget> owner_;
    std::unique_ptr<CKeyMap> keyMap_;
    std::unique_ptr<CKeymapDlg2> keymapDlg2_;
    std::unique_ptr<CMacroRecordDlg> macroManager_;
    std::unique_ptr<CConfigureDlg> profiles_;
    std::function<void(QWidget*)> profileRules_;
};

}  // namespace tq260
