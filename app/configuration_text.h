#pragma once

#include <QString>

#include "device/device_settings.h"

namespace tq260 {

// A readable account of the keyboard's configuration.
QString configurationText(const DeviceSettings& settings, const DeviceIdentity& identity);

}  // namespace tq260
