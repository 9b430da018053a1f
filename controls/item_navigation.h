#pragma once

#include <QRect>
#include <span>

namespace tq260 {

// Where an arrow key leads among the items of one focus stop (the keys of the keyboard
// picture, the rows of a list): items on one row sit side by side; rows go down the page.
struct NavigableItem {
    QRect rect;
    int row = 0;
};

enum class ArrowKey { Left, Right, Up, Down, First, Last };

// The item the arrow leads to from current, or current where it leads nowhere. Left and
// Right stay on the row; Up and Down take the nearest item by its middle on the next row
// that has one. From no item (-1) any arrow leads to the first item.
int itemAfterArrow(std::span<const NavigableItem> items, int current, ArrowKey arrow);

}  // namespace tq260
