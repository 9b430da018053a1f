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
    std::filesystem::path keymapFile;
};

// Turns the request into the selected key's record and key-table entry, marks the key as
// changed or not, and saves keymap.bin. A request of a type it does not know, and "nothing
// chosen", change nothing. The caller holds the record's lock.
void ApplyAssignment(const AssignmentRequest& request, AssignmentWorkspace& workspace);

}  // namespace tq260
