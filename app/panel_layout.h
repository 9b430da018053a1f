#pragma once

#include <vector>

#include "controls/button_image_set.h"

namespace tq260 {

// The four collapsible sections of the left column; all start collapsed.
struct PanelSections {
    bool lightingCollapsed = true;
    bool gameModeCollapsed = true;
    bool responseCollapsed = true;
    bool reportRateCollapsed = true;
};

// Where the column's parts lie for the sections' collapsed flags.
struct PanelLayout {
    static constexpr int kColumnX = 19;
    static constexpr int kHeaderWidth = 242;
    static constexpr int kHeaderHeight = 20;
    static constexpr int kLightingHeaderY = 110;

    int lightingHeight;
    int gameModeHeight;
    int responseHeight;
    int macroBarY;
    int gameModeHeaderY;
    int responseHeaderY;
    int reportRateHeaderY;
    int responseListTop;  // the response time list: ten rows of 20 from here

    static PanelLayout of(const PanelSections& sections);
};

// Moves the button entries that follow the layout: the macro bar (9), the game mode choices
// (10, 11), the response time bar (12) and the four section headers (18..21).
void applyPanelLayout(const PanelLayout& layout, std::vector<ButtonImageSet>& buttons);

}  // namespace tq260
