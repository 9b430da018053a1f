#include "device/composite_operations.h"

#include <gmock/gmock.h>

#include <numeric>

#include "device/block_codec.h"
#include "keys/factory_key_map.h"
#include "support/emulated_keyboard.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::EmulatedKeyboardTest;
using ::testing::StartsWith;

class CompositeOperations : public EmulatedKeyboardTest {
  protected:
    // The record as a full read leaves it, with the shadow taken.
    DeviceSettings readAndSynchronise() {
        DeviceSettings settings;
        DeviceIdentity identity;
        fullRead(link, settings, identity);
        shadow.synchronise(settings);
        keyboard.wireLog().clear();
        clock.clearWaits();
        startMs = clock.nowUs() / 1000;
        return settings;
    }

    std::string at(std::int64_t ms, const std::string& rest) const {
        return std::to_string(startMs + ms) + " cmd " + rest;
    }

    SettingsShadow shadow;
    std::int64_t startMs = 0;
};

TEST_F(CompositeOperations, FullReadSendsEveryCommandInOrderWithItsWaits) {
    DeviceSettings settings;
    DeviceIdentity identity;
    fullRead(link, settings, identity);

    EXPECT_THAT(
        wire("set"),
        ElementsAre(
            "0 cmd set 00 02 01 00 00 00 00 00 88", "20 cmd set 00 81 00 00 00 00 00 00 0a",
            "40 cmd set 00 84 00 00 00 00 00 00 0f", "60 cmd set 00 8c 00 00 04 00 00 00 1b",
            "280 cmd set 00 8d 00 00 04 00 00 00 1a", "500 cmd set 00 90 00 00 04 00 00 00 1f",
            "504 cmd set 00 90 00 01 04 00 00 00 1e", "508 cmd set 00 90 00 02 04 00 00 00 1d",
            "512 cmd set 00 90 00 03 04 00 00 00 1c", "516 cmd set 00 90 00 04 04 00 00 00 13",
            "520 cmd set 00 90 00 05 04 00 00 00 12", "524 cmd set 00 92 00 07 00 00 00 00 12",
            "554 cmd set 00 80 00 00 00 00 00 00 0b", "574 cmd set 00 88 00 00 00 00 00 00 03",
            "584 cmd set 00 82 00 00 00 00 00 00 09"));

    std::vector<int> expectedWaits = {20, 10, 10, 10, 10, 100, 30, 30, 30, 30, 100, 30, 30, 30, 30};
    for (int block = 0; block < 6; ++block) expectedWaits.insert(expectedWaits.end(), {1, 1, 1, 1});
    expectedWaits.insert(expectedWaits.end(), {5, 5, 5, 5, 5, 5, 10, 10, 10, 5});
    EXPECT_THAT(clock.waits(), ElementsAreArray(expectedWaits));
    EXPECT_EQ(clock.totalWaitMs(), 589);
    EXPECT_EQ(clock.nowUs(), 589'000);

    // Each block's acknowledgement is fetched at once, its reports after the block's waits.
    const auto reads = wire("read");
    ASSERT_EQ(reads.size(), 36U);
    EXPECT_THAT(reads[0], StartsWith("160 cmd read"));
    EXPECT_THAT(reads[3], StartsWith("250 cmd read"));
    EXPECT_THAT(reads[4], StartsWith("380 cmd read"));
    EXPECT_THAT(reads[8], StartsWith("500 cmd read"));
    EXPECT_THAT(reads[32], StartsWith("534 cmd read"));
}

TEST_F(CompositeOperations, FullReadFillsTheRecordFromTheKeyboard) {
    keyboard.editMemory([&](KeyboardMemory& m) {
        m.reportRate = 2;
        m.responseTime = 4;
        m.lighting = {51, 30, 3, 2, 0};
        m.gameMode = 1;
        m.firmware = {1, 3};
        m.macroBlocks[2][0] = 0x34;
        m.macroBlocks[2][1] = 0x12;
        m.customLightMasks[18 * 2] = 0x01;
    });

    DeviceSettings settings;
    settings.reserved1[5] = 0x5A;  // host-only bytes are not touched
    settings.hostKeyData[3] = {0, 0, 0x17, 0};
    DeviceIdentity identity;
    fullRead(link, settings, identity);

    EXPECT_EQ(settings.reportRate, 2);
    EXPECT_EQ(settings.responseTime, 4);
    EXPECT_EQ(settings.lighting, (LightingSettings{51, 30, 2, 2, 0}));
    EXPECT_EQ(settings.gameMode, 1);
    EXPECT_EQ(identity.firmware, (FirmwareVersion{1, 3}));
    EXPECT_EQ(settings.macroBlocks[2][0], 0x12);
    EXPECT_EQ(settings.macroBlocks[2][1], 0x34);
    // Effect 53 lights the key of bit 0 when bit 0 of the third mask is set.
    const CustomLightMask* mask = customLightMaskFor(settings, 53);
    ASSERT_NE(mask, nullptr);
    EXPECT_TRUE(mask->bit(0));
    EXPECT_FALSE(customLightMaskFor(settings, 52)->bit(0));
    EXPECT_EQ(customLightMaskFor(settings, 7), nullptr);

    auto expectedKeys = FactoryKeyMap;
    expectedKeys[126] = {};
    expectedKeys[127] = {};
    EXPECT_EQ(settings.keyTable, expectedKeys);
    EXPECT_EQ(settings.reserved1[5], 0x5A);
    EXPECT_EQ(settings.hostKeyData[3], (KeyEntry{0, 0, 0x17, 0}));
}

TEST_F(CompositeOperations, WriteBackWithNothingChangedSendsOnlyTheFourSettings) {
    const DeviceSettings settings = readAndSynchronise();
    writeBack(link, settings, shadow);
    EXPECT_THAT(wire(), ElementsAre(at(100, "set 00 08 01 32 06 01 00 00 c9"),
                                    at(110, "set 00 01 03 00 00 00 00 00 8f"),
                                    at(120, "set 00 04 01 00 00 00 00 00 8e"),
                                    at(130, "set 00 02 01 00 00 00 00 00 88")));
    EXPECT_THAT(clock.waits(), ElementsAre(100, 10, 10, 10, 20));
}

TEST_F(CompositeOperations, WriteBackSendsOnlyTheChangedMacroBlock) {
    DeviceSettings settings = readAndSynchronise();
    settings.macroBlocks[4][0] = 0x01;
    settings.macroBlocks[4][1] = 0x02;
    writeBack(link, settings, shadow);

    EXPECT_THAT(wire("set"), ElementsAre(at(100, "set 00 08 01 32 06 01 00 00 c9"),
                                         at(110, "set 00 10 00 04 04 00 00 00 93"),
                                         at(341, "set 00 01 03 00 00 00 00 00 8f"),
                                         at(351, "set 00 04 01 00 00 00 00 00 8e"),
                                         at(361, "set 00 02 01 00 00 00 00 00 88")));
    const auto writes = wire("write");
    ASSERT_EQ(writes.size(), 4U);
    EXPECT_THAT(writes[0], StartsWith(at(111, "write 00 02 01 00")));
    EXPECT_THAT(writes[3], StartsWith(at(261, "write 00")));
    EXPECT_THAT(clock.waits(), ElementsAre(100, 10, 1, 50, 50, 50, 50, 30, 10, 10, 20));
    EXPECT_EQ(keyboard.memory().macroBlocks[4], swapMacroBytes(settings.macroBlocks[4]));
    EXPECT_FALSE(shadow.changed(settings, Region::MacroBlock, 4));
}

TEST_F(CompositeOperations, AnyKeyChangeSendsBothKeyBlocks) {
    DeviceSettings settings = readAndSynchronise();
    settings.keyTable[64] = {3, 0, 0xE9, 0};  // A becomes Volume up
    writeBack(link, settings, shadow);
    EXPECT_THAT(wire("set"), ElementsAre(at(100, "set 00 08 01 32 06 01 00 00 c9"),
                                         at(110, "set 00 0c 00 00 04 00 00 00 9b"),
                                         at(280, "set 00 0d 00 00 04 00 00 00 9a"),
                                         at(450, "set 00 01 03 00 00 00 00 00 8f"),
                                         at(460, "set 00 04 01 00 00 00 00 00 8e"),
                                         at(470, "set 00 02 01 00 00 00 00 00 88")));
    EXPECT_EQ(wire("write").size(), 8U);
    EXPECT_EQ(keyboard.memory().keyBlocks[1][2], 0xE9);
    EXPECT_EQ(keyboard.memory().keyBlocks[1][3], 0x30);
}

TEST_F(CompositeOperations, OneChangedMaskSendsAllThreeInOneCommand) {
    DeviceSettings settings = readAndSynchronise();
    settings.customLightMasks[1].setBit(77, true);
    writeBack(link, settings, shadow);
    const auto sets = wire("set");
    ASSERT_EQ(sets.size(), 5U);
    EXPECT_EQ(sets[3], at(130, "set 00 12 00 07 04 00 00 00 96"));
    EXPECT_EQ(sets[4], at(155, "set 00 02 01 00 00 00 00 00 88"));
    EXPECT_EQ(keyboard.memory().customLightMasks[18 + 77 / 8], 1 << (77 % 8));
}

TEST_F(CompositeOperations, WriteBackWithEverythingChangedWaits1901Ms) {
    DeviceSettings settings = readAndSynchronise();
    settings.keyTable[0] = {4, 1, 2, 0};
    for (auto& block : settings.macroBlocks) block[5] = 0x42;
    settings.customLightMasks[0].bits[3] = 0xF0;
    writeBack(link, settings, shadow);
    EXPECT_EQ(clock.totalWaitMs(), 1901);
    EXPECT_EQ(wire("set").size(), 1U + 2U + 6U + 2U + 1U + 1U);
    EXPECT_EQ(wire("write").size(), 4U * (2U + 6U + 1U));
}

TEST_F(CompositeOperations, WrittenConfigurationReadsBackTheSame) {
    DeviceSettings settings = readAndSynchronise();
    settings.reportRate = 1;
    settings.responseTime = 9;
    settings.lighting = {6, 25, 7, 3, 2};
    settings.gameMode = 1;
    settings.keyTable[0] = {3, 0, 0x83, 1};
    settings.keyTable[64] = {4, 1, 3, 0};
    settings.keyTable[125] = {0, 0, 0x04, 0};
    for (std::size_t i = 0; i < settings.macroBlocks.size(); ++i) {
        std::iota(settings.macroBlocks[i].begin(), settings.macroBlocks[i].end(),
                  static_cast<std::uint8_t>(i * 10));
    }
    settings.customLightMasks[2].bits.fill(0x5A);
    writeBack(link, settings, shadow);

    DeviceSettings read;
    DeviceIdentity identity;
    fullRead(link, read, identity);
    EXPECT_EQ(read.reportRate, 1);
    EXPECT_EQ(read.responseTime, 9);
    EXPECT_EQ(read.lighting, settings.lighting);
    EXPECT_EQ(read.gameMode, 1);
    EXPECT_EQ(read.keyTable, settings.keyTable);
    EXPECT_EQ(read.macroBlocks, settings.macroBlocks);
    EXPECT_EQ(read.customLightMasks, settings.customLightMasks);
}

TEST_F(CompositeOperations, FactoryResetRestoresTheKeyboardAndTheRereadSeesIt) {
    DeviceSettings settings = readAndSynchronise();
    settings.keyTable[64] = {0, 0, 0x05, 0};
    settings.macroBlocks[0][0] = 9;
    writeBack(link, settings, shadow);
    keyboard.wireLog().clear();
    clock.clearWaits();
    const std::int64_t start = clock.nowUs() / 1000;

    factoryReset(link);
    EXPECT_THAT(wire(),
                ElementsAre(std::to_string(start) + " cmd set 00 13 ff 00 00 00 00 00 99",
                            std::to_string(start + 300) + " cmd set 00 02 01 00 00 00 00 00 88",
                            std::to_string(start + 620) + " cmd set 00 02 01 00 00 00 00 00 88"));
    EXPECT_THAT(clock.waits(), ElementsAre(300, 20, 300, 20, 300));

    keyboard.wireLog().clear();
    rereadAfterReset(link, settings);
    std::vector<std::string> commands;
    for (const std::string& line : wire("set"))
        commands.push_back(line.substr(line.find("set") + 7, 2));
    EXPECT_THAT(commands,
                ElementsAre("02", "8c", "8d", "90", "90", "90", "90", "90", "90", "92", "88"));
    EXPECT_EQ(settings.keyTable[64], (KeyEntry{0, 0, 0x04, 0}));
    EXPECT_EQ(settings.macroBlocks[0], Block{});
    EXPECT_EQ(keyboard.memory().firmware, (FirmwareVersion{1, 2}));
}

}  // namespace
}  // namespace tq260
