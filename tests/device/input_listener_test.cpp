#include "device/input_listener.h"

#include <gmock/gmock.h>

#include "device/composite_operations.h"
#include "support/emulated_keyboard.h"
#include "support/main_queues.h"
#include "support/recording_events.h"
#include "support/wait_until.h"

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

// The listener changes the record only under its lock. Whoever sends the record takes the
// lock to copy it (Save) or holds it while sending (writeBack(link, state)); a lighting
// change the keyboard reports meanwhile waits, or what is sent could mix the two settings, a
// new effect with the old brightness. Here the test holds the lock as such a sender does,
// the keyboard reports its change, and the listener is seen waiting before anything is sent.
TEST_F(InputListenerTest, LightingReportedWhileTheRecordIsHeldWaitsForIt) {
    const LightingSettings before{5, 10, 1, 1, 1};
    const LightingSettings reported{6, 20, 3, 2, 2};
    {
        std::lock_guard lock(state.recordMutex);
        state.settings.lighting = before;
    }
    listener.start();
    bool listenerWaited = false;
    LightingSettings sentFrom{};
    {
        std::lock_guard lock(state.recordMutex);
        keyboard.changeLightingOnKeyboard(reported);
        // The listener takes the report, then waits for the record (or, wrongly, changes it
        // and says so at once).
        testing::waitUntil(
            [&] { return state.recordMutex.waiting() > 0 || events.effectCount() > 0; });
        listenerWaited = state.recordMutex.waiting() > 0;
        sentFrom = state.settings.lighting;
        EXPECT_EQ(writeBack(link, state.settings, state.shadow), OperationResult::Done);
    }
    EXPECT_TRUE(listenerWaited);
    EXPECT_EQ(sentFrom, before);
    std::vector<std::vector<std::uint8_t>> lightingSent;
    for (const WireEntry& e : keyboard.wireLog().entries()) {
        if (e.channel == TraceChannel::Command && e.op == TraceOp::Set && e.bytes.size() > 7 &&
            e.bytes[1] == 0x08) {
            lightingSent.emplace_back(e.bytes.begin() + 2, e.bytes.begin() + 7);
        }
    }
    // Effect, brightness, speed + 1, direction, option: all of the setting the record held.
    EXPECT_THAT(lightingSent, ElementsAre(std::vector<std::uint8_t>{5, 10, 2, 1, 1}));
    // Once the write back has let go, the reported lighting arrives whole.
    ASSERT_TRUE(events.waitFor([&] { return events.effectCount() == 1; }));
    EXPECT_EQ(lighting(), reported);
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
