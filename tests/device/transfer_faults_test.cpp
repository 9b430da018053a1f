// A keyboard that misbehaves never blocks the caller for longer than one timeout: the first
// command it leaves unanswered ends the operation, and what was not sent stays changed.
#include <gmock/gmock.h>

#include <thread>

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

// A command channel whose every call fails after blocking for a set time, or while another
// thread (a listener waiting for its reports) moves the shared time on by as much.
class FailingAfter final : public HidTransport {
  public:
    FailingAfter(Clock& clock, std::int64_t blockUs, bool elsewhere = false)
        : clock_(clock), blockUs_(blockUs), elsewhere_(elsewhere) {}
    std::vector<HidInterfaceInfo> enumerate() override {
        return {{"command", kKeyboardVendorId, kKeyboardProductId, 3, 0, 1}};
    }
    std::unique_ptr<HidDevice> open(const std::string&, ReportIds) override {
        struct Device final : HidDevice {
            FailingAfter& owner;
            explicit Device(FailingAfter& o) : owner(o) {}
            int fail() {
                if (owner.elsewhere_) {
                    std::thread([&] { owner.clock_.blockUs(owner.blockUs_); }).join();
                } else {
                    owner.clock_.blockUs(owner.blockUs_);
                }
                return -1;
            }
            int sendFeatureReport(std::span<const std::uint8_t>) override { return fail(); }
            int getFeatureReport(std::span<std::uint8_t>) override { return fail(); }
            int write(std::span<const std::uint8_t>) override { return fail(); }
            int read(std::span<std::uint8_t>, int) override { return fail(); }
        };
        return std::make_unique<Device>(*this);
    }

  private:
    Clock& clock_;
    std::int64_t blockUs_;
    bool elsewhere_;
};

// How long a failing call took tells a refusal from a keyboard that never answered; the
// time other threads wait meanwhile is not the call's.
TEST(TransferFailures, AFailureAfterTheNoAnswerTimeCountsAsNotAnswering) {
    for (const auto& [blockedMs, elsewhere, expected] :
         {std::tuple{0, false, OperationResult::Failed},
          std::tuple{kNoAnswerAfterMs - 1, false, OperationResult::Failed},
          std::tuple{kNoAnswerAfterMs, false, OperationResult::NotAnswering},
          std::tuple{5000, false, OperationResult::NotAnswering},
          std::tuple{5000, true, OperationResult::Failed}}) {
        VirtualClock clock;
        FailingAfter transport(clock, std::int64_t{blockedMs} * 1000, elsewhere);
        DeviceLink link(transport, clock, nullptr);
        ASSERT_TRUE(link.connect());
        DeviceSettings settings;
        EXPECT_EQ(readReportRate(link, settings), expected)
            << blockedMs << (elsewhere ? " elsewhere" : "");
    }
}

TEST_F(TransferFaults, SilentKeyboardEndsTheFullReadAfterOneTimeout) {
    keyboard.setSilent(true);
    const DeviceSettings before = filledSettings();
    DeviceSettings settings = before;
    DeviceIdentity identity;
    identity.firmware = {9, 9};
    EXPECT_EQ(fullRead(link, settings, identity), OperationResult::NotAnswering);

    // The first command waited out the timeout; nothing after it was tried or waited for.
    EXPECT_THAT(wire(), ElementsAre("5000 cmd set 00 02 01 00 00 00 00 00 88 failed"));
    EXPECT_EQ(clock.totalWaitMs(), 0);
    EXPECT_EQ(clock.nowUs(), VirtualKeyboard::kReplyTimeoutMs * 1000);
    EXPECT_EQ(settings, before);
    EXPECT_EQ(identity.firmware, (FirmwareVersion{9, 9}));
}

