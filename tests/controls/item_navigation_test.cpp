#include "controls/item_navigation.h"

#include <gtest/gtest.h>

#include <vector>

#include "keys/key_picture.h"

namespace tq260::testing {
namespace {

// The keyboard picture's keys as the arrows see them: index = key index, the row by its top.
std::vector<NavigableItem> pictureKeys() {
    std::vector<NavigableItem> items;
    for (const KeyRectangle& r : KeyRectangleTable) {
        items.push_back({QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom)), r.top});
    }
    // The media keys have no place in the picture: far right on the top row, out of the way.
    for (std::size_t key = 16; key <= 19; ++key) {
        items[key] = {QRect(2000 + static_cast<int>(key), 77, 1, 1), 77};
    }
    return items;
}

struct ArrowCase {
    int from;
    ArrowKey arrow;
    int to;
};

TEST(ItemNavigation, ArrowsFollowTheKeyboardPicturesRows) {
    const std::vector<NavigableItem> keys = pictureKeys();
    const ArrowCase cases[] = {
        {-1, ArrowKey::Down, 0},     // from nowhere: the first key
        {0, ArrowKey::Down, 20},     // Esc → ~
        {0, ArrowKey::Left, 0},      // nothing left of Esc
        {0, ArrowKey::Up, 0},        // nothing above the top row
        {14, ArrowKey::Right, 15},   // Scroll Lock → Pause
        {4, ArrowKey::Right, 5},     // F4 → F5 across the gap
        {41, ArrowKey::Down, 62},    // Tab → Caps Lock
        {89, ArrowKey::Right, 90},   // right Shift → Up arrow
        {60, ArrowKey::Down, 77},    // keypad 9 → 6 (under the tall +)
        {98, ArrowKey::Up, 83},      // Space → the key above its middle (B)
        {107, ArrowKey::Down, 107},  // nothing below the bottom row
        {50, ArrowKey::First, 0},   {50, ArrowKey::Last, 107},
    };
    for (const ArrowCase& c : cases) {
        EXPECT_EQ(itemAfterArrow(keys, c.from, c.arrow), c.to)
            << "from " << c.from << " arrow " << static_cast<int>(c.arrow);
    }
}

TEST(ItemNavigation, NoItemsLeadNowhere) {
    EXPECT_EQ(itemAfterArrow({}, 0, ArrowKey::Down), -1);
}

}  // namespace
}  // namespace tq260::testing
