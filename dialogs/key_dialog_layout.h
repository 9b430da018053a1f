#pragma once

#include <QPoint>
#include <QRect>
#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "controls/button_image_set.h"
#include "dialogs/dialog_text.h"
#include "keys/language.h"

namespace tq260 {

// What a clickable region of a key dialog does.
enum class KeyDialogRole {
    Close,
    KeyTab,
    MacroTab,
    FunctionTab,
    LaunchTab,
    Strip,
    DisableToggle,
    Default,
    Cancel,
    Save,
};

// Everything in which the two key dialogs differ; the behaviour is shared.
struct KeyDialogVariant {
    const char* className;
    // The image the window takes its size from.
    std::u16string_view sizingImage;
    // The button image tables: rectangles, three name slots per button, and each region's
    // role, in hit-test order.
    std::span<const ButtonRect> rects;
    std::span<const ButtonNameSlot> names;
    std::span<const KeyDialogRole> roles;
    // The region tested first, with its rectangle widened on every side.
    int widenedRegion;
    // The tab labels; an empty text draws nothing.
    std::array<DialogLabel, 3> tabLabels;  // key, macro, function
    // The key page's own label, if any.
    std::optional<DialogLabel> keyPageLabel;
    // Only the six navigation keys may open the macro page from its tab.
    bool macroTabForNavigationKeysOnly;
    // Tree texts that are categories, not functions.
    std::array<std::u16string_view, 3> categoryTexts;
    DialogText folderPickerTitle;
    DialogText emptyFolderMessage;
};

const KeyDialogVariant& keyMapVariant();
const KeyDialogVariant& keymapDlg2Variant();

// The launch page's grid: four rows (mp3, exe, txt, folder) of four cells (choice mark,
// label, path, browse button); cell number = row * 4 + column.
inline constexpr int kLaunchRows = 4;
inline constexpr int kLaunchColumns = 4;
QRect launchCell(int cell);
// The cell under the point, or -1. Edges belong to the cell.
int launchCellAt(QPoint point);

// The positions of the page controls (x, y, width, height).
inline constexpr QRect kTreeGeometry(10, 60, 295, 160);
inline constexpr QRect kKeyBoxGeometry(20, 89, 280, 15);
inline constexpr QRect kCombinationBoxGeometry(20, 139, 280, 15);
inline constexpr QRect kMacroListGeometry(20, 79, 280, 150);

}  // namespace tq260
