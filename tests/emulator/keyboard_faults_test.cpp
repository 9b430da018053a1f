// The faults a person asks of the virtual keyboard on the command line, and what each does
// on the wire.
#include "emulator/keyboard_faults.h"

#include <gmock/gmock.h>

#include "device/composite_operations.h"
#include "support/emulated_keyboard.h"

namespace tq260 {
namespace {

using testing::EmulatedKeyboardTest;

std::optional<KeyboardFaults> parse(std::string_view text) {
    std::string error;
    return parseKeyboardFaults(text, error);
}

TEST(KeyboardFaultsText, EachFaultAndTheirCombination) {
    EXPECT_EQ(parse(""), KeyboardFaults{});
    EXPECT_EQ(parse("silent"), (KeyboardFaults{.silent = true}));
    EXPECT_EQ(parse("late=300,lose=2"), (KeyboardFaults{.lateAnswerMs = 300, .lostReports = 2}));
    EXPECT_EQ(parse("silent-after=20,unplug-after=7"),
              (KeyboardFaults{.silentAfterCommands = 20, .unplugAfterReports = 7}));
    EXPECT_EQ(parse("late=1000000"), (KeyboardFaults{.lateAnswerMs = 1000000}));
}

TEST(KeyboardFaultsText, WhatIsNotUnderstoodIsSaid) {
    std::string error;
    EXPECT_FALSE(parseKeyboardFaults("slient", error));
    EXPECT_EQ(error, "unknown keyboard fault \"slient\"");
    EXPECT_FALSE(parseKeyboardFaults("late=300,deaf=1", error));
    EXPECT_EQ(error, "unknown keyboard fault \"deaf\"");
    for (const char* bad : {"late=", "late=-1", "late=1000001", "lose=2x", "lose= 2", "late=1e3"}) {
        EXPECT_FALSE(parseKeyboardFaults(bad, error)) << bad;
        EXPECT_EQ(error, "\"" + std::string(bad) + "\" needs a whole number from 0 to 1000000");
    }
}

class KeyboardFaultsOnTheWire : public EmulatedKeyboardTest {
  protected:
    OperationResult read() {
        DeviceSettings settings;
        DeviceIdentity identity;
        return fullRead(link, settings, identity);
    }
};

TEST_F(KeyboardFaultsOnTheWire, EachFaultReachesTheKeyboard) {
    applyKeyboardFaults(*parse("silent-after=2"), keyboard);
    EXPECT_EQ(read(), OperationResult::NotAnswering);
    EXPECT_EQ(keyboard.wireLog().entries().size(), 3U);  // two sets, then the unanswered fetch

    applyKeyboardFaults(*parse("late=20"), keyboard);  // answers again, later
    keyboard.wireLog().clear();
    const std::int64_t before = clock.nowUs();
    EXPECT_EQ(read(), OperationResult::Done);
    // 14 fetches and 36 reports, each 20 ms late, on top of the protocol's 589 ms.
    EXPECT_EQ(clock.nowUs() - before, (589 + (14 + 36) * 20) * 1000);

    applyKeyboardFaults(*parse("lose=1"), keyboard);
    EXPECT_EQ(read(), OperationResult::NotAnswering);

    applyKeyboardFaults(*parse("unplug-after=3"), keyboard);
    EXPECT_EQ(read(), OperationResult::Failed);
    EXPECT_FALSE(keyboard.isPlugged());
}

}  // namespace
}  // namespace tq260
