#include "device/input_listener.h"

#include <gmock/gmock.h>

#include "device/composite_operations.h"
#include "support/emulated_keyboard.h"
#include "support/main_queues.h"
#include "support/recording_events.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using testing::EmulatedKeyboardTest;
using testing::ImmediateQueue;
using testing::RecordingEvents;

class InputListenerTest : public EmulatedKeyboardTest {
  protected:
    LightingSettings lighting() const {
        std::lock_guard lock(state.recordMutex);
        return state.settings.lighting;
    }

    KeyboardState state;
    ImmediateQueue mainThread;
    NotificationRelay relay{mainThread};
    RecordingEvents events;
    InputListener listener{link, state, relay, events};
};

TEST_F(InputListenerTest, LightingChangedOnTheKeyboardUpdatesTheRecordAndNotifies) {
    listener.start();
    keyboard.sendEventReport({0x04, 0x01, 0x05, 0x20, 0x03, 0x81, 0x00});
    ASSERT_TRUE(events.waitFor([&] { return !events.effects().empty(); }));
    EXPECT_THAT(events.effects(), ElementsAre(5));
    EXPECT_EQ(lighting(), (LightingSettings{5, 32, 2, 1, 4}));
    listener.requestStop();
    listener.join();
    EXPECT_FALSE(listener.running());
}

TEST_F(InputListenerTest, OnlyLightingEventsWithReportId4Count) {
    listener.start();
    keyboard.sendEventReport({0x04, 0x02, 0x06, 0x10, 0x03, 0x01, 0x00});  // another event
    keyboard.sendEventReport({0x02, 0x01, 0x07, 0x10, 0x03, 0x01, 0x00});  // another report
    keyboard.changeLightingOnKeyboard({51, 40, 0, 3, 0});
    // Reports are handled in order: once the last one is seen, the others were passed over.
    ASSERT_TRUE(events.waitFor([&] { return !events.effects().empty(); }));
    EXPECT_THAT(events.effects(), ElementsAre(51));
    EXPECT_EQ(lighting(), (LightingSettings{51, 40, 0, 3, 0}));
}

// The write back and the listener's update share the record; run together, neither sees
// the other half done (ThreadSanitizer checks the locking).
TEST_F(InputListenerTest, WriteBackAndLightingUpdatesTakeTurnsOnTheRecord) {
    listener.start();
    for (std::uint8_t round = 1; round <= 5; ++round) {
        keyboard.changeLightingOnKeyboard({round, 10, 1, 1, 0});
        writeBack(link, state);
    }
    ASSERT_TRUE(events.waitFor([&] { return events.effects().size() == 5; }));
    EXPECT_EQ(lighting().effect, 5);
    std::lock_guard lock(state.recordMutex);
    EXPECT_EQ(state.shadow.record().reportRate, state.settings.reportRate);
}

TEST_F(InputListenerTest, LeavesWithinOneWaitAndOnePauseAfterTheStopFlag) {
    constexpr std::int64_t kStopAtUs = 1'000'000;
    clock.setAlarm(kStopAtUs, [&] { listener.requestStop(); });
    listener.start();
    listener.join();
    EXPECT_FALSE(listener.running());
    // Only the listener moves the clock here: its last act is the pause after the loop.
    const std::int64_t leftLoopUs = clock.nowUs() - InputListener::kPauseMs * 1000;
    EXPECT_GE(leftLoopUs, kStopAtUs);
    EXPECT_LE(leftLoopUs - kStopAtUs,
              (InputListener::kReadWaitMs + InputListener::kPauseMs) * 1000);
}

TEST_F(InputListenerTest, StopRequestedBeforeTheFirstPassEndsAtOnce) {
    listener.start();
    listener.requestStop();
    listener.join();
    EXPECT_FALSE(listener.running());
    EXPECT_TRUE(listener.stopRequested());
}

TEST_F(InputListenerTest, KeepsWaitingWhileTheEventChannelIsGone) {
    listener.start();
    link.close();
    keyboard.sendEventReport({0x04, 0x01, 0x05, 0x20, 0x03, 0x81, 0x00});
    ASSERT_TRUE(link.connect());
    ASSERT_TRUE(events.waitFor([&] { return !events.effects().empty(); }));
    EXPECT_THAT(events.effects(), ElementsAre(5));
}

}  // namespace
}  // namespace tq260
