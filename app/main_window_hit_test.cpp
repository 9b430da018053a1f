#include "app/main_window_hit_test.h"

#include "keys/key_picture.h"

namespace tq260 {

namespace {

constexpr int kKeyOnlyWhileEditingLights = 100;

bool within(QPoint p, int left, int top, int right, int bottom) {
    return p.x() >= left && p.x() <= right && p.y() >= top && p.y() <= bottom;
}

}  // namespace

int buttonHitCode(const std::vector<ButtonImageSet>& buttons, const HitContext& context, QPoint p) {
    if (buttons.size() < 22) return -1;
    const auto hit = [&](int entry) { return buttons[static_cast<std::size_t>(entry)].hit(p); };
    const bool lightingOpen = !context.sections.lightingCollapsed;
    for (int entry : {0, 1, 2}) {
        if (hit(entry)) return entry;
    }
    if (hit(18)) return 18;
    if (lightingOpen && context.userDefinedEffect) {
        if (within(p, 28, 200, 38, 210)) return kHitDiyKeymap;
        if (within(p, 130, 200, 140, 210)) return kHitDiyPaint;
    }
    if (lightingOpen) {
        for (int entry = 3; entry <= 7; ++entry) {
            if (hit(entry)) return entry;
        }
    }
    if (hit(9)) return 9;
    if (!context.sections.gameModeCollapsed) {
        if (hit(10)) return 10;
        if (hit(11)) return 11;
    }
    if (hit(19)) return 19;
    if (!context.sections.responseCollapsed && hit(12)) return 12;
    if (hit(20)) return 20;
    if (hit(21)) return 21;
    for (int entry = 14; entry <= 17; ++entry) {
        if (hit(entry)) return entry;
    }
    return -1;
}

int keyHitTest(QPoint point, bool diyEditMode) {
    const int x = point.x() - kKeyboardPictureX;
    const int y = point.y() - kKeyboardPictureY;
    for (std::size_t key = 0; key < KeyRectangleTable.size(); ++key) {
        if (key == kKeyOnlyWhileEditingLights && !diyEditMode) continue;
        if (KeyRectangleTable[key].contains(x, y)) return static_cast<int>(key);
    }
    return -1;
}

}  // namespace tq260
