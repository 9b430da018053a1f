#include "emulator/virtual_keyboard.h"

#include <gmock/gmock.h>

#include <fstream>

#include "device/composite_operations.h"
#include "device/device_commands.h"
#include "device/feature_report.h"
#include "emulator/emulator_transport.h"
#include "emulator/virtual_clock.h"
#include "platform/atomic_file.h"
#include "support/normal_user.h"
#include "support/temporary_folder.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using testing::TemporaryFolder;

class VirtualKeyboardTest : public ::testing::Test {
  protected:
    VirtualClock clock;
    EmulatorTransport transport{clock};
    VirtualKeyboard& keyboard = transport.addKeyboard();
    DeviceLink link{transport, clock};
};

TEST_F(VirtualKeyboardTest, LightingChangedOnTheKeyboardArrivesAsAnEventReport) {
    ASSERT_TRUE(link.connect());
    keyboard.changeLightingOnKeyboard({5, 32, 2, 1, 4});
    std::array<std::uint8_t, 7> report{4};
    ASSERT_EQ(link.eventChannel()->read(report, 200), 7);
    EXPECT_THAT(report, ElementsAre(0x04, 0x01, 0x05, 0x20, 0x03, 0x81, 0x00));
    EXPECT_EQ(keyboard.memory().lighting, (std::array<std::uint8_t, 5>{5, 32, 3, 1, 4}));
    EXPECT_EQ(clock.nowUs(), 0);  // a waiting report is read at once

    EXPECT_EQ(link.eventChannel()->read(report, 200), 0);
    EXPECT_EQ(clock.nowUs(), 200'000);
}

TEST_F(VirtualKeyboardTest, UnplugKillsOpenPathsAndPlugNeedsANewConnection) {
    std::vector<bool> changes;
    keyboard.setPlugListener([&](bool plugged) { changes.push_back(plugged); });
    ASSERT_TRUE(link.connect());
    keyboard.unplug();
    EXPECT_TRUE(transport.enumerate().empty());
    DeviceSettings settings;
    settings.gameMode = 1;
    readGameMode(link, settings);
    EXPECT_EQ(settings.gameMode, 0);

    keyboard.plug();
    readGameMode(link, settings);  // the old path stays dead
    EXPECT_EQ(keyboard.wireLog().entries().back().failed, true);
    ASSERT_TRUE(link.connect());
    settings.gameMode = 1;
    writeGameMode(link, settings);
    EXPECT_EQ(keyboard.memory().gameMode, 1);
    EXPECT_THAT(changes, ElementsAre(false, true));
}

TEST_F(VirtualKeyboardTest, FactoryResetKeepsTheFirmwareVersion) {
    KeyboardMemory memory = KeyboardMemory::factoryDefaults({2, 7});
    memory.gameMode = 1;
    memory.macroBlocks[0][0] = 3;
    keyboard.setMemory(memory);
    ASSERT_TRUE(link.connect());
    factoryReset(link);
    KeyboardMemory expected = KeyboardMemory::factoryDefaults({2, 7});
    expected.gameMode = 1;  // the reset is followed by game mode on
    EXPECT_EQ(keyboard.memory(), expected);
}

TEST_F(VirtualKeyboardTest, IncompleteBlockWriteIsDropped) {
    ASSERT_TRUE(link.connect());
    const KeyboardMemory before = keyboard.memory();
    std::array<std::uint8_t, 33> report{};
    report[1] = 0xEE;
    const auto connection = keyboard.connection();
    keyboard.setFeature(connection, FeatureReport::request(0x10, {0, 2, 4}).bytes);
    keyboard.writeReport(connection, report);
    keyboard.writeReport(connection, report);
    gameModeOn(link);  // the next command ends the transfer
    keyboard.writeReport(connection, report);
    keyboard.writeReport(connection, report);
    KeyboardMemory expected = before;
    expected.gameMode = 1;
    EXPECT_EQ(keyboard.memory(), expected);
}

TEST(VirtualKeyboardStorage, MemoryPersistsAcrossRuns) {
    TemporaryFolder folder;
    const auto file = folder / "VirtualKeyboard.bin";
    VirtualClock clock;
    {
        EmulatorTransport transport(clock);
        transport.addKeyboard().attachStorage(file);
        DeviceLink link(transport, clock);
        ASSERT_TRUE(link.connect());
        DeviceSettings settings;
        DeviceIdentity identity;
        fullRead(link, settings, identity);
        SettingsShadow shadow;
        shadow.synchronise(settings);
        settings.lighting.effect = 52;
        settings.keyTable[64] = {3, 0, 0xE9, 0};
        settings.macroBlocks[5][9] = 0x31;
        writeBack(link, settings, shadow);
    }
    EmulatorTransport transport(clock);
    VirtualKeyboard& keyboard = transport.addKeyboard();
    keyboard.attachStorage(file);
    const KeyboardMemory memory = keyboard.memory();
    EXPECT_EQ(memory.lighting[0], 52);
    EXPECT_EQ(memory.keyBlocks[1][2], 0xE9);
    EXPECT_EQ(memory.macroBlocks[5][8], 0x31);  // stored in wire order
}

TEST(VirtualKeyboardStorage, DamagedFileIsKeptAsideAndToldThenFactoryMemoryIsStored) {
    TemporaryFolder folder;
    const auto file = folder / "VirtualKeyboard.bin";
    const std::string damaged = "TQ260VK\x01 but far too short";
    { std::ofstream(file, std::ios::binary) << damaged; }
    VirtualClock clock;
    VirtualKeyboard keyboard(clock);
    std::filesystem::path keptAs;
    keyboard.attachStorage(
        file, {},
        [&](const std::filesystem::path&, const std::filesystem::path& aside) { keptAs = aside; });
    EXPECT_EQ(keyboard.memory(), KeyboardMemory::factoryDefaults());
    EXPECT_EQ(keptAs, folder / "VirtualKeyboard.bin.damaged");
    EXPECT_EQ(readFileBytes(keptAs, 100)->size(), damaged.size());
    const auto bytes = readFileBytes(file, 1 << 16);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(KeyboardMemory::parse(*bytes), KeyboardMemory::factoryDefaults());
}

TEST(VirtualKeyboardStorage, AFailedWriteIsToldOnceUntilOneSucceeds) {
    TemporaryFolder folder;
    const auto file = folder / "gone" / "VirtualKeyboard.bin";
    VirtualClock clock;
    VirtualKeyboard keyboard(clock);
    std::vector<std::filesystem::path> told;
    keyboard.attachStorage(file, [&](const std::filesystem::path& f) { told.push_back(f); });
    keyboard.editMemory([](KeyboardMemory& m) { m.lighting[0] = 3; });
    keyboard.editMemory([](KeyboardMemory& m) { m.lighting[0] = 4; });
    EXPECT_EQ(told, std::vector<std::filesystem::path>{file});
    std::filesystem::create_directories(file.parent_path());
    keyboard.editMemory([](KeyboardMemory& m) { m.lighting[0] = 5; });
    EXPECT_EQ(KeyboardMemory::parse(*readFileBytes(file, 1 << 16))->lighting[0], 5);
    std::filesystem::remove_all(file.parent_path());
    keyboard.editMemory([](KeyboardMemory& m) { m.lighting[0] = 6; });
    EXPECT_EQ(told.size(), 2U);
}

// Root reads a file of mode 000, so this proves something only as a normal user; the test
// script runs it again as one.
TEST(VirtualKeyboardStorage, AnUnreadableFileIsToldAndKeptAsANormalUser) {
    if (!testing::permissionsStopThisProcess()) GTEST_SKIP() << "root reads a file of mode 000";
    TemporaryFolder folder;
    const auto file = folder / "VirtualKeyboard.bin";
    testing::writeRawFile(file, std::vector<std::uint8_t>(100, 0x42));
    std::filesystem::permissions(file, std::filesystem::perms::none);
    VirtualClock clock;
    VirtualKeyboard keyboard(clock);
    int told = 0;
    keyboard.attachStorage(file, [&](const std::filesystem::path&) { ++told; });
    keyboard.editMemory([](KeyboardMemory& m) { m.lighting[0] = 3; });
    EXPECT_EQ(told, 1);
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    EXPECT_EQ(*readFileBytes(file, 1000), std::vector<std::uint8_t>(100, 0x42));
}

TEST(KeyboardMemory, ParseRejectsEveryWrongSizeAndMagic) {
    const auto bytes = KeyboardMemory::factoryDefaults().serialise();
    EXPECT_TRUE(KeyboardMemory::parse(bytes));
    EXPECT_FALSE(KeyboardMemory::parse(std::span(bytes).first(bytes.size() - 1)));
    auto longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(KeyboardMemory::parse(longer));
    auto wrongMagic = bytes;
    wrongMagic[7] = 2;
    EXPECT_FALSE(KeyboardMemory::parse(wrongMagic));
    EXPECT_FALSE(KeyboardMemory::parse({}));
}

}  // namespace
}  // namespace tq260
