#include "device/device_session.h"

#include <gmock/gmock.h>

#include "emulator/emulator_transport.h"
#include "emulator/virtual_clock.h"
#include "emulator/virtual_hot_plug_watcher.h"
#include "support/main_queues.h"
#include "support/recording_events.h"

namespace tq260 {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::Ge;
using testing::ManualMainQueue;
using testing::RecordingDiagnostics;
using testing::RecordingEvents;

class DeviceSessionTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(session.registerForNotifications(watcher)); }
    void TearDown() override { session.shutdown(); }

    bool runUntil(const std::function<bool()>& done) { return mainThread.runUntil(done); }
    bool loaded(int count) {
        return runUntil([&] { return events.loaded() >= count && !session.reader().running(); });
    }
    bool removalFinished() {
        return runUntil([&] { return !diagnostics.lines().empty(); });
    }
    int fullReads() const {
        int reads = 0;
        for (const WireEntry& e : keyboard.wireLog().entries()) {
            if (e.op == TraceOp::Set && e.bytes.size() > 1 && e.bytes[1] == 0x81) ++reads;
        }
        return reads;
    }
    HidInterfaceInfo usbStick() const {
        HidInterfaceInfo info;
        info.path = "/dev/hidraw9";
        info.vendorId = 0x0781;
        info.productId = 0x5581;
        return info;
    }

    VirtualClock clock;
    EmulatorTransport transport{clock};
    VirtualKeyboard& keyboard = transport.addKeyboard();
    VirtualHotPlugWatcher watcher{transport};
    DeviceLink link{transport, clock};
    KeyboardState state;
    ManualMainQueue mainThread{clock};
    RecordingEvents events;
    RecordingDiagnostics diagnostics;
    DeviceSession session{link, state, mainThread, events, diagnostics};
};

TEST_F(DeviceSessionTest, ConnectAtStartReadsTheSettingsAndListens) {
    session.connectAtStart();
    ASSERT_TRUE(loaded(1));
    EXPECT_TRUE(link.isConnected());
    EXPECT_TRUE(session.listener().running());
    EXPECT_EQ(events.hides(), 0);
    std::lock_guard lock(state.recordMutex);
    EXPECT_EQ(state.shadow.record(), state.settings);
    EXPECT_EQ(state.settings.keyTable[64].code, 0x04);
}

TEST_F(DeviceSessionTest, NoKeyboardAtStartHidesTheWindow) {
    keyboard.unplug();
    mainThread.runAll();
    session.connectAtStart();
    EXPECT_FALSE(link.isConnected());
    EXPECT_FALSE(session.reader().running());
    EXPECT_FALSE(session.listener().running());
    EXPECT_EQ(events.hides(), 2);  // once for each channel
}

TEST_F(DeviceSessionTest, UnplugAndReplugReconnectsAndRereads) {
    session.connectAtStart();
    ASSERT_TRUE(loaded(1));

    keyboard.unplug();
    ASSERT_TRUE(removalFinished());
    EXPECT_EQ(events.removals(), 1);
    EXPECT_THAT(diagnostics.lines(), ElementsAre("DBT_DEVICEREMOVECOMPLETE\n"));
    EXPECT_FALSE(link.isConnected());
    EXPECT_FALSE(link.hasEventChannel());
    EXPECT_FALSE(session.listener().running());

    keyboard.wireLog().clear();
    const std::int64_t pluggedAt = clock.nowUs();
    keyboard.plug();
    ASSERT_TRUE(loaded(2));
    EXPECT_TRUE(link.isConnected());
    EXPECT_TRUE(session.listener().running());
    EXPECT_EQ(fullReads(), 1);
    // The keyboard is given time to set its interfaces up before the first attempt.
    EXPECT_GE(keyboard.wireLog().entries().front().timeUs, pluggedAt + 2'000'000);
}

TEST_F(DeviceSessionTest, RemovalClosesAfterTheListenerWasToldToStop) {
    session.connectAtStart();
    ASSERT_TRUE(loaded(1));
    keyboard.unplug();
    // The removal is handled on the main thread; the handles stay open for a while after the
    // stop flag so the listener can leave first.
    ASSERT_TRUE(runUntil([&] { return session.listener().stopRequested(); }));
    EXPECT_TRUE(link.hasEventChannel());
    ASSERT_TRUE(removalFinished());
    EXPECT_FALSE(link.hasEventChannel());
}

TEST_F(DeviceSessionTest, AnotherDeviceComingAndGoingLeavesTheKeyboardAlone) {
    session.connectAtStart();
    ASSERT_TRUE(loaded(1));
    transport.addOtherDevice(usbStick());
    transport.removeOtherDevice(usbStick().path);
    mainThread.runAll();
    EXPECT_TRUE(link.isConnected());
    EXPECT_TRUE(link.hasEventChannel());
    EXPECT_TRUE(session.listener().running());
    EXPECT_TRUE(diagnostics.lines().empty());
    EXPECT_EQ(events.removals(), 0);
    EXPECT_EQ(fullReads(), 1);

    // The keyboard still answers on the same channels.
    keyboard.changeLightingOnKeyboard({6, 10, 4, 2, 0});
    ASSERT_TRUE(runUntil([&] { return !events.effects().empty(); }));
    EXPECT_THAT(events.effects(), ElementsAre(6));
}

