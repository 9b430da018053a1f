#include "platform/windows_front_watcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tq260 {
namespace {

// As far as Wine goes: the foreground hook is set and the window in front (Wine's desktop,
// explorer.exe) is named by its process image. Wine does not move the foreground to a window
// of a test, so a change of foreground is not seen here.
TEST(WindowsFrontWatcher, TheWindowInFrontIsNamedByItsProcessImage) {
    std::mutex mutex;
    std::condition_variable reported;
    std::vector<FrontApplication> fronts;
    WindowsFrontWatcher watcher;
    ASSERT_TRUE(watcher.start([&](const FrontApplication& front) {
        const std::lock_guard lock(mutex);
        fronts.push_back(front);
        reported.notify_all();
    }));
    std::unique_lock lock(mutex);
    ASSERT_TRUE(reported.wait_for(lock, std::chrono::seconds(30), [&] { return !fronts.empty(); }));
    const FrontApplication front = fronts.front();
    lock.unlock();
    watcher.stop();
    EXPECT_FALSE(front.ownWindow);
    ASSERT_FALSE(front.id.empty());
    EXPECT_EQ(front.id.find('\\'), std::string::npos);
    EXPECT_TRUE(front.id.ends_with(".exe")) << front.id;
    EXPECT_TRUE(front.executablePath.ends_with("\\" + front.id)) << front.executablePath;
}

}  // namespace
}  // namespace tq260
