#include "platform/i3_ipc.h"

#include <gtest/gtest.h>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "platform/i3_front_watcher.h"
#include "support/fake_i3_server.h"
#include "support/temporary_folder.h"
#include "support/wait_until.h"

namespace tq260 {
namespace {

using namespace i3ipc;

TEST(I3Ipc, MessagesAreFramedAndTakenWholeOneByOne) {
    const std::string subscribe = message(kSubscribe, R"(["window"])");
    ASSERT_EQ(subscribe.size(), kHeaderSize + 10);
    EXPECT_EQ(subscribe.substr(0, 6), "i3-ipc");
    EXPECT_EQ(subscribe.substr(kHeaderSize), R"(["window"])");

    std::string bytes = message(kWindowEvent, "{}") + message(kGetTree, "[1]");
    std::string partial = bytes.substr(0, kHeaderSize + 1);
    bool broken = false;
    EXPECT_FALSE(takeMessage(partial, broken));
    EXPECT_FALSE(broken);
    EXPECT_EQ(partial.size(), kHeaderSize + 1);  // kept for the rest

    const auto first = takeMessage(bytes, broken);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->type, kWindowEvent);
    EXPECT_EQ(first->payload, "{}");
    const auto second = takeMessage(bytes, broken);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->payload, "[1]");
    EXPECT_TRUE(bytes.empty());
}

TEST(I3Ipc, BytesThatAreNoMessageBreakTheStream) {
    std::string wrongMagic = "i3-ipx" + std::string(8, '\0');
    bool broken = false;
    EXPECT_FALSE(takeMessage(wrongMagic, broken));
    EXPECT_TRUE(broken);

    std::string huge = message(kWindowEvent, "");
    const std::uint32_t length = kMaxPayload + 1;
    huge.replace(kMagic.size(), 4, reinterpret_cast<const char*>(&length), 4);
    broken = false;
    EXPECT_FALSE(takeMessage(huge, broken));
    EXPECT_TRUE(broken);
}

TEST(I3Ipc, FocusEventsNameTheApplication) {
    struct Row {
        const char* payload;
        std::optional<std::string> id;
    };
    const Row rows[] = {
        {R"({"change":"focus","container":{"app_id":"foot","pid":0}})", "foot"},
        // XWayland under sway, and every window under i3: the X11 class.
        {R"({"change":"focus","container":{"app_id":null,
             "window_properties":{"class":"Steam","instance":"steam"}}})",
         "Steam"},
        {R"({"change":"title","container":{"app_id":"foot"}})", std::nullopt},
        {R"({"change":"focus","container":{"app_id":null}})", std::nullopt},
        {R"({"change":"focus","container":[]})", std::nullopt},
        {R"({"change":"focus"})", std::nullopt},
        {R"({"change":"focus","container":{"app_id":"foot")", std::nullopt},  // cut short
        {R"([])", std::nullopt},
    };
    for (const Row& row : rows) {
        const auto front = focusedByEvent(row.payload, 1);
        EXPECT_EQ(front ? std::optional(front->id) : std::nullopt, row.id) << row.payload;
    }
}

TEST(I3Ipc, TheTreeGivesTheFocusedWindowAndEveryApplicationOnce) {
    const std::string ownPid = std::to_string(getpid());
    const std::string tree = R"({"nodes":[{"nodes":[
        {"app_id":"foot","focused":false,"pid":1},
        {"app_id":"org.tq260.Vantor","focused":false,"pid":)" +
                             ownPid + R"(},
        {"app_id":"foot","focused":false}],
      "floating_nodes":[{"app_id":null,"focused":true,
        "window_properties":{"class":"Gimp"}}]}]})";
    const auto focused = focusedInTree(tree, getpid());
    ASSERT_TRUE(focused);
    EXPECT_EQ(focused->id, "Gimp");

    std::vector<std::string> ids;
    for (const auto& application : applicationsInTree(tree, getpid())) {
        ids.push_back(application.id);
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"foot", "Gimp"}));

    // The program's own window, when focused, is said to be its own.
    const std::string own = R"({"change":"focus","container":{"app_id":"x","pid":)" + ownPid + "}}";
    const auto ownFront = focusedByEvent(own, getpid());
    ASSERT_TRUE(ownFront);
    EXPECT_TRUE(ownFront->ownWindow);
    EXPECT_FALSE(ownFront->executablePath.empty());
}

}  // namespace
}  // namespace tq260

