// The version file the build puts beside its executables, as the packages install it.
#include "device/installed_firmware.h"

#include <gtest/gtest.h>

#include "emulator/keyboard_memory.h"
#include "platform/atomic_file.h"

namespace tq260 {
namespace {

// The firmware check reads it there; it names the firmware the virtual keyboard has, so a
// build run on the virtual keyboard is proposed no update.
TEST(InstalledFirmware, TheBuildHasTheVersionFileBesideItsExecutables) {
    const auto bytes = readFileBytes(std::filesystem::path(TQ260_APPLICATION_DIR) / "VER.bin",
                                     kVersionFileReadSize);
    ASSERT_TRUE(bytes.has_value());
    const FirmwareVersion firmware = KeyboardMemory{}.firmware;
    EXPECT_EQ(parseInstalledVersion(*bytes), (InstalledVersion{firmware.major, firmware.minor}));
}

}  // namespace
}  // namespace tq260
