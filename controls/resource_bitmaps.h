#pragma once

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

// The decoded picture, or an empty image when the program has no such resource.
QImage resourceBitmap(int id);

}  // namespace tq260
