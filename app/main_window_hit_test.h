#pragma once

#include <QPoint>
#include <vector>

#include "app/panel_layout.h"
#include "controls/button_image_set.h"

namespace tq260 {

// What decides which buttons can be hit.
struct HitContext {
    PanelSections sections;
    bool userDefinedEffect = false;  // effect 51 or more
};

// Hit codes beyond the button entries: the two DIY choices.
inline constexpr int kHitDiyKeymap = 33;
inline constexpr int kHitDiyPaint = 34;

// The button hit code of a point in the window, in the fixed test order, or -1.
int buttonHitCode(const std::vector<ButtonImageSet>& buttons, const HitContext& context,
                  QPoint point);

// The first key whose window rectangle holds the point, or -1; the key right of RAlt (100)
// only while the light pattern is being edited.
int keyHitTest(QPoint point, bool diyEditMode);

}  // namespace tq260
