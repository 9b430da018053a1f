#pragma once

#include "dialogs/key_assignment_dialog.h"

namespace tq260 {

// The key dialog of the six navigation keys (Inst, Home, PgUp, Del, End, PgDn): tabs for
// a key, a macro and a media function.
class CKeyMap final : public KeyAssignmentDialog {
  public:
    explicit CKeyMap(KeyDialogContext context, QWidget* parent = nullptr)
        : KeyAssignmentDialog(keyMapVariant(), std::move(context), parent) {}
};

}  // namespace tq260
