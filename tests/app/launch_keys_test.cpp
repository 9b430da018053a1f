#include <gmock/gmock.h>

#include <QDialog>

#include "keys/keymap_file.h"
#include "support/scripted_key_input.h"
#include "window_fixture.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using testing::MainWindowTest;
using testing::ScriptedKeyInput;
using Kind = KeyInput::Kind;

constexpr std::uint8_t kF1 = 0x70;
constexpr std::uint8_t kF2 = 0x71;

// The main window with the keyboard's own keystrokes behind it, F1 stored as a launch.
class LaunchKeys : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        services.keyInput = &keys;
        DeviceSettings settings;
        auto table = std::make_unique<AssignmentTable>();
        KeyAssignment& f1 = (*table)[1];
        f1.identity = kF1;
        f1.type = static_cast<std::uint8_t>(AssignmentType::LaunchExe);
        const std::u16string path = u"/opt/games/run.exe";
        std::copy(path.begin(), path.end(), f1.launchPath.begin());
        (*table)[2].identity = kF2;
        ASSERT_TRUE(saveKeymapFile(folder.filePath("keymap.bin").toStdString(), settings, *table));
    }

    // The window watches the keys; it goes before them.
    void TearDown() override { window.reset(); }

    // Waits until the watcher has taken every key fed, then for the main thread to run them.
    void settle() {
        ASSERT_TRUE(keys.waitUntilAllTaken());
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    // The keyboard unplugged (its input nodes go with it) and plugged in again, read once
    // more.
    void replug() {
        keyboard.unplug();
        keys.vanish();
        window->session().onDeviceChange({DeviceChange::Kind::Removal, 0x04D9, 0xA12F});
        keyboard.plug();
        window->session().onDeviceChange({DeviceChange::Kind::Arrival, 0x04D9, 0xA12F});
        ASSERT_TRUE(QTest::qWaitFor([&] { return keys.opens == 2; }, 20000));
    }

    ScriptedKeyInput keys;
};

TEST_F(LaunchKeys, APressOfALaunchKeyOpensItsFileOnceAndOtherKeysNothing) {
    start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return keys.opens == 1; }, 5000));
    keys.feed({kF1, Kind::Down});
    keys.feed({kF1, Kind::Repeat});
    keys.feed({kF1, Kind::Up});
    keys.press(kF2);
    keys.press(0x41);
    settle();
    EXPECT_THAT(shell.opened, ElementsAre(u"/opt/games|run.exe"));
    EXPECT_TRUE(messages.shown.empty());

    // Unplugged, the watching stops; plugged in and read again, it starts again.
    replug();
    keys.press(kF1);
    settle();
    EXPECT_EQ(shell.opened.size(), 2u);
}

TEST_F(LaunchKeys, WhileADialogIsUpTheKeysAreItsAndStartNothing) {
    start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return keys.opens == 1; }, 5000));
    QDialog dialog(window.get());  // a key being assigned, a macro being recorded
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    keys.press(kF1);
    settle();
    EXPECT_TRUE(shell.opened.empty());
    dialog.hide();
    keys.press(kF1);
    settle();
    EXPECT_THAT(shell.opened, ElementsAre(u"/opt/games|run.exe"));
}

TEST_F(LaunchKeys, WithoutPermissionTheWayToGetItIsSaidOnceAndTheRestWorks) {
    keys.opens_as = KeyInputSource::Opened::NoPermission;
    start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.empty(); }, 5000));
    EXPECT_THAT(messages.shown,
                ElementsAre(u"Keys that open a file or folder need to read this keyboard's key "
                            u"presses, which this user may not do. To allow it, run once:\n\n"
                            u"sudo tq260-launch-keys on\n\nEverything else works without it. | "
                            u"TQ260 104vez VANTOR"));
    replug();
    QCoreApplication::processEvents();
    EXPECT_EQ(messages.shown.size(), 1u);
    click(950, 615);  // Save works as ever
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(link.isConnected());
}

TEST_F(LaunchKeys, WithoutPermissionAndNoLaunchStoredNothingIsSaid) {
    ASSERT_TRUE(QFile::remove(folder.filePath("keymap.bin")));
    keys.opens_as = KeyInputSource::Opened::NoPermission;
    state.language = Language::Chinese;
    start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return keys.opens == 1; }, 5000));
    QCoreApplication::processEvents();
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(LaunchKeys, ThePermissionTextInChinese) {
    keys.opens_as = KeyInputSource::Opened::NoPermission;
    state.language = Language::Chinese;
    start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.empty(); }, 5000));
    EXPECT_THAT(messages.shown,
                ElementsAre(u"打开文件或文件夹的按键需要读取此键盘的按键，而当前用户没有此权限。"
                            u"如需允许，请运行一次：\n\nsudo tq260-launch-keys on\n\n"
                            u"其他功能不受影响。 | TQ260 104vez星岚版"));
}

}  // namespace
}  // namespace tq260
