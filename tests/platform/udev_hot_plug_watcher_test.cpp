#include "platform/udev_hot_plug_watcher.h"

#include <gtest/gtest.h>
#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>

#include "support/wait_until.h"

namespace tq260 {
namespace {

// Whether this machine lets a process hear the device events the watcher listens to: the
// kernel's, or the device manager's where one runs.
bool deviceEventsCanBeHeard() {
    const int probe = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_KOBJECT_UEVENT);
    if (probe < 0) return false;
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    address.nl_groups = std::filesystem::exists("/run/udev/control") ? 2U : 1U;
    const bool bound = bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(probe);
    return bound;
}

int threadsOfThisProcess() {
    int count = 0;
    for ([[maybe_unused]] const auto& task :
         std::filesystem::directory_iterator("/proc/self/task")) {
        ++count;
    }
    return count;
}

// A joined thread leaves the process's task list a moment after the join returns.
bool threadsComeTo(int expected) {
    return testing::waitUntil([&] { return threadsOfThisProcess() == expected; });
}

// Started and stopped again and again, the watcher says truly whether it listens, runs one
// thread of its own while it does, and leaves none behind. Counted from one round to the
// next: a sanitizer may start a thread of its own with the first thread made.
TEST(UdevHotPlugWatcher, StartsWhereEventsCanBeHeardAndStopsCleanly) {
    const bool expected = deviceEventsCanBeHeard();
    const int own = expected ? 1 : 0;
    UdevHotPlugWatcher watcher;
    int stopped = -1;
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(watcher.start([](const DeviceChange&) {}), expected) << round;
        const int started = threadsOfThisProcess();
        if (stopped >= 0) {
            EXPECT_EQ(started, stopped + own) << round;
        }
        watcher.stop();
        EXPECT_TRUE(threadsComeTo(started - own)) << round;
        stopped = threadsOfThisProcess();
    }
    watcher.stop();  // a second stop is harmless
    EXPECT_EQ(threadsOfThisProcess(), stopped);
}

}  // namespace
}  // namespace tq260
