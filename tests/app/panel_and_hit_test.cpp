#include <gmock/gmock.h>

#include "app/main_window_buttons.h"
#include "app/main_window_hit_test.h"
#include "app/panel_layout.h"
#include "keys/key_picture.h"

namespace tq260 {
namespace {

TEST(PanelLayout, HeadersFollowTheCollapsedSections) {
    const PanelLayout collapsed = PanelLayout::of({});
    EXPECT_EQ(collapsed.gameModeHeaderY, 188);
    EXPECT_EQ(collapsed.responseHeaderY, 236);
    EXPECT_EQ(collapsed.reportRateHeaderY, 276);
    EXPECT_EQ(collapsed.macroBarY, 140);

    const PanelLayout expanded = PanelLayout::of({false, false, false, false});
    EXPECT_EQ(expanded.gameModeHeaderY, 358);
    EXPECT_EQ(expanded.responseHeaderY, 438);
    EXPECT_EQ(expanded.reportRateHeaderY, 518);
    EXPECT_EQ(expanded.responseListTop, 438 - 173);
}

TEST(PanelLayout, MovedButtonsTrackTheirSections) {
    auto buttons = mainWindowButtons();
    const PanelLayout layout = PanelLayout::of({false, true, false, true});
    applyPanelLayout(layout, buttons);
    EXPECT_EQ(buttons[9].rect, QRect(QPoint(28, 320), QPoint(250, 338)));
    EXPECT_EQ(buttons[10].rect, QRect(QPoint(27, 358 + 33), QPoint(37, 358 + 42)));
    EXPECT_EQ(buttons[12].rect, QRect(QPoint(28, 406 + 28), QPoint(248, 406 + 44)));
    EXPECT_EQ(buttons[19].rect, QRect(19, 358, 242, 20));
    EXPECT_EQ(buttons[21].rect, QRect(19, 486, 242, 20));
}

TEST(MainWindowButtons, TableImagesAndLeaveNames) {
    const auto buttons = mainWindowButtons();
    ASSERT_EQ(buttons.size(), 22U);
    EXPECT_EQ(buttons[3].normal, QString::fromUtf8("灯光选项条.png"));
    EXPECT_EQ(buttons[3].over, QString::fromUtf8("灯光模式选中.png"));
    EXPECT_EQ(buttons[17].over, "button-save-over.png");
    for (const auto& set : buttons) EXPECT_EQ(set.leave, set.normal);
}

TEST(KeyHitTest, KeyRectanglesInTheWindow) {
    EXPECT_EQ(keyHitTest({kKeyboardPictureX + 29, kKeyboardPictureY + 77}, false), 0);
    EXPECT_EQ(keyHitTest({kKeyboardPictureX + 28, kKeyboardPictureY + 77}, false), -1);
    EXPECT_EQ(keyHitTest({kKeyboardPictureX + 54, kKeyboardPictureY + 102}, false),
              0);  // edges count
    EXPECT_EQ(keyHitTest({kKeyboardPictureX + 621, kKeyboardPictureY + 230}, false),
              94);  // keypad Enter
    // Key 100 counts only while the light pattern is being edited.
    EXPECT_EQ(keyHitTest({kKeyboardPictureX + 340, kKeyboardPictureY + 230}, false), -1);
    EXPECT_EQ(keyHitTest({kKeyboardPictureX + 340, kKeyboardPictureY + 230}, true), 100);
    // The media keys are never hit.
    EXPECT_EQ(keyHitTest({kKeyboardPictureX + 540, kKeyboardPictureY + 90}, false), -1);
}

TEST(ButtonHitTest, SectionsDecideWhatCanBeHit) {
    auto buttons = mainWindowButtons();
    HitContext closed;
    applyPanelLayout(PanelLayout::of(closed.sections), buttons);
    EXPECT_EQ(buttonHitCode(buttons, closed, {940, 10}), 0);
    EXPECT_EQ(buttonHitCode(buttons, closed, {100, 115}), 18);
    EXPECT_EQ(buttonHitCode(buttons, closed, {100, 171}), -1);  // effect bar of a closed section
    EXPECT_EQ(buttonHitCode(buttons, closed, {100, 160}), 9);   // the macro bar lies there now
    EXPECT_EQ(buttonHitCode(buttons, closed, {950, 615}), 17);
    EXPECT_EQ(buttonHitCode(buttons, closed, {40, 545}), -1);  // the scale is never hit
    EXPECT_EQ(buttonHitCode(buttons, closed, {40, 270}), -1);  // entry 8 does nothing

    HitContext open{{false, false, false, false}, true};
    applyPanelLayout(PanelLayout::of(open.sections), buttons);
    EXPECT_EQ(buttonHitCode(buttons, open, {100, 165}), 3);
    EXPECT_EQ(buttonHitCode(buttons, open, {30, 205}), kHitDiyKeymap);
    EXPECT_EQ(buttonHitCode(buttons, open, {135, 205}), kHitDiyPaint);
    EXPECT_EQ(buttonHitCode(buttons, open, {30, 358 + 36}), 10);
    EXPECT_EQ(buttonHitCode(buttons, open, {100, 438 + 30}), 12);
    open.userDefinedEffect = false;
    EXPECT_EQ(buttonHitCode(buttons, open, {135, 205}), 6);  // a direction button there instead
}

}  // namespace
}  // namespace tq260
