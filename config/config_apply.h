#pragma once

#include <string>
#include <vector>

#include "config/config_reader.h"
#include "device/device_settings.h"
#include "keys/key_assignment.h"
#include "keys/key_name_table.h"

namespace tq260 {

// One value the request changes, as its members show it before and after.
struct ConfigChange {
    std::string path;
    std::string from;
    std::string to;
};

// Makes the record and the assignment records what the request asks for. A member is changed
// only where what it shows differs from what is asked, so a file that shows the record as it
// is changes no byte of it. Keys are assigned as the key dialogs assign them.
std::vector<ConfigChange> applyConfiguration(const ConfigRequest& request, DeviceSettings& settings,
                                             Assignments& assignments, const KeyNameTable& names);

// "path: from -> to".
std::string describeChange(const ConfigChange& change);
// Those lines, one per change.
std::string describeChanges(const std::vector<ConfigChange>& changes);

}  // namespace tq260
