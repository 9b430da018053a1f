#pragma once

#include <filesystem>

#include "device/device_settings.h"
#include "keys/key_assignment.h"
#include "keys/key_name_table.h"
#include "keys/language.h"
#include "macro/macro_record.h"

namespace tq260 {

// What applying an assignment reads and changes.
struct AssignmentWorkspace {
    DeviceSettings& settings;
    Assignments& assignments;
    const KeyNameTable& keyNames;
    const MacroTable& savedMacros;
    Language language;
    std::filesystem::path keymapFile;  // empty: nothing is written
};

// Turns the request into the selected key's record and key-table entry, marks the key as
// changed or not, and saves keymap.bin. A request of a type it does not know, and "nothing
// chosen", change nothing. The caller holds the record's lock.
void ApplyAssignment(const AssignmentRequest& request, AssignmentWorkspace& workspace);

// After the macro manager moved or deleted macros (moves: each keyboard slot's new slot, or
// -1): a key that played a moved macro plays it at its new slot, and a key whose macro was
// deleted gets its printed function back, rather than playing whatever macro came to its
// slot. Each changed key is applied as the key dialog would. The caller holds the record's
// lock.
void followMacroMoves(const std::array<int, kKeyboardMacroSlots>& moves,
                      AssignmentWorkspace& workspace);

}  // namespace tq260
