#include "device/device_commands.h"

#include <gmock/gmock.h>

#include "support/emulated_keyboard.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using testing::EmulatedKeyboardTest;

class DeviceCommands : public EmulatedKeyboardTest {};

TEST_F(DeviceCommands, WriteLightingSendsSpeedPlusOneAndWaits10) {
    DeviceSettings settings;
    settings.lighting = {1, 50, 9, 2, 0};
    writeLighting(link, settings);
    EXPECT_THAT(wire(), ElementsAre("0 cmd set 00 08 01 32 0a 02 00 00 cc"));
    EXPECT_THAT(clock.waits(), ElementsAre(10));
    EXPECT_EQ(keyboard.memory().lighting, (std::array<std::uint8_t, 5>{1, 50, 10, 2, 0}));
}

TEST_F(DeviceCommands, ReadResponseTimeClampsTo10) {
    keyboard.editMemory([&](KeyboardMemory& m) { m.responseTime = 0x0F; });
    DeviceSettings settings;
    readResponseTime(link, settings);
    EXPECT_EQ(settings.responseTime, 10);
    EXPECT_THAT(wire(), ElementsAre("0 cmd set 00 84 00 00 00 00 00 00 0f",
                                    "10 cmd get 00 84 0f 00 00 00 00 00 18"));
    EXPECT_THAT(clock.waits(), ElementsAre(10, 10));
}

TEST_F(DeviceCommands, ResponseTimeUpTo10IsStoredAsRead) {
    for (std::uint8_t value : {0, 1, 7, 10, 11, 0xFF}) {
        keyboard.editMemory([&](KeyboardMemory& m) { m.responseTime = value; });
        DeviceSettings settings;
        readResponseTime(link, settings);
        EXPECT_EQ(settings.responseTime, std::min<std::uint8_t>(value, 10)) << int(value);
    }
}

TEST_F(DeviceCommands, LightingSpeedByteZeroWrapsTo255AndBackToZero) {
    keyboard.editMemory([&](KeyboardMemory& m) { m.lighting = {6, 20, 0, 3, 5}; });
    DeviceSettings settings;
    readLighting(link, settings);
    EXPECT_EQ(settings.lighting, (LightingSettings{6, 20, 255, 3, 5}));
    EXPECT_THAT(clock.waits(), ElementsAre(10));  // nothing after the fetch

    writeLighting(link, settings);
    EXPECT_EQ(keyboard.memory().lighting, (std::array<std::uint8_t, 5>{6, 20, 0, 3, 5}));
}

TEST_F(DeviceCommands, LightingOptionReadFromTheKeyboardIsWrittenBackUnchanged) {
    keyboard.editMemory([&](KeyboardMemory& m) { m.lighting = {1, 50, 6, 1, 0xA7}; });
    DeviceSettings settings;
    readLighting(link, settings);
    settings.lighting.brightness = 10;
    writeLighting(link, settings);
    EXPECT_EQ(wire("set").back(), "10 cmd set 00 08 01 0a 06 01 a7 00 4a");
}

TEST_F(DeviceCommands, IdentityGivesTheFirmwareVersionAndKeepsReplyBytes1To8) {
    keyboard.editMemory([&](KeyboardMemory& m) { m.firmware = {1, 3}; });
    DeviceIdentity identity;
    readIdentity(link, identity);
    EXPECT_EQ(identity.firmware, (FirmwareVersion{1, 3}));
    EXPECT_THAT(identity.block, ElementsAre(0x80, 1, 3, 0xD9, 0x04, 0x2F, 0xA1, 0xBA));
    EXPECT_THAT(clock.waits(), ElementsAre(10, 10));
}

TEST_F(DeviceCommands, ReportRateAndGameModeRoundTripWithTheirWaits) {
    DeviceSettings settings;
    settings.reportRate = 2;
    settings.gameMode = 1;
    writeReportRate(link, settings);
    writeGameMode(link, settings);
    DeviceSettings read;
    readReportRate(link, read);
    readGameMode(link, read);
    EXPECT_EQ(read.reportRate, 2);
    EXPECT_EQ(read.gameMode, 1);
    EXPECT_THAT(wire("set"), ElementsAre("0 cmd set 00 01 02 00 00 00 00 00 88",
                                         "10 cmd set 00 02 01 00 00 00 00 00 88",
                                         "30 cmd set 00 81 00 00 00 00 00 00 0a",
                                         "50 cmd set 00 82 00 00 00 00 00 00 09"));
    EXPECT_THAT(clock.waits(), ElementsAre(10, 20, 10, 10, 5));
}

TEST_F(DeviceCommands, GameModeOnAndFactoryResetBytes) {
    gameModeOn(link);
    sendFactoryReset(link);
    EXPECT_THAT(wire(), ElementsAre("0 cmd set 00 02 01 00 00 00 00 00 88",
                                    "20 cmd set 00 13 ff 00 00 00 00 00 99"));
    EXPECT_THAT(clock.waits(), ElementsAre(20, 300));
}

TEST_F(DeviceCommands, ReadsWhileDisconnectedStoreZeros) {
    link.close();
    DeviceSettings settings;
    settings.reportRate = 3;
    settings.responseTime = 5;
    settings.lighting = {5, 40, 3, 2, 1};
    settings.gameMode = 1;
    readReportRate(link, settings);
    readResponseTime(link, settings);
    readLighting(link, settings);
    readGameMode(link, settings);
    EXPECT_EQ(settings.reportRate, 0);
    EXPECT_EQ(settings.responseTime, 0);
    EXPECT_EQ(settings.lighting, (LightingSettings{0, 0, 255, 0, 0}));
    EXPECT_EQ(settings.gameMode, 0);
    EXPECT_TRUE(wire().empty());
    // The waits stay: the caller cannot tell a silent keyboard from a missing one.
    EXPECT_THAT(clock.waits(), ElementsAre(10, 10, 10, 10, 10, 5));
}

}  // namespace
}  // namespace tq260
