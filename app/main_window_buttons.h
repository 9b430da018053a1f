#pragma once

#include <vector>

#include "controls/button_image_set.h"

namespace tq260 {

// The main window's 22 skinned buttons, built from its static tables.
std::vector<ButtonImageSet> mainWindowButtons();

// Button entries by role.
namespace main_button {
inline constexpr int kHelp = 0;
inline constexpr int kMinimize = 1;
inline constexpr int kClose = 2;
inline constexpr int kEffectBar = 3;
inline constexpr int kMacroManager = 9;
inline constexpr int kGameModeOn = 10;
inline constexpr int kGameModeOff = 11;
inline constexpr int kResponseBar = 12;
inline constexpr int kProfiles = 14;
inline constexpr int kFactoryReset = 15;
inline constexpr int kCancel = 16;
inline constexpr int kSave = 17;
inline constexpr int kLightingHeader = 18;
inline constexpr int kGameModeHeader = 19;
inline constexpr int kResponseHeader = 20;
inline constexpr int kReportRateHeader = 21;
}  // namespace main_button

}  // namespace tq260
