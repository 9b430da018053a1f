#pragma once

#include <QRect>
#include <QString>
#include <array>
#include <span>
#include <vector>

namespace tq260 {

// The rectangle of a static button table: left, top, right, bottom, edges included.
struct ButtonRect {
    int left;
    int top;
    int right;
    int bottom;
};

// One name slot of a static button table: 255 wide characters, zero-filled after the text.
using ButtonNameSlot = std::array<char16_t, 255>;

// One skinned button of a window.
struct ButtonImageSet {
    QRect rect;  // hit area and drawing position
    QString normal;
    QString over;
    QString leave;
    int state = 0;  // 0 idle, otherwise the pointer is over it

    bool hit(QPoint point) const;  // inside or on an edge; never for an empty rectangle
};

// Where the set's image shows: the image's size from the hit area's top-left corner, or the
// hit area when there is no image. The focus mark goes around what is seen.
QRect shownRect(const ButtonImageSet& set, QSize imageSize);

// Set i takes rectangle i and the name slots 3i (normal), 3i + 1 (over), 3i + 2 (leave).
std::vector<ButtonImageSet> buildButtonImageSets(std::span<const ButtonRect> rects,
                                                 std::span<const ButtonNameSlot> names);

// A name slot holding text, for writing the static tables.
ButtonNameSlot nameSlot(std::u16string_view text);

}  // namespace tq260
