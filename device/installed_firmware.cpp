#include "device/installed_firmware.h"

namespace tq260 {

InstalledVersion parseInstalledVersion(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 8) return {};
    return {bytes[5] - '0', bytes[7] - '0'};
}

FirmwareUpdate firmwareUpdateFor(InstalledVersion installed, int firmwareMajor, int firmwareMinor) {
    if (installed.major > firmwareMajor) return FirmwareUpdate::Flasher;
    if (installed.major == firmwareMajor && installed.minor > firmwareMinor) {
        return FirmwareUpdate::SecondUpdater;
    }
    return FirmwareUpdate::None;
}

}  // namespace tq260
