// Key assignment end to end: a key click opens the real dialog, the dialog's choice reaches
// the key's record, keymap.bin and, on Save, the keyboard.
#include <gmock/gmock.h>

#include <QApplication>
#include <QTimer>
#include <functional>

#include "app/qt_dialogs.h"
#include "keys/key_picture.h"
#include "keys/keymap_file.h"
#include "support/scripted_key_hook.h"
#include "support/scripted_pickers.h"
#include "window_fixture.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using testing::MainWindowTest;

constexpr std::size_t kA = 63;
constexpr std::size_t kHome = 35;
const QPoint kSave(284, 257);
const QPoint kCancel(230, 257);
const QPoint kKeyTab(50, 44);
const QPoint kDisable(24, 255);

QPoint keyCentre(std::size_t key) {
    const KeyRectangle& r = KeyRectangleTable[key];
    return {kKeyboardPictureX + (r.left + r.right) / 2, kKeyboardPictureY + (r.top + r.bottom) / 2};
}

class KeyAssignmentFlow : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        realDialogs = std::make_unique<QtDialogs>(state, hook, messages, pickers);
        dialogs.forwardTo = realDialogs.get();
    }

    // Clicks the key in the picture; the steps then run inside its dialog.
    void clickKey(std::size_t key, std::function<void(KeyAssignmentDialog&)> steps) {
        bool ran = false;
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            KeyAssignmentDialog* open = nullptr;
            for (KeyAssignmentDialog* d :
                 {static_cast<KeyAssignmentDialog*>(&realDialogs->keyMap()),
                  static_cast<KeyAssignmentDialog*>(&realDialogs->keymapDlg2())}) {
                if (d->isVisible()) open = d;
            }
            if (open == nullptr || ran) return;
            ran = true;
            steps(*open);
            // A dialog the steps left open would hold the test forever.
            if (open->isVisible()) open->done(QDialog::Rejected);
        });
        poll.start();
        click(keyCentre(key).x(), keyCentre(key).y());
        EXPECT_TRUE(ran) << "no dialog opened";
    }

    static void press(KeyAssignmentDialog& dialog, QPoint at) {
        QTest::mouseClick(&dialog, Qt::LeftButton, {}, at);
    }

    testing::ScriptedKeyHook hook;
    testing::ScriptedPickers pickers;
    std::unique_ptr<QtDialogs> realDialogs;
};

TEST_F(KeyAssignmentFlow, RemapAToBSaveAndTheKeyboardAndTheNextStartKnowIt) {
    start();
    clickKey(kA, [&](KeyAssignmentDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), "CKeymapDlg2");
        hook.type('B');
        press(dialog, kSave);
    });
    EXPECT_EQ(state.assignments.marks[kA], 1);
    EXPECT_EQ((*state.assignments.table)[kA].data[0], 'B');
    EXPECT_FALSE(hook.installed());

    click(950, 615);  // the main window's Save
    // A's slot, 64, is the second pair of the second key block (63 slots a block): its
    // code, then kind 0.
    EXPECT_EQ(keyboard.memory().keyBlocks[1][2], 0x05);
    EXPECT_EQ(keyboard.memory().keyBlocks[1][3], 0x00);

    // A new start, with nothing in memory but what keymap.bin and the keyboard hold.
    window.reset();
    {
        std::lock_guard lock(state.keyboard.recordMutex);
        state.keyboard.settings = DeviceSettings{};
        state.keyboard.shadow.synchronise(DeviceSettings{});
    }
    state.assignments.marks.fill(0);
    state.assignments.table->fill(KeyAssignment{});
    state.assignments.shadow->fill(KeyAssignment{});
    start();
    EXPECT_EQ(state.assignments.marks[kA], 1);
    EXPECT_EQ((*state.assignments.table)[kA].data[0], 'B');
}

TEST_F(KeyAssignmentFlow, CancelAfterTheKeyTabLeavesTheStoredRecord) {
    start();
    (*state.macros.saved)[0].setName(u"Combo");
    KeyAssignment stored{};
    stored.identity = 0x24;
    stored.type = static_cast<std::uint8_t>(AssignmentType::Macro);
    stored.data[0] = 4;
    stored.data[1] = 1;
    (*state.assignments.table)[kHome] = stored;
    ASSERT_TRUE(
        saveKeymapFile(state.keymapPath().toStdString(), record(), *state.assignments.table));
    clickKey(kHome, [&](KeyAssignmentDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), "CKeyMap");
        EXPECT_EQ(dialog.state().page, KeyAssignmentDialog::MacroPage);
        press(dialog, kKeyTab);
        press(dialog, kCancel);
    });
    EXPECT_EQ((*state.assignments.table)[kHome], stored);
}

TEST_F(KeyAssignmentFlow, ADisabledKeyShowsAsChangedAndItsDialogSaysSo) {
    start();
    hover(keyCentre(kA).x(), keyCentre(kA).y());
    ASSERT_EQ(window->windowState().hoverKey, static_cast<int>(kA));
    clickKey(kA, [&](KeyAssignmentDialog& dialog) {
        EXPECT_FALSE(dialog.state().disableToggle);
        press(dialog, kDisable);
        press(dialog, kSave);
    });
    EXPECT_EQ(state.assignments.marks[kA], 1);
    EXPECT_EQ(record().keyTable[KeyLayout[kA].slot], KeyEntry{});
    // The pointer is elsewhere now: the key is lit for its change, not for a stale hover.
    EXPECT_EQ(window->windowState().hoverKey, -1);
    clickKey(kA, [&](KeyAssignmentDialog& dialog) {
        EXPECT_TRUE(dialog.state().disableToggle);
        press(dialog, kCancel);
    });
}

}  // namespace
}  // namespace tq260
