// A keyboard that misbehaves never blocks the caller for longer than the timeouts, and
// whatever does not arrive reads as zeros.
#include <gmock/gmock.h>

#include "device/block_transfer.h"
#include "device/command_transaction.h"
#include "device/composite_operations.h"
#include "device/device_commands.h"
#include "support/emulated_keyboard.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using testing::EmulatedKeyboardTest;
using ::testing::EndsWith;

constexpr std::int64_t kFullReadWaitMs = 589;
constexpr int kFullReadFetches = 14;
constexpr int kFullReadReports = 36;

DeviceSettings filledSettings() {
    DeviceSettings settings;
    settings.reportRate = 3;
    settings.responseTime = 5;
    settings.lighting = {5, 40, 3, 2, 1};
    settings.gameMode = 1;
    settings.keyTable.fill({0, 0, 0x04, 0});
    for (auto& block : settings.macroBlocks) block.fill(0x77);
    for (auto& mask : settings.customLightMasks) mask.bits.fill(0xFF);
    return settings;
}

class TransferFaults : public EmulatedKeyboardTest {};

TEST_F(TransferFaults, SilentKeyboardYieldsZerosWithinTheTimeouts) {
    keyboard.setSilent(true);
    DeviceSettings settings = filledSettings();
    DeviceIdentity identity;
    identity.firmware = {9, 9};
    fullRead(link, settings, identity);

    DeviceSettings zeros;
    zeros.lighting.speed = 255;  // the zero speed byte minus one
    EXPECT_EQ(settings, zeros);
    EXPECT_EQ(identity.firmware, (FirmwareVersion{0, 0}));
    EXPECT_EQ(clock.totalWaitMs(), kFullReadWaitMs);
    EXPECT_EQ(clock.nowUs(),
              (kFullReadWaitMs + kFullReadFetches * VirtualKeyboard::kReplyTimeoutMs +
               kFullReadReports * kReportReadTimeoutMs) *
                  1000);
}

TEST_F(TransferFaults, LateAnswersWithinTheTimeoutsStillArrive) {
    keyboard.setLateAnswerMs(20);
    DeviceSettings settings;
    DeviceIdentity identity;
    fullRead(link, settings, identity);
    EXPECT_EQ(settings.keyTable[64].code, 0x04);
    EXPECT_EQ(settings.reportRate, 3);
    EXPECT_EQ(identity.firmware, (FirmwareVersion{1, 2}));
}

TEST_F(TransferFaults, AnswersLaterThanTheReadTimeoutAreMissed) {
    keyboard.setLateAnswerMs(kReportReadTimeoutMs + 50);
    DeviceSettings settings = filledSettings();
    BlockTransfer::readKeyBlock(link, 0, settings);
    EXPECT_EQ(settings.keyTable[0], KeyEntry{});
    EXPECT_EQ(settings.keyTable[62], KeyEntry{});
    EXPECT_EQ(wire("read").size(), 4U);
    for (const auto& line : wire("read")) EXPECT_THAT(line, EndsWith("failed"));
}

TEST_F(TransferFaults, LostReportLeavesTheMissingQuarterZero) {
    keyboard.editMemory([&](KeyboardMemory& m) { m.macroBlocks[1].fill(0x11); });
    keyboard.loseInputReports(1);
    DeviceSettings settings = filledSettings();
    BlockTransfer::readMacroBlock(link, 1, settings);
    // Three reports arrive (into the first three quarters), the fourth read times out.
    EXPECT_TRUE(std::all_of(settings.macroBlocks[1].begin(), settings.macroBlocks[1].begin() + 96,
                            [](std::uint8_t b) { return b == 0x11; }));
    EXPECT_TRUE(std::all_of(settings.macroBlocks[1].begin() + 96, settings.macroBlocks[1].end(),
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(clock.nowUs(), (4 + kReportReadTimeoutMs) * 1000);
}

TEST_F(TransferFaults, UnplugDuringABlockWriteFailsTheRestAtOnceAndKeepsTheOldBlock) {
    const Block before = keyboard.memory().keyBlocks[0];
    DeviceSettings settings = filledSettings();
    SettingsShadow shadow;
    keyboard.unplugAfterReports(2);
    writeBack(link, settings, shadow);

    EXPECT_FALSE(keyboard.isPlugged());
    const auto writes = wire("write");
    ASSERT_EQ(writes.size(), 4U + 4U + 24U + 4U);
    EXPECT_THAT(writes[1], ::testing::Not(EndsWith("failed")));
    EXPECT_THAT(writes[2], EndsWith("failed"));
    // Nothing waited beyond the protocol's own waits.
    EXPECT_EQ(clock.nowUs(), clock.totalWaitMs() * 1000);
    keyboard.plug();
    EXPECT_EQ(keyboard.memory().keyBlocks[0], before);
}

TEST_F(TransferFaults, UnplugDuringAFullReadStillEnds) {
    keyboard.unplugAfterReports(6);
    DeviceSettings settings = filledSettings();
    DeviceIdentity identity;
    fullRead(link, settings, identity);
    EXPECT_EQ(settings.reportRate, 3);  // read before the unplug
    EXPECT_EQ(settings.keyTable[0].code, 0x29);
    EXPECT_EQ(settings.keyTable[63 + 20].code, 0x57);   // second report of block 2 came
    EXPECT_EQ(settings.keyTable[63 + 40], KeyEntry{});  // the third never did
    EXPECT_EQ(settings.macroBlocks[5], Block{});
    EXPECT_EQ(clock.nowUs(), kFullReadWaitMs * 1000);
}

TEST_F(TransferFaults, ReadTimeoutOnTheCommandChannelIsBounded) {
    // A report read with nothing announced.
    std::array<std::uint8_t, 32> payload{};
    payload.fill(0xAB);
    {
        CommandTransaction transaction(link);
        EXPECT_FALSE(transaction.readReport(payload));
    }
    EXPECT_EQ(payload[0], 0xAB);  // left as it was
    EXPECT_EQ(clock.nowUs(), kReportReadTimeoutMs * 1000);
    EXPECT_THAT(wire(), ElementsAre(::testing::StartsWith("250 cmd read 00 00")));
}

}  // namespace
}  // namespace tq260
