#pragma once

#include <QString>
#include <optional>

#include "device/installed_firmware.h"
#include "keys/language.h"

namespace tq260 {

// "VER.bin" read from path; 0.0 when it is missing or cannot be read.
InstalledVersion readInstalledVersion(const QString& path);

// Exactly "chinese" chooses Chinese; anything else, or no value, English.
Language languageFromSetting(const std::optional<QString>& value);

// The "Language" value under the user's Software\TQ260 settings (the registry on Windows).
std::optional<QString> readLanguageSetting();
// The same from a settings file of that form (~/.config/TQ260.conf).
std::optional<QString> readLanguageSetting(const QString& file);

}  // namespace tq260
