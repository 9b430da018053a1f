#include <gmock/gmock.h>
#include <linux/input-event-codes.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "app/qt_key_hook.h"
#include "controls/message_recorder.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using testing::MessageRecorder;
using testing::ReceivedMessage;

constexpr qintptr kRelease = 0x8000'0000;

ReceivedMessage hookKey(qintptr key, qintptr flags = 0) {
    return {WM_HOOK_KEY, key, flags};
}

class KeyHookTest : public ::testing::Test {
  protected:
    KeyHookTest() {
        edit = new QLineEdit(&window);
        window.show();
    }

    // A key as the window system reports it: the Qt key follows the layout (here a French
    // one, where the key at A's position types Q), the scan code follows the position.
    void key(QObject* to, QEvent::Type type, int evdevCode, bool repeat = false) {
        QKeyEvent event(type, Qt::Key_Q, Qt::NoModifier, static_cast<quint32>(evdevCode + 8), 0, 0,
                        QStringLiteral("q"), repeat);
        QApplication::sendEvent(to, &event);
    }
    void press(int code, bool repeat = false) { key(edit, QEvent::KeyPress, code, repeat); }
    void release(int code, bool repeat = false) { key(edit, QEvent::KeyRelease, code, repeat); }

    MessageRecorder window;
    QLineEdit* edit;
    QtKeyHook hook;
};

TEST_F(KeyHookTest, ReportsEachKeyByItsPositionAndKeepsItFromTheWidgets) {
    ASSERT_TRUE(hook.install(windowHandleOf(&window), KeyHook::KeyCapture));
    press(KEY_A);
    release(KEY_A);
    press(KEY_RIGHTSHIFT);
    press(KEY_KPENTER);
    press(KEY_KP7);  // with Num Lock off too, it is the keypad's 7
    EXPECT_THAT(window.of(WM_HOOK_KEY), ElementsAre(hookKey('A'), hookKey('A', kRelease),
                                                    hookKey(0xA1), hookKey(0x6C), hookKey(0x67)));
    EXPECT_TRUE(edit->text().isEmpty());
}

TEST_F(KeyHookTest, HeldKeysRepeatAsPressesAndUnknownKeysAreNeverSent) {
    hook.install(windowHandleOf(&window), KeyHook::MacroRecording);
    press(KEY_B);
    release(KEY_B, true);
    press(KEY_B, true);
    release(KEY_B);
    press(KEY_102ND);  // no virtual-key code of ours
    release(KEY_102ND);
    EXPECT_THAT(window.of(WM_HOOK_KEY),
                ElementsAre(hookKey('B'), hookKey('B'), hookKey('B', kRelease)));
    EXPECT_TRUE(edit->text().isEmpty());
}

TEST_F(KeyHookTest, AfterRemovalNothingArrivesAndTheWidgetsHaveTheirKeysBack) {
    hook.install(windowHandleOf(&window), KeyHook::KeyCapture);
    hook.remove();
    EXPECT_FALSE(hook.installed());
    press(KEY_A);
    EXPECT_TRUE(window.of(WM_HOOK_KEY).empty());
    EXPECT_EQ(edit->text(), "q");
    hook.remove();  // harmless
}

TEST_F(KeyHookTest, OtherWindowsKeepTheirKeys) {
    QLineEdit chooser;  // a window opened over the hooked one, a file chooser say
    chooser.show();
    hook.install(windowHandleOf(&window), KeyHook::KeyCapture);
    key(&chooser, QEvent::KeyPress, KEY_A);
    EXPECT_TRUE(window.of(WM_HOOK_KEY).empty());
    EXPECT_EQ(chooser.text(), "q");
}

TEST_F(KeyHookTest, HoldsTheKeyboardOnlyWhileTheHookedWindowIsActive) {
    hook.install(windowHandleOf(&window), KeyHook::KeyCapture);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&window, &activate);
    EXPECT_TRUE(hook.grabbing());
    EXPECT_EQ(QWidget::keyboardGrabber(), &window);
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&window, &deactivate);
    EXPECT_FALSE(hook.grabbing());
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
    QApplication::sendEvent(&window, &activate);
    hook.remove();
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
}

TEST_F(KeyHookTest, RefusesSomethingThatIsNoWindow) {
    QObject notAWindow;
    EXPECT_FALSE(hook.install(windowHandleOf(&notAWindow), KeyHook::KeyCapture));
    EXPECT_FALSE(hook.install(WindowHandle::None, KeyHook::KeyCapture));
    EXPECT_FALSE(hook.installed());
}

}  // namespace
}  // namespace tq260
