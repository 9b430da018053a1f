#pragma once

#include <QIcon>
#include <QImage>

namespace tq260 {

// The pictures built into the program, by their resource numbers.
enum ResourceBitmap : int {
    kApplicationIcon = 128,
    kPressIcon = 131,  // also the tree's background picture
    kCollapsedPicture = 133,
    kExpandedPicture = 134,
    kDelayIcon = 137,
    kReleaseIcon = 138,
    kSliderChannelEmpty = 139,
    kSliderChannelFilled = 140,
    kSliderThumb = 141,
    kListBackground = 145,
};

// The decoded picture, or an empty image when the program has no such resource. For a screen
// of more than one device pixel per logical pixel, its @2x twin with that ratio set, so it
// draws at the same logical size (use deviceIndependentSize(), not size()).
QImage resourceBitmap(int id, qreal density = 1);

// The program's icon for its windows and the tray, with its twin for dense screens.
QIcon applicationIcon();

}  // namespace tq260
