#include <gmock/gmock.h>

#include <sstream>
#include <string>

#include "app/main_window_buttons.h"
#include "app/main_window_hit_test.h"
#include "app/panel_layout.h"
#include "keys/key_picture.h"
#include "support/region_edges.h"

namespace tq260 {
namespace {

using testing::expectEdges;
using testing::HitRegion;

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

// Every button region of the main window with all four sections open, where the panel
// layout has moved the ones below the lighting section.
TEST(ButtonHitTest, EveryRegionsEdgesCountAndThePixelOutsideDoesNot) {
    const HitRegion allOpen[] = {
        {0, 936, 5, 952, 20},     {1, 957, 5, 973, 20},     {2, 978, 5, 994, 20},
        {3, 28, 158, 248, 173},   {4, 29, 197, 64, 212},    {5, 79, 197, 114, 212},
        {6, 129, 197, 164, 212},  {7, 179, 197, 214, 212},  {9, 28, 320, 250, 338},
        {10, 27, 391, 37, 400},   {11, 78, 391, 88, 400},   {12, 28, 466, 248, 482},
        {14, 19, 605, 89, 633},   {15, 800, 600, 857, 630}, {16, 861, 600, 918, 630},
        {17, 923, 600, 980, 630}, {18, 19, 110, 260, 129},  {19, 19, 358, 260, 377},
        {20, 19, 438, 260, 457},  {21, 19, 518, 260, 537},
    };
    auto buttons = mainWindowButtons();
    HitContext context{{false, false, false, false}, false};
    applyPanelLayout(PanelLayout::of(context.sections), buttons);
    const auto hitAt = [&](QPoint p) { return buttonHitCode(buttons, context, p); };
    for (const HitRegion& r : allOpen) expectEdges(hitAt, r, "button " + std::to_string(r.code));

    // With a user-defined effect, the two DIY choices.
    context.userDefinedEffect = true;
    expectEdges(hitAt, {kHitDiyKeymap, 28, 200, 38, 210}, "Keymap");
    expectEdges(hitAt, {kHitDiyPaint, 130, 200, 140, 210}, "DIY");
}

// The key rectangle table by rows, as the keyboard picture lays the keys out: the row's
// top and bottom, then each key's index, left and right.
constexpr const char* kKeyRows = R"(
77 102 | 0 29 54, 1 82 107, 2 109 134, 3 136 161, 4 163 188, 5 205 230, 6 232 257, 7 259 284, 8 286 311, 9 328 353, 10 355 380, 11 382 407, 12 409 434, 13 443 468, 14 470 495, 15 497 522
111 136 | 20 29 54, 21 56 81, 22 84 109, 23 111 136, 24 139 164, 25 166 191, 26 194 219, 27 221 246, 28 248 274, 29 276 302, 30 303 329, 31 331 356, 32 358 383, 33 385 435, 34 443 469, 35 470 496, 36 497 523, 37 532 557, 38 559 584, 39 587 612, 40 614 639
138 163 | 41 29 68, 42 70 95, 43 97 122, 44 125 150, 45 152 177, 46 180 205, 47 207 232, 48 235 260, 49 262 287, 50 289 314, 51 317 342, 52 344 369, 53 371 396, 54 398 435, 55 443 468, 56 470 495, 57 497 522, 58 532 557, 59 559 584, 60 587 612
138 190 | 61 614 639
165 190 | 62 29 74, 63 76 101, 64 103 128, 65 131 156, 66 158 183, 67 186 211, 68 213 238, 69 241 266, 70 268 293, 71 295 320, 72 323 348, 73 350 375, 74 377 435, 75 532 557, 76 559 584, 77 587 612
192 217 | 78 29 87, 79 90 115, 80 117 142, 81 145 170, 82 172 197, 83 200 225, 84 227 252, 85 255 280, 86 282 307, 87 309 334, 88 337 362, 89 364 435, 90 470 495, 91 532 557, 92 559 584, 93 587 612
192 244 | 94 614 639
219 244 | 95 29 62, 96 64 97, 97 99 132, 98 134 297, 99 298 331, 100 333 366, 101 367 400, 102 402 435, 103 443 468, 104 470 495, 105 497 522, 106 532 584, 107 587 612
)";

std::vector<HitRegion> keyRegions() {
    std::vector<HitRegion> keys;
    std::istringstream rows(kKeyRows);
    std::string row;
    while (std::getline(rows, row)) {
        if (row.empty()) continue;
        std::istringstream in(row);
        int top = 0;
        int bottom = 0;
        char bar = 0;
        in >> top >> bottom >> bar;
        HitRegion key{};
        while (in >> key.code >> key.left >> key.right) {
            key.top = top;
            key.bottom = bottom;
            keys.push_back(key);
            in >> std::ws;
            if (in.peek() == ',') in.get();
        }
    }
    return keys;
}

// Every key's edges, in the window (the picture's corner at 294, 108), while the light
// pattern is edited (when key 100 counts too).
TEST(KeyHitTest, EveryKeysEdgesCountAndThePixelOutsideDoesNot) {
    const std::vector<HitRegion> keys = keyRegions();
    ASSERT_EQ(keys.size(), 104U);  // 108 less the four media keys, never hit
    for (HitRegion key : keys) {
        key.left += kKeyboardPictureX;
        key.right += kKeyboardPictureX;
        key.top += kKeyboardPictureY;
        key.bottom += kKeyboardPictureY;
        expectEdges([](QPoint p) { return keyHitTest(p, true); }, key,
                    "key " + std::to_string(key.code));
    }
}

}  // namespace
}  // namespace tq260
