#pragma once

#include <QPointer>
#include <memory>

#include "app/application_state.h"
#include "app/dialog_launcher.h"
#include "dialogs/key_map.h"
#include "dialogs/keymap_dlg2.h"

namespace tq260 {

// The program's dialogs, each built once and opened again and again, over the main window.
class QtDialogs final : public DialogLauncher {
  public:
    QtDialogs(const ApplicationState& state, KeyHook& hook, MessageBoxes& messages,
              FilePickers& pickers);
    ~QtDialogs() override;

    // The window the dialogs open over.
    void setOwner(QWidget* owner) { owner_ = owner; }

    bool runKeyDialog(KeyDialog dialog, std::size_t key, bool disabled, KeyAssignment& record,
                      AssignmentRequest& request) override;
    // The macro manager and the profile dialog come later; until then they are cancelled.
    bool runMacroManager(MacroTables&) override { return false; }
    void runProfiles(const QRect&) override {}

    CKeyMap& keyMap() { return *keyMap_; }
    CKeymapDlg2& keymapDlg2() { return *keymapDlg2_; }

  private:
    void placeOverOwner(QWidget& dialog) const;

    QPointer<QWidget> owner_;
    std::unique_ptr<CKeyMap> keyMap_;
    std::unique_ptr<CKeymapDlg2> keymapDlg2_;
};

}  // namespace tq260
