// The main window used from the keyboard alone, and what a screen reader is told.
#include <QAccessible>
#include <QApplication>
#include <QTimer>

#include "app/lighting_effects.h"
#include "dialog_flow_fixture.h"

namespace tq260::testing {
namespace {

class KeyboardUse : public DialogFlow {
  protected:
    void startFocused() {
        start();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        window->focusStops().sync();
    }
    // A key pressed where the focus is, as the keyboard sends it.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target != nullptr ? target : window.get(), key, modifiers);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->keyboardBusy(); }, 20000));
        QCoreApplication::processEvents();
    }
    // The focused stop's id, or a real control's name; in whichever window is active.
    static QString focused() {
        const QWidget* w = QApplication::focusWidget();
        if (const auto* stop = dynamic_cast<const FocusStopWidget*>(w)) return stop->stop().id;
        return w != nullptr ? w->accessibleName() : QString();
    }
    // Presses the key that opens the dialog and runs the steps in it once it is active; the
    // window is active again afterwards, as the window manager makes it.
    void inDialogOpenedBy(Qt::Key key, QDialog& dialog, const std::function<void()>& steps) {
        whileOpen(
            dialog, [&] { press(key); },
            [&] {
                dialog.activateWindow();
                ASSERT_TRUE(becomesActive(dialog));
                steps();
            });
        window->activateWindow();
        ASSERT_TRUE(becomesActive(*window));
    }
    // The window that has the keyboard. Not qWaitForWindowActive: it counts a window as
    // active while the dialog it opened over has the keyboard, and the dialog while the
    // window still has it.
    static bool becomesActive(QWidget& w) {
        return QTest::qWaitFor([&] { return QApplication::activeWindow() == &w; });
    }
    // Tab until the stop has the focus; fails after a whole round.
    void tabTo(const QString& id) {
        for (int i = 0; i < 40 && focused() != id; ++i) press(Qt::Key_Tab);
        ASSERT_EQ(focused(), id);
    }
    QAccessibleInterface* focusedItem() {
        QAccessibleInterface* stop =
            QAccessible::queryAccessibleInterface(QApplication::focusWidget());
        const int item = window->focusStops().focused()->stop().currentItem;
        return stop->child(item);
    }
};

TEST_F(KeyboardUse, TabGoesThroughThePlacesInReadingOrderAndBack) {
    startFocused();
    std::vector<QString> order;
    for (int i = 0; i < 13; ++i) {
        press(Qt::Key_Tab);
        order.push_back(focused());
    }
    EXPECT_EQ(order,
              (std::vector<QString>{"help", "minimize", "close", "lighting", "macros", "game-mode",
                                    "response-header", "report-rate", "keyboard", "profiles",
                                    "factory-reset", "cancel", "save"}));
    press(Qt::Key_Backtab);
    EXPECT_EQ(focused(), "cancel");
}

TEST_F(KeyboardUse, GameModeOffAndSaveReachTheKeyboard) {
    startFocused();
    ASSERT_EQ(keyboard.memory().gameMode, 1);
    tabTo("game-mode");
    press(Qt::Key_Return);  // the section opens, the focus stays on its header
    EXPECT_EQ(focused(), "game-mode");
    tabTo("game-mode-off");
    auto* off = QAccessible::queryAccessibleInterface(QApplication::focusWidget());
    EXPECT_EQ(off->role(), QAccessible::RadioButton);
    EXPECT_FALSE(off->state().checked);
    press(Qt::Key_Space);
    EXPECT_TRUE(off->state().checked);
    tabTo("save");
    press(Qt::Key_Enter);
    EXPECT_EQ(keyboard.memory().gameMode, 0);
}

TEST_F(KeyboardUse, TheEffectListOpensTakesArrowsAndGivesTheFocusBack) {
    startFocused();
    tabTo("lighting");
    press(Qt::Key_Space);
    tabTo("effect");
    const QString before = window->focusStops().find("effect")->stop().value;
    press(Qt::Key_Return);
    ASSERT_EQ(focused(), "effect-list");
    // Escape closes the list and changes nothing.
    press(Qt::Key_Escape);
    EXPECT_EQ(focused(), "effect");
    EXPECT_FALSE(window->windowState().effectListOpen);
    // The list opens on the current effect; two rows down is chosen.
    press(Qt::Key_Return);
    const int current = window->focusStops().focused()->stop().currentItem;
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    EXPECT_EQ(focusedItem()->text(QAccessible::Name),
              lightingEffectName(static_cast<std::size_t>(current + 2), Language::English));
    press(Qt::Key_Return);
    EXPECT_EQ(focused(), "effect");
    EXPECT_EQ(record().lighting.effect,
              kLightingEffects[static_cast<std::size_t>(current + 2)].code);
    EXPECT_NE(window->focusStops().find("effect")->stop().value, before);
}

TEST_F(KeyboardUse, TheBrightnessSliderMovesWithTheArrows) {
    startFocused();
    tabTo("lighting");
    press(Qt::Key_Space);
    tabTo("Brightness");
    const int before = record().lighting.brightness;
    press(Qt::Key_Left);
    EXPECT_EQ(window->brightnessSlider()->value(), before - 1);
    EXPECT_EQ(record().lighting.brightness, before - 1);
    auto* slider = QAccessible::queryAccessibleInterface(window->brightnessSlider());
    EXPECT_EQ(slider->role(), QAccessible::Slider);
    ASSERT_NE(slider->valueInterface(), nullptr);
    EXPECT_EQ(slider->valueInterface()->currentValue().toInt(), before - 1);
}

TEST_F(KeyboardUse, AKeyIsAssignedWithTheKeyboardAlone) {
    startFocused();
    tabTo("keyboard");
    press(Qt::Key_Right);  // onto the first key
    EXPECT_EQ(focusedItem()->text(QAccessible::Name), "Esc, sends Esc");
    press(Qt::Key_Down);  // ~ lies under Esc
    press(Qt::Key_Down);  // Tab
    press(Qt::Key_Down);  // Caps Lock
    press(Qt::Key_Right);
    EXPECT_EQ(focusedItem()->text(QAccessible::Name), "A, sends A");
    KeyAssignmentDialog& dialog = realDialogs->keymapDlg2();
    inDialogOpenedBy(Qt::Key_Return, dialog, [&] {
        // The dialog opens capturing: the key pressed is the key A sends from now on, and the
        // focus goes on to Save.
        ASSERT_TRUE(dialog.capturing());
        hook.type('B');
        EXPECT_FALSE(dialog.capturing());
        EXPECT_EQ(focused(), "save");
        press(Qt::Key_Return);
    });
    EXPECT_EQ(state.assignments.selectedKey, 63U);
    EXPECT_EQ(focused(), "keyboard");
    EXPECT_EQ(focusedItem()->text(QAccessible::Name), "A, sends B, changed");
}

TEST_F(KeyboardUse, AProfileIsUsedWithTheKeyboardAlone) {
    start();
    putProfile("Arena", 12);
    messages.choices = {1};  // what the keyboard holds is in no profile: discarded
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    tabTo("profiles");
    inDialogOpenedBy(Qt::Key_Space, realDialogs->profiles(), [&] {
        EXPECT_EQ(focused(), "Profile");
        std::vector<QString> order;
        for (int i = 0; i < 4; ++i) {
            press(Qt::Key_Tab);
            order.push_back(focused());
        }
        EXPECT_EQ(order, (std::vector<QString>{"new", "delete", "close", "Profile"}));
        press(Qt::Key_Home);
        press(Qt::Key_Return);
        EXPECT_EQ(window->profileLine(), "Profile: Arena");
        press(Qt::Key_Escape);
        EXPECT_FALSE(realDialogs->profiles().isVisible());
    });
    EXPECT_EQ(static_cast<int>(keyboard.memory().lighting[1]), 12);
    EXPECT_EQ(focused(), "profiles");
}

}  // namespace
}  // namespace tq260::testing