TEST_F(DeviceSessionTest, ArrivalRetriesTenTimesAHundredMillisecondsApart) {
    // A keyboard whose command interface never appears.
    keyboard.unplug();
    VirtualKeyboard& late = transport.addKeyboard({.withoutCommandInterface = true});
    late.unplug();
    mainThread.runAll();
    const auto enumerationsBefore = transport.enumerationTimesUs().size();
    const std::int64_t pluggedAt = clock.nowUs();
    late.plug();
    mainThread.runAll();

    auto times = transport.enumerationTimesUs();
    times.erase(times.begin(), times.begin() + static_cast<long>(enumerationsBefore));
    std::vector<std::int64_t> expected;
    for (int attempt = 0; attempt < 10; ++attempt) {
        expected.push_back(pluggedAt + 2'000'000 + attempt * 100'000);
    }
    EXPECT_EQ(times, expected);
    EXPECT_FALSE(link.isConnected());
}

TEST_F(DeviceSessionTest, ArrivalWhileConnectedOnlyWaits) {
    session.connectAtStart();
    ASSERT_TRUE(loaded(1));
    session.onDeviceChange({DeviceChange::Kind::Arrival, kKeyboardVendorId, kKeyboardProductId});
    const auto enumerationsBefore = transport.enumerationTimesUs().size();
    mainThread.runAll();
    EXPECT_EQ(transport.enumerationTimesUs().size(), enumerationsBefore);
    EXPECT_EQ(fullReads(), 1);
}

TEST_F(DeviceSessionTest, ArrivalWithoutAnEventChannelStillReadsAndKeepsTheWindow) {
    keyboard.unplug();
    mainThread.runAll();
    VirtualKeyboard& busy = transport.addKeyboard({.eventChannelOpenFails = true});
    busy.unplug();
    busy.plug();
    ASSERT_TRUE(loaded(1));
    EXPECT_EQ(events.hides(), 0);
    EXPECT_TRUE(link.isConnected());
    EXPECT_FALSE(link.hasEventChannel());
    EXPECT_FALSE(session.listener().running());
}

TEST_F(DeviceSessionTest, StartWithoutAnEventChannelStillReadsAndKeepsTheWindow) {
    keyboard.unplug();
    mainThread.runAll();
    transport.addKeyboard({.eventChannelOpenFails = true});
    session.connectAtStart();
    ASSERT_TRUE(loaded(1));
    EXPECT_EQ(events.hides(), 0);
    EXPECT_TRUE(link.isConnected());
    EXPECT_FALSE(session.listener().running());
}

TEST_F(DeviceSessionTest, UnplugDuringTheFullReadEndsTheReaderAndTheRemovalCloses) {
    keyboard.unplugAfterReports(6);
    session.connectAtStart();
    ASSERT_TRUE(removalFinished());
    EXPECT_FALSE(link.isConnected());
    ASSERT_TRUE(runUntil([&] { return !session.reader().running(); }));
    mainThread.runAll();
    EXPECT_EQ(events.loaded(), 0);
    EXPECT_EQ(events.removals(), 1);  // told once, by the removal, not by the failed read
}

TEST_F(DeviceSessionTest, RefusedRegistrationIsReportedAndHotPlugIsOff) {
    VirtualHotPlugWatcher refusing{transport, true};
    session.shutdown();  // the fixture's session registered already
    KeyboardState otherState;
    DeviceSession other{link, otherState, mainThread, events, diagnostics};
    EXPECT_FALSE(other.registerForNotifications(refusing));
    EXPECT_EQ(events.registrationFailures(), 1);
    EXPECT_EQ(std::string(kRegistrationFailedText),
              "Cannot register for Wdm2 class device notification");
}

TEST_F(DeviceSessionTest, ShutdownLetsGoOfWorkersWaitingOnTheMainThread) {
    session.connectAtStart();
    // The reader's notification waits in the main thread's queue, which nobody runs.
    ASSERT_TRUE(mainThread.waitForPending(1));
    keyboard.changeLightingOnKeyboard({4, 4, 4, 4, 0});
    ASSERT_TRUE(mainThread.waitForPending(2));

    session.shutdown();
    EXPECT_FALSE(session.reader().running());
    EXPECT_FALSE(session.listener().running());
    EXPECT_FALSE(link.isConnected());
    // What was given up never reaches the window.
    mainThread.runAll();
    EXPECT_EQ(events.loaded(), 0);
    EXPECT_TRUE(events.effects().empty());
}

TEST_F(DeviceSessionTest, ShutdownStopsHotPlugReports) {
    session.connectAtStart();
    ASSERT_TRUE(loaded(1));
    session.shutdown();
    keyboard.unplug();
    keyboard.plug();
    mainThread.runAll();
    EXPECT_TRUE(diagnostics.lines().empty());
    EXPECT_EQ(fullReads(), 1);
}

}  // namespace
}  // namespace tq260
