// Key assignment end to end: a key click opens the real dialog, the dialog's choice reaches
// the key's record, keymap.bin and, on Save, the keyboard.
#include <gmock/gmock.h>

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <functional>

#include "dialog_flow_fixture.h"
#include "keys/key_picture.h"
#include "keys/keymap_file.h"

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

using KeyAssignmentFlow = testing::DialogFlow;
using testing::keyCentre;

// A dialog blocks the window it opens over, not the notification area's icon (a window of
// its own, here a stand-in) nor its menu; Exit from that menu ends the dialog first.
TEST_F(KeyAssignmentFlow, TheTrayStaysUsableWhileADialogIsOpenAndExitEndsIt) {
    start();
    class Blocks final : public QObject {
      public:
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::WindowBlocked) blocked.push_back(watched);
            return false;
        }
        std::vector<QObject*> blocked;
    } blocks;
    QWidget trayIcon;
    trayIcon.show();
    for (QObject* each : {static_cast<QObject*>(&trayIcon), static_cast<QObject*>(window.get()),
                          static_cast<QObject*>(&window->trayIcon().menu())}) {
        each->installEventFilter(&blocks);
    }
    bool exitedFromTheMenu = false;
    clickKey(kA, [&](KeyAssignmentDialog& dialog) {
        EXPECT_THAT(blocks.blocked, ElementsAre(window.get()));
        for (QAction* action : window->trayIcon().menu().actions()) {
            if (action->text() == "Exit") action->trigger();
        }
        exitedFromTheMenu = !dialog.isVisible();
    });
    EXPECT_TRUE(exitedFromTheMenu);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }));
    EXPECT_EQ(keyboard.memory().lighting[0], 1);
}

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

    restart();
    EXPECT_EQ(state.assignments.marks[kA], 1);
    EXPECT_EQ((*state.assignments.table)[kA].data[0], 'B');
}

TEST_F(KeyAssignmentFlow, RecordAMacroPutItOnHomeSaveAndTheNextStartShowsIt) {
    start();
    const auto managerClick = [](CMacroRecordDlg& manager, QPoint at) {
        QTest::mouseClick(&manager, Qt::LeftButton, {}, at);
    };
    inMacroManager([&](CMacroRecordDlg& manager) {
        managerClick(manager, QPoint(45, 380));   // New
        managerClick(manager, QPoint(375, 175));  // Record Delay
        managerClick(manager, QPoint(330, 110));  // Record
        hook.press('A');
        typingClock.sleepMs(80);
        hook.release('A');
        hook.type('B');
        managerClick(manager, QPoint(330, 110));  // Stop
        managerClick(manager, QPoint(300, 410));  // OK
    });
    const std::array<std::uint8_t, 8> played{0x00, 0x01, 0x01, 0x04, 0xD0, 0x04, 0x01, 0x05};
    EXPECT_TRUE(std::equal(played.begin(), played.end(), record().macroBlocks[0].begin()));
    EXPECT_EQ((*state.macros.saved)[0].nameText(), u"Macro_001");
    EXPECT_EQ(QFileInfo(folder.filePath("MacroDefine.bin")).size(), 169860);

    clickKey(kHome, [&](KeyAssignmentDialog& dialog) {
        press(dialog, QPoint(160, 44));  // the macro tab
        ASSERT_EQ(dialog.macroList()->count(), 1);
        EXPECT_EQ(dialog.macroList()->item(0)->text(), "Macro_001");
        dialog.macroList()->setCurrentRow(0);
        press(dialog, kSave);
    });
    click(950, 615);  // the main window's Save
    // The keyboard keeps its macro blocks as they travel, each 16-bit word byte-swapped.
    const std::array<std::uint8_t, 8> kept{0x01, 0x00, 0x04, 0x01, 0x04, 0xD0, 0x05, 0x01};
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), keyboard.memory().macroBlocks[0].begin()));
    const std::size_t slot = KeyLayout[kHome].slot;
    EXPECT_EQ(keyboard.memory().keyBlocks[slot / 63][slot % 63 * 2], 0x00);
    EXPECT_EQ(keyboard.memory().keyBlocks[slot / 63][slot % 63 * 2 + 1], 0x41);

    window.reset();
    state.macros.saved->fill(MacroRecord{});
    start();
    inMacroManager([&](CMacroRecordDlg& manager) {
        QStringList lines;
        for (int i = 0; i < manager.eventList()->count(); ++i) {
            lines << manager.eventList()->item(i)->text();
        }
        EXPECT_EQ(lines, (QStringList{"A  dn", "80 ms", "A  up", "B  dn", "B  up"}));
        EXPECT_FALSE(hook.installed());
    });
}

// The key follows its macro up a slot, and the slot the delete freed is emptied on the
// keyboard, which would otherwise go on playing a macro the program no longer shows.
TEST_F(KeyAssignmentFlow, AKeyFollowsItsMacroWhenAnEarlierOneIsDeletedAndTheFreedSlotEmpties) {
    keyboard.editMemory([](KeyboardMemory& m) { m.macroBlocks[1].fill(0x11); });
    start();
    (*state.macros.saved)[0].setName(u"First");
    (*state.macros.saved)[1].setName(u"Second");
    clickKey(kHome, [&](KeyAssignmentDialog& dialog) {
        press(dialog, QPoint(160, 44));
        dialog.macroList()->setCurrentRow(1);
        press(dialog, kSave);
    });
    ASSERT_EQ((*state.assignments.table)[kHome].data[2], 1);
    messages.answers = {true};
    inMacroManager([&](CMacroRecordDlg& manager) {
        manager.macroList()->setCurrentRow(0);
        QTest::mouseClick(&manager, Qt::LeftButton, {}, QPoint(100, 380));  // Delete
        QTest::mouseClick(&manager, Qt::LeftButton, {}, QPoint(300, 410));  // OK
    });
    EXPECT_EQ((*state.assignments.table)[kHome].data[2], 0);
    EXPECT_EQ(record().keyTable[KeyLayout[kHome].slot].code, 0);
    EXPECT_EQ((*state.macros.saved)[0].nameText(), u"Second");
    click(950, 615);  // the main window's Save
    EXPECT_EQ(keyboard.memory().macroBlocks[1], Block{});
}

// Save in a key's dialog with nothing chosen leaves the key as it was, on the keyboard too.
TEST_F(KeyAssignmentFlow, SaveWithNothingChosenLeavesTheKeyAsItWas) {
    start();
    const KeyEntry before = record().keyTable[KeyLayout[kA].slot];
    clickKey(kA, [&](KeyAssignmentDialog& dialog) {
        EXPECT_EQ(dialog.keyBox()->text(), "A ");
        press(dialog, kSave);
    });
    EXPECT_EQ(state.assignments.marks[kA], 0);
    EXPECT_EQ(record().keyTable[KeyLayout[kA].slot], before);
    keyboard.wireLog().clear();
    click(950, 615);
    EXPECT_THAT(commandsSent(), ElementsAre(0x08, 0x01, 0x04, 0x02));  // no key block
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
