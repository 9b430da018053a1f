#include "controls/item_navigation.h"

#include <cstdlib>
#include <limits>

namespace tq260 {

namespace {

int middle(const QRect& rect) {
    return rect.left() + rect.width() / 2;
}

// The item on the row next to current's (above or below) whose middle lies nearest.
int nearestOnNextRow(std::span<const NavigableItem> items, int current, int step) {
    const NavigableItem& from = items[static_cast<std::size_t>(current)];
    int nextRow = 0;
    bool found = false;
    for (const NavigableItem& item : items) {
        const bool beyond = step > 0 ? item.row > from.row : item.row < from.row;
        if (!beyond) continue;
        if (!found || (step > 0 ? item.row < nextRow : item.row > nextRow)) nextRow = item.row;
        found = true;
    }
    if (!found) return current;
    int best = current;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].row != nextRow) continue;
        const int distance = std::abs(middle(items[i].rect) - middle(from.rect));
        if (distance < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    return best;
}

// The item beside current on its row, by position.
int besideOnRow(std::span<const NavigableItem> items, int current, int step) {
    const NavigableItem& from = items[static_cast<std::size_t>(current)];
    int best = current;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const NavigableItem& item = items[i];
        if (item.row != from.row || static_cast<int>(i) == current) continue;
        const int x = item.rect.left();
        const bool beyond = step > 0 ? x > from.rect.left() : x < from.rect.left();
        if (!beyond) continue;
        const int bestX = items[static_cast<std::size_t>(best)].rect.left();
        if (best == current || (step > 0 ? x < bestX : x > bestX)) best = static_cast<int>(i);
    }
    return best;
}

}  // namespace

int itemAfterArrow(std::span<const NavigableItem> items, int current, ArrowKey arrow) {
    if (items.empty()) return -1;
    const int last = static_cast<int>(items.size()) - 1;
    if (arrow == ArrowKey::First) return 0;
    if (arrow == ArrowKey::Last) return last;
    if (current < 0 || current > last) return 0;
    switch (arrow) {
        case ArrowKey::Left:
            return besideOnRow(items, current, -1);
        case ArrowKey::Right:
            return besideOnRow(items, current, 1);
        case ArrowKey::Up:
            return nearestOnNextRow(items, current, -1);
        case ArrowKey::Down:
            return nearestOnNextRow(items, current, 1);
        default:
            return current;
    }
}

}  // namespace tq260