namespace tq260 {
namespace {

// Time that moves only when the test's window manager sends: each step's bytes come a
// step's time after the last.
class SteppedClock final : public Clock {
  public:
    std::int64_t nowUs() const override { return nowUs_; }
    void sleepMs(int) override {}
    void blockUs(std::int64_t) override {}
    std::atomic<std::int64_t> nowUs_{0};
};

// One deadline for a whole reply: bytes that keep trickling in do not move it.
TEST(I3Ipc, AWholeReplyHasOneDeadlineHoweverItsBytesTrickleIn) {
    struct Row {
        std::size_t bytesPerStep;
        int msPerStep;
        bool whole;  // the reply is taken
    };
    const std::string reply = i3ipc::message(i3ipc::kGetTree, R"({"nodes":[],"focused":true})");
    const std::vector<Row> rows{
        {1, 300, false},  // a byte each 0.3 s: twelve seconds in all
        {1, 0, true},     // in pieces, but all within the time
        {reply.size(), 300, true},
        {4, 300, false},  // more than the time in all, though each step is quick
        {10, 300, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.msPerStep);
        int fds[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
        SteppedClock clock;
        std::atomic<bool> done{false};
        std::thread windowManager([&] {
            for (std::size_t at = 0; at < reply.size() && !done; at += row.bytesPerStep) {
                // The next bytes once the reader took the last.
                for (int queued = 1; queued > 0 && !done;) {
                    if (ioctl(fds[1], SIOCOUTQ, &queued) != 0) return;
                    std::this_thread::yield();
                }
                clock.nowUs_ += std::int64_t{row.msPerStep} * 1000;
                const std::string step = reply.substr(at, row.bytesPerStep);
                if (send(fds[1], step.data(), step.size(), MSG_NOSIGNAL) < 0) return;
            }
        });
        std::string bytes;
        const auto taken = i3ipc::awaitReply(fds[0], i3ipc::kGetTree, bytes, clock,
                                             std::int64_t{i3ipc::kReplyMs} * 1000);
        done = true;
        shutdown(fds[0], SHUT_RDWR);
        windowManager.join();
        close(fds[0]);
        close(fds[1]);
        EXPECT_EQ(taken.has_value(), row.whole);
    }
}

// Starting asks and returns: the answers come to the watching thread when they come.
TEST(I3FrontWatcher, StartsWithoutWaitingForTheWindowManager) {
    testing::TemporaryFolder folder;
    testing::FakeI3Server windowManager(folder / "ipc",
                                        R"({"nodes":[{"app_id":"steam","pid":1,"focused":true}]})");
    I3FrontWatcher watcher(windowManager.path());
    std::mutex mutex;
    std::vector<std::string> told;
    ASSERT_TRUE(watcher.start([&](const FrontApplication& front) {
        std::lock_guard lock(mutex);
        told.push_back(front.id);
    }));
    // Nothing answered yet: started all the same.
    {
        std::lock_guard lock(mutex);
        EXPECT_TRUE(told.empty());
    }
    windowManager.release();
    EXPECT_TRUE(testing::waitUntil([&] {
        std::lock_guard lock(mutex);
        return told == std::vector<std::string>{"steam"};
    }));
    watcher.stop();
}

// Time that passes only as it is looked at, almost the whole limit each time.
class HastyClock final : public Clock {
  public:
    std::int64_t nowUs() const override { return looks++ * (i3ipc::kReplyMs - 1) * 1000LL; }
    void sleepMs(int) override {}
    void blockUs(std::int64_t) override {}
    mutable std::atomic<int> looks{0};
};

// The listing's one limit runs on the watcher's clock, never on another: a window manager
// that does not answer is given up as soon as that clock passed the limit.
TEST(I3FrontWatcher, TheListingsLimitRunsOnTheWatchersClock) {
    testing::TemporaryFolder folder;
    testing::FakeI3Server silent(folder / "ipc", "{}");
    HastyClock clock;
    I3FrontWatcher watcher(silent.path(), clock);
    EXPECT_FALSE(watcher.openApplications().has_value());
    EXPECT_GE(clock.looks, 3);  // the deadline set, not yet passed, passed
}

}  // namespace
}  // namespace tq260
