#include "app/panel_layout.h"

namespace tq260 {

namespace {

QRect span(int left, int top, int right, int bottom) {
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

QRect header(int y) {
    return QRect(PanelLayout::kColumnX, y, PanelLayout::kHeaderWidth, PanelLayout::kHeaderHeight);
}

}  // namespace

PanelLayout PanelLayout::of(const PanelSections& sections) {
    PanelLayout layout{};
    layout.lightingHeight = sections.lightingCollapsed ? 30 : 200;
    layout.gameModeHeight = sections.gameModeCollapsed ? 48 : 80;
    layout.responseHeight = sections.responseCollapsed ? 40 : 80;
    layout.macroBarY = layout.lightingHeight + 110;
    layout.gameModeHeaderY = layout.lightingHeight + 158;
    layout.responseHeaderY = layout.gameModeHeaderY + layout.gameModeHeight;
    layout.reportRateHeaderY = layout.responseHeaderY + layout.responseHeight;
    layout.responseListTop = layout.responseHeaderY - 173;
    return layout;
}

void applyPanelLayout(const PanelLayout& layout, std::vector<ButtonImageSet>& buttons) {
    if (buttons.size() < 22) return;
    const int yG = layout.gameModeHeaderY;
    const int yR = layout.responseHeaderY;
    buttons[9].rect = span(28, layout.lightingHeight + 120, 250, layout.lightingHeight + 138);
    buttons[10].rect = span(27, yG + 33, 37, yG + 42);
    buttons[11].rect = span(78, yG + 33, 88, yG + 42);
    buttons[12].rect = span(28, yR + 28, 248, yR + 44);
    buttons[18].rect = header(PanelLayout::kLightingHeaderY);
    buttons[19].rect = header(yG);
    buttons[20].rect = header(yR);
    buttons[21].rect = header(layout.reportRateHeaderY);
}

}  // namespace tq260
