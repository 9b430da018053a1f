#pragma once

#include "device/device_settings.h"
#include "keys/key_assignment.h"

namespace tq260 {

// Marks the keys that differ from the factory assignment after a revert to the shadows:
// a changed code, a record of another type, or a single key that is not the key itself.
void recomputeMarksAfterRevert(const DeviceSettings& settings, const AssignmentTable& table,
                               ModifiedMarks& marks);

// Marks the keys after the keyboard's settings were read: a changed code (followed through
// the host-side key data for a reference entry) or a record of another type.
void recomputeMarksAfterRead(const DeviceSettings& settings, const AssignmentTable& table,
                             ModifiedMarks& marks);

}  // namespace tq260
