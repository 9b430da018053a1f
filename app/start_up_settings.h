#pragma once

#include <QString>
#include <optional>

#include "keys/language.h"

namespace tq260 {

// The two version digits of "VER.bin" beside the program.
struct InstalledVersion {
    int major = 0;
    int minor = 0;
    friend bool operator==(const InstalledVersion&, const InstalledVersion&) = default;
};

// Bytes 5 and 7 of the file as ASCII digits; 0.0 when the file is missing or too short to
// hold them (so no update is ever proposed from a damaged file).
InstalledVersion readInstalledVersion(const QString& path);

// Exactly "chinese" chooses Chinese; anything else, or no value, English.
Language languageFromSetting(const std::optional<QString>& value);

// The "Language" value under the user's Software\TQ260 settings (the registry on Windows).
std::optional<QString> readLanguageSetting();

// Which updater a newer installed firmware asks for, if any.
enum class FirmwareUpdate { None, Flasher, SecondUpdater };
FirmwareUpdate firmwareUpdateFor(InstalledVersion installed, int firmwareMajor, int firmwareMinor);

}  // namespace tq260
