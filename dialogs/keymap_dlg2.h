#pragma once

#include "dialogs/key_assignment_dialog.h"

namespace tq260 {

// The key dialog of every other reassignable key: tabs for a key and a media function.
// A stored macro or launch still opens on its own page.
class CKeymapDlg2 final : public KeyAssignmentDialog {
  public:
    explicit CKeymapDlg2(KeyDialogContext context, QWidget* parent = nullptr)
        : KeyAssignmentDialog(keymapDlg2Variant(), std::move(context), parent) {}
};

}  // namespace tq260
