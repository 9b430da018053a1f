#pragma once

#include <cstdint>
#include <span>

namespace tq260 {

// The two version digits of "VER.bin" beside the program: the firmware that came with it.
struct InstalledVersion {
    int major = 0;
    int minor = 0;
    friend bool operator==(const InstalledVersion&, const InstalledVersion&) = default;
};

// How much of "VER.bin" is ever looked at.
inline constexpr std::size_t kVersionFileReadSize = 12;

// Bytes 5 and 7 of the file as ASCII digits; 0.0 when the file is too short to hold them
// (so no update is ever proposed from a damaged file).
InstalledVersion parseInstalledVersion(std::span<const std::uint8_t> bytes);

// Which updater a newer installed firmware asks for, if any.
enum class FirmwareUpdate { None, Flasher, SecondUpdater };
FirmwareUpdate firmwareUpdateFor(InstalledVersion installed, int firmwareMajor, int firmwareMinor);

}  // namespace tq260
