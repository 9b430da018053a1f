#include "keys/launch_key_watcher.h"

#include <gmock/gmock.h>

#include "emulator/virtual_clock.h"
#include "keys/launch_for_key.h"
#include "support/main_queues.h"
#include "support/recording_shell.h"
#include "support/scripted_key_input.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using testing::ManualMainQueue;
using testing::RecordingShell;
using testing::ScriptedKeyInput;
using Kind = KeyInput::Kind;

constexpr std::uint8_t kF1 = 0x70;
constexpr std::uint8_t kF2 = 0x71;
constexpr std::uint8_t kA = 0x41;

// The watcher wired as the program wires it: a press reaches the main thread, which starts
// what the key's stored launch assignment names.
class LaunchKeyWatching : public ::testing::Test {
  protected:
    LaunchKeyWatching() {
        KeyAssignment& record = (*table)[1];
        record.identity = kF1;
        record.type = static_cast<std::uint8_t>(AssignmentType::LaunchExe);
        const std::u16string_view path = u"/opt/game/start.exe";
        std::copy(path.begin(), path.end(), record.launchPath.begin());
        (*table)[2].identity = kF2;  // F2 is a plain key
    }

    // Lets the watcher take every input fed so far and runs what it handed on.
    void settle() {
        ASSERT_TRUE(source.waitUntilAllTaken());
        mainThread.runAll();
    }

    std::unique_ptr<AssignmentTable> table = std::make_unique<AssignmentTable>();
    RecordingShell shell;
    VirtualClock clock;
    ManualMainQueue mainThread{clock};
    ScriptedKeyInput source;
    LaunchKeyWatcher watcher{source, mainThread,
                             [this](std::uint8_t key) { launchForKey(*table, key, shell); }};
};

TEST_F(LaunchKeyWatching, ALaunchKeyStartsItsFileOncePerPressAndOtherKeysNothing) {
    ASSERT_EQ(watcher.start(), KeyInputSource::Opened::Reading);
    EXPECT_TRUE(watcher.watching());
    // Held down: the desktop's auto-repeat is the same press.
    source.feed({kF1, Kind::Down});
    source.feed({kF1, Kind::Repeat});
    source.feed({kF1, Kind::Repeat});
    source.feed({kF1, Kind::Up});
    source.press(kF2);
    source.press(kA);
    source.feed({kF1, Kind::Up});  // a release without its press (the node opened mid-press)
    settle();
    EXPECT_THAT(shell.opened, ElementsAre(LaunchTarget{u"/opt/game", u"start.exe"}));

    source.press(kF1);
    source.press(kF1);
    settle();
    EXPECT_EQ(shell.opened.size(), 3u);
}

TEST_F(LaunchKeyWatching, PressesReachTheMainThreadOnlyAndInOrder) {
    std::vector<std::uint8_t> pressed;
    const std::thread::id mainId = std::this_thread::get_id();
    bool allOnMain = true;
    LaunchKeyWatcher recording(source, mainThread, [&](std::uint8_t key) {
        pressed.push_back(key);
        allOnMain = allOnMain && std::this_thread::get_id() == mainId;
    });
    ASSERT_EQ(recording.start(), KeyInputSource::Opened::Reading);
    source.press(kA);
    source.press(kF2);
    source.press(kF1);
    ASSERT_TRUE(source.waitUntilAllTaken());
    EXPECT_TRUE(pressed.empty());  // nothing runs on the watcher's own thread
    mainThread.runAll();
    EXPECT_THAT(pressed, ElementsAre(kA, kF2, kF1));
    EXPECT_TRUE(allOnMain);
}

TEST_F(LaunchKeyWatching, AVanishedNodeEndsTheWatcherCleanly) {
    ASSERT_EQ(watcher.start(), KeyInputSource::Opened::Reading);
    source.press(kF1);
    source.vanish();
    ASSERT_TRUE(mainThread.runUntil([&] { return !watcher.watching(); }));
    mainThread.runAll();
    EXPECT_THAT(shell.opened, ElementsAre(LaunchTarget{u"/opt/game", u"start.exe"}));
    watcher.stop();  // joins the ended thread, and may be repeated
    watcher.stop();
    // A new connection watches again.
    ASSERT_EQ(watcher.start(), KeyInputSource::Opened::Reading);
    EXPECT_TRUE(watcher.watching());
    source.press(kF1);
    settle();
    EXPECT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(source.opens, 2);
}

TEST_F(LaunchKeyWatching, StopEndsAWatcherWaitingForKeys) {
    ASSERT_EQ(watcher.start(), KeyInputSource::Opened::Reading);
    ASSERT_TRUE(source.waitUntilAllTaken());
    watcher.stop();
    EXPECT_FALSE(watcher.watching());
    source.press(kF1);
    mainThread.runAll();
    EXPECT_TRUE(shell.opened.empty());
}

TEST_F(LaunchKeyWatching, WithoutTheKeyboardOrThePermissionNothingIsWatched) {
    for (const auto refusal :
         {KeyInputSource::Opened::NoPermission, KeyInputSource::Opened::NoKeyboard}) {
        source.opens_as = refusal;
        EXPECT_EQ(watcher.start(), refusal);
        EXPECT_FALSE(watcher.watching());
        source.press(kF1);
        mainThread.runAll();
        EXPECT_TRUE(shell.opened.empty());
        EXPECT_EQ(source.taken(), 0);
    }
}

}  // namespace
}  // namespace tq260
