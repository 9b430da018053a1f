#include "device/settings_reader.h"

#include <gmock/gmock.h>

#include "keys/factory_key_map.h"
#include "support/emulated_keyboard.h"
#include "support/main_queues.h"
#include "support/recording_events.h"

namespace tq260 {
namespace {

using testing::EmulatedKeyboardTest;
using testing::ImmediateQueue;
using testing::RecordingEvents;

// Checks, while the main window handles the notification, that the record is filled and
// the shadow not yet taken.
class CheckingEvents final : public DeviceEvents {
  public:
    explicit CheckingEvents(KeyboardState& state) : state_(state) {}
    void settingsLoaded() override {
        std::lock_guard lock(state_.recordMutex);
        recordFilled = state_.settings.keyTable[64].code == 0x04;
        shadowStillOld = state_.shadow.record().keyTable[64].code == 0;
        recorded.settingsLoaded();
    }
    void keyboardNotAnswering() override { recorded.keyboardNotAnswering(); }
    void lightingChanged(std::uint8_t effect) override { recorded.lightingChanged(effect); }
    void hideWindow() override { recorded.hideWindow(); }
    void keyboardRemoved() override { recorded.keyboardRemoved(); }
    void registrationFailed() override { recorded.registrationFailed(); }

    bool recordFilled = false;
    bool shadowStillOld = false;
    RecordingEvents recorded;

  private:
    KeyboardState& state_;
};

class SettingsReaderTest : public EmulatedKeyboardTest {
  protected:
    KeyboardState state;
    ImmediateQueue mainThread;
    NotificationRelay relay{mainThread};
    CheckingEvents events{state};
    SettingsReader reader{link, state, relay, events};
};

TEST_F(SettingsReaderTest, FillsTheRecordNotifiesThenTakesTheShadow) {
    keyboard.editMemory([](KeyboardMemory& m) { m.firmware = {1, 3}; });
    state.settings.reserved1[0] = 0x42;  // host-only bytes survive the fill
    reader.start();
    reader.join();

    EXPECT_FALSE(reader.running());
    EXPECT_EQ(events.recorded.loaded(), 1);
    EXPECT_TRUE(events.recordFilled);
    EXPECT_TRUE(events.shadowStillOld);
    EXPECT_EQ(state.identity.firmware, (FirmwareVersion{1, 3}));
    EXPECT_EQ(state.settings.keyTable[0], FactoryKeyMap[0]);
    EXPECT_EQ(state.settings.reserved1[0], 0x42);
    EXPECT_EQ(state.shadow.record(), state.settings);
    EXPECT_TRUE(state.readFromKeyboard);
}

// The keyboard holds a combination as its last key: a read keeps the combination where that is
// what the keyboard holds, and takes the keyboard's key where it is not.
TEST_F(SettingsReaderTest,
       AKeyAssignedAsACombinationKeepsItsEntryWhereTheKeyboardHoldsItsWireForm) {
    const std::uint8_t factory = FactoryKeyMap[0].code;
    const KeyEntry kept{key_kind::kKey, 0xE0, factory, 0xE1};
    state.settings.keyTable[0] = kept;
    state.settings.keyTable[1] = {key_kind::kKey, 0xE0, static_cast<std::uint8_t>(factory + 1), 0};
    reader.start();
    reader.join();
    EXPECT_EQ(state.settings.keyTable[0], kept);
    EXPECT_EQ(state.settings.keyTable[1], FactoryKeyMap[1]);
}

TEST_F(SettingsReaderTest, UnplugDuringTheReadLeavesTheRecordAndTellsNothing) {
    state.settings.reportRate = 2;
    keyboard.unplugAfterReports(6);
    reader.start();
    reader.join();
    EXPECT_FALSE(reader.running());
    // The removal tells the window; half a read is never taken as the keyboard's.
    EXPECT_EQ(events.recorded.loaded(), 0);
    EXPECT_EQ(events.recorded.notAnswering(), 0);
    EXPECT_EQ(state.settings.reportRate, 2);
    EXPECT_EQ(state.shadow.record(), DeviceSettings{});
    EXPECT_FALSE(state.readFromKeyboard);
}

TEST_F(SettingsReaderTest, SilentKeyboardIsToldAfterOneTimeoutAndTheRecordStays) {
    state.settings.reportRate = 2;
    keyboard.setSilent(true);
    reader.start();
    reader.join();
    EXPECT_EQ(events.recorded.notAnswering(), 1);
    EXPECT_EQ(events.recorded.loaded(), 0);
    EXPECT_EQ(clock.nowUs(), VirtualKeyboard::kReplyTimeoutMs * 1000);
    EXPECT_EQ(state.settings.reportRate, 2);
    EXPECT_FALSE(state.readFromKeyboard);

    // Answering again, the next read takes the keyboard's settings.
    keyboard.setSilent(false);
    reader.start();
    reader.join();
    EXPECT_EQ(events.recorded.loaded(), 1);
    EXPECT_EQ(state.settings.reportRate, 3);
    EXPECT_TRUE(state.readFromKeyboard);
}

TEST_F(SettingsReaderTest, ClosedRelayEndsTheReaderWithoutTheNotification) {
    relay.close();
    reader.start();
    reader.join();
    EXPECT_FALSE(reader.running());
    EXPECT_EQ(events.recorded.loaded(), 0);
}

}  // namespace
}  // namespace tq260