TEST_F(TransferFaults, AKeyboardFallingSilentMidReadEndsItAtTheUnansweredFetch) {
    keyboard.fallSilentAfterCommands(2);  // game mode on, then the report rate request
    DeviceSettings settings = filledSettings();
    DeviceIdentity identity;
    EXPECT_EQ(fullRead(link, settings, identity), OperationResult::NotAnswering);
    EXPECT_THAT(wire(), ElementsAre("0 cmd set 00 02 01 00 00 00 00 00 88",
                                    "20 cmd set 00 81 00 00 00 00 00 00 0a",
                                    "5030 cmd get 00 00 00 00 00 00 00 00 00 failed"));
    EXPECT_EQ(clock.nowUs(), (20 + 10 + VirtualKeyboard::kReplyTimeoutMs) * 1000);
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

TEST_F(TransferFaults, AnswersLaterThanTheReadTimeoutAreMissedAndEndTheBlock) {
    keyboard.setLateAnswerMs(kReportReadTimeoutMs + 50);
    DeviceSettings settings = filledSettings();
    EXPECT_EQ(BlockTransfer::readKeyBlock(link, 0, settings), OperationResult::NotAnswering);
    EXPECT_EQ(settings.keyTable[0], KeyEntry{});
    EXPECT_EQ(settings.keyTable[62], KeyEntry{});
    // The first missed report ends the block: no three more timeouts.
    EXPECT_THAT(wire("read"), ElementsAre(EndsWith("failed")));
}

TEST_F(TransferFaults, LostReportLeavesTheMissingQuarterZero) {
    keyboard.editMemory([&](KeyboardMemory& m) { m.macroBlocks[1].fill(0x11); });
    keyboard.loseInputReports(1);
    DeviceSettings settings = filledSettings();
    EXPECT_EQ(BlockTransfer::readMacroBlock(link, 1, settings), OperationResult::NotAnswering);
    // Three reports arrive (into the first three quarters), the fourth read times out.
    EXPECT_TRUE(std::all_of(settings.macroBlocks[1].begin(), settings.macroBlocks[1].begin() + 96,
                            [](std::uint8_t b) { return b == 0x11; }));
    EXPECT_TRUE(std::all_of(settings.macroBlocks[1].begin() + 96, settings.macroBlocks[1].end(),
                            [](std::uint8_t b) { return b == 0; }));
    // No wait after the report that never came.
    EXPECT_EQ(clock.nowUs(), (3 + kReportReadTimeoutMs) * 1000);
}

TEST_F(TransferFaults, ALostReportEndsTheFullReadAtItsBlock) {
    keyboard.loseInputReports(1);
    DeviceSettings settings;
    DeviceIdentity identity;
    EXPECT_EQ(fullRead(link, settings, identity), OperationResult::NotAnswering);
    const auto sets = wire("set");
    ASSERT_EQ(sets.size(), 4U);
    EXPECT_THAT(sets.back(), ::testing::HasSubstr("cmd set 00 8c"));  // the first key block
    const auto reads = wire("read");
    ASSERT_EQ(reads.size(), 4U);
    EXPECT_THAT(reads.back(), EndsWith("failed"));
}

// Whatever call fails first, a report of a block or the announcement of the next one, is
// the last: no report follows it.
TEST(TransferFailures, UnplugDuringABlockWriteEndsTheWriteBackAndKeepsTheRestChanged) {
    struct Row {
        int reportsBeforeUnplug;
        std::size_t writes;   // block reports sent, the failed one included
        const char* lastSet;  // the last announcement, and whether it failed
    };
    for (const Row& row : {Row{2, 3, "cmd set 00 0c 00 00 04 00 00 00 9b"},
                           Row{4, 4, "cmd set 00 0d 00 00 04 00 00 00 9a failed"}}) {
        VirtualClock clock;
        EmulatorTransport transport{clock};
        VirtualKeyboard& keyboard = transport.addKeyboard();
        DeviceLink link{transport, clock};
        ASSERT_TRUE(link.connect());
        const Block before = keyboard.memory().keyBlocks[1];
        DeviceSettings settings = filledSettings();
        SettingsShadow shadow;
        keyboard.wireLog().clear();
        keyboard.unplugAfterReports(row.reportsBeforeUnplug);
        EXPECT_EQ(writeBack(link, settings, shadow), OperationResult::Failed);

        EXPECT_FALSE(keyboard.isPlugged());
        const std::vector<std::string> lines = keyboard.wireLog().lines();
        std::vector<std::string> writes;
        std::vector<std::string> sets;
        for (const std::string& line : lines) {
            if (line.find(" write ") != std::string::npos) writes.push_back(line);
            if (line.find(" set ") != std::string::npos) sets.push_back(line);
        }
        ASSERT_EQ(writes.size(), row.writes) << row.reportsBeforeUnplug;
        EXPECT_THAT(writes[1], ::testing::Not(EndsWith("failed")));
        EXPECT_THAT(sets.back(), EndsWith(row.lastSet)) << row.reportsBeforeUnplug;
        EXPECT_THAT(lines.back(), EndsWith("failed"));
        // Nothing waited beyond the protocol's own waits, and none after the failure.
        EXPECT_EQ(clock.nowUs(), clock.totalWaitMs() * 1000);
        keyboard.plug();
        EXPECT_EQ(keyboard.memory().keyBlocks[1], before);

        // The lighting went through; the key table and everything after it still differ.
        EXPECT_EQ(shadow.record().lighting, settings.lighting);
        EXPECT_TRUE(shadow.changed(settings, Region::KeyTable));
        EXPECT_TRUE(shadow.changed(settings, Region::MacroBlock, 0));
        EXPECT_NE(shadow.record().reportRate, settings.reportRate);
    }
}

TEST_F(TransferFaults, SilenceDuringAWriteBackEndsItWithinOneTimeoutAndTheNextSendsTheRest) {
    DeviceSettings settings = filledSettings();
    SettingsShadow shadow;
    // Lighting, then the first key block's announcement; its first report is never taken.
    keyboard.fallSilentAfterCommands(2);
    EXPECT_EQ(writeBack(link, settings, shadow), OperationResult::NotAnswering);
    EXPECT_EQ(clock.nowUs(), (100 + 10 + 10 + VirtualKeyboard::kReplyTimeoutMs) * 1000);
    EXPECT_THAT(wire("write"), ElementsAre(EndsWith("failed")));
    EXPECT_EQ(shadow.record().lighting, settings.lighting);
    EXPECT_TRUE(shadow.changed(settings, Region::KeyTable));
    for (std::size_t i = 0; i < kMacroBlockCount; ++i) {
        EXPECT_TRUE(shadow.changed(settings, Region::MacroBlock, i)) << i;
    }

    keyboard.setSilent(false);
    keyboard.wireLog().clear();
    EXPECT_EQ(writeBack(link, settings, shadow), OperationResult::Done);
    EXPECT_EQ(shadow.record(), settings);
    EXPECT_EQ(wire("write").size(), 4U + 4U + 24U + 4U);
    EXPECT_EQ(keyboard.memory().macroBlocks[5], settings.macroBlocks[5]);
    EXPECT_EQ(keyboard.memory().reportRate, settings.reportRate);
}

TEST_F(TransferFaults, SilentKeyboardEndsAFactoryResetAfterOneTimeout) {
    keyboard.setSilent(true);
    const DeviceSettings before = filledSettings();
    DeviceSettings reread = before;
    EXPECT_EQ(restoreFactorySettings(link, reread), OperationResult::NotAnswering);
    EXPECT_EQ(clock.nowUs(), (100 + VirtualKeyboard::kReplyTimeoutMs) * 1000);
    EXPECT_EQ(wire().size(), 1U);
    EXPECT_EQ(reread, before);
}

TEST_F(TransferFaults, TheLinkKnowsWhetherTheKeyboardAnswers) {
    DeviceSettings settings;
    EXPECT_TRUE(link.answering());
    keyboard.setSilent(true);
    EXPECT_EQ(readReportRate(link, settings), OperationResult::NotAnswering);
    EXPECT_FALSE(link.answering());
    keyboard.setSilent(false);
    EXPECT_EQ(readReportRate(link, settings), OperationResult::Done);
    EXPECT_TRUE(link.answering());

    keyboard.setSilent(true);
    readReportRate(link, settings);
    // A failure at once (unplugged) says nothing either way; a new connection starts afresh.
    keyboard.unplug();
    EXPECT_EQ(readReportRate(link, settings), OperationResult::Failed);
    EXPECT_FALSE(link.answering());
    keyboard.setSilent(false);
    keyboard.plug();
    ASSERT_TRUE(link.connect());
    EXPECT_TRUE(link.answering());
}

TEST_F(TransferFaults, UnplugDuringAFullReadEndsItAtOnce) {
    keyboard.unplugAfterReports(6);
    DeviceSettings settings = filledSettings();
    DeviceIdentity identity;
    EXPECT_EQ(fullRead(link, settings, identity), OperationResult::Failed);
    EXPECT_EQ(settings.reportRate, 3);  // read before the unplug
    // The second key block's transaction ran out; no block after it was announced.
    EXPECT_THAT(wire("set").back(), ::testing::HasSubstr("cmd set 00 8d"));
    EXPECT_EQ(clock.nowUs(), clock.totalWaitMs() * 1000);
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
