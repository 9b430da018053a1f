#include "device/notification_relay.h"

#include <gtest/gtest.h>

#include <thread>

#include "support/main_queues.h"

namespace tq260 {
namespace {

using testing::ManualMainQueue;

class NotificationRelayTest : public ::testing::Test {
  protected:
    VirtualClock clock;
    ManualMainQueue mainThread{clock};
    NotificationRelay relay{mainThread};
    std::atomic<bool> stop{false};
};

TEST_F(NotificationRelayTest, WorkerWaitsUntilTheMainThreadHasRunTheTask) {
    std::atomic<bool> ran{false};
    std::atomic<bool> delivered{false};
    std::thread worker([&] { delivered = relay.deliver([&] { ran = true; }, &stop); });
    ASSERT_TRUE(mainThread.waitForPending(1));
    EXPECT_FALSE(delivered);
    mainThread.runAll();
    worker.join();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(delivered);
}

TEST_F(NotificationRelayTest, StopFlagLetsTheWorkerGoAndTheTaskNeverRuns) {
    std::atomic<bool> ran{false};
    bool delivered = true;
    std::thread worker([&] { delivered = relay.deliver([&] { ran = true; }, &stop); });
    ASSERT_TRUE(mainThread.waitForPending(1));
    stop = true;
    relay.wake();
    worker.join();
    EXPECT_FALSE(delivered);
    mainThread.runAll();
    EXPECT_FALSE(ran);
}

TEST_F(NotificationRelayTest, ClosingLetsEveryWorkerGoAndRefusesLaterDeliveries) {
    std::atomic<int> ran{0};
    std::thread first([&] { relay.deliver([&] { ++ran; }); });
    std::thread second([&] { relay.deliver([&] { ++ran; }, &stop); });
    ASSERT_TRUE(mainThread.waitForPending(2));
    relay.close();
    first.join();
    second.join();
    EXPECT_FALSE(relay.deliver([&] { ++ran; }));
    mainThread.runAll();
    EXPECT_EQ(ran, 0);
}

}  // namespace
}  // namespace tq260
