#include "controls/button_image_set.h"

#include <algorithm>

namespace tq260 {

namespace {

QString slotText(const ButtonNameSlot& slot) {
    const auto end = std::find(slot.begin(), slot.end(), u'\0');
    return QString::fromUtf16(slot.data(), static_cast<qsizetype>(end - slot.begin()));
}

}  // namespace

bool ButtonImageSet::hit(QPoint point) const {
    // QRect's right and bottom are inclusive like the tables' edges.
    return !rect.isNull() && rect.contains(point);
}

std::vector<ButtonImageSet> buildButtonImageSets(std::span<const ButtonRect> rects,
                                                 std::span<const ButtonNameSlot> names) {
    std::vector<ButtonImageSet> sets;
    for (std::size_t i = 0; i < rects.size() && 3 * i + 2 < names.size(); ++i) {
        const ButtonRect& r = rects[i];
        ButtonImageSet set;
        const bool empty = r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0;
        if (!empty) set.rect = QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom));
        set.normal = slotText(names[3 * i]);
        set.over = slotText(names[3 * i + 1]);
        set.leave = slotText(names[3 * i + 2]);
        sets.push_back(set);
    }
    return sets;
}

ButtonNameSlot nameSlot(std::u16string_view text) {
    ButtonNameSlot slot{};
    std::copy_n(text.begin(), std::min(text.size(), slot.size() - 1), slot.begin());
    return slot;
}

QRect shownRect(const ButtonImageSet& set, QSize imageSize) {
    if (imageSize.isEmpty() || set.rect.isNull()) return set.rect;
    return QRect(set.rect.topLeft(), imageSize);
}

}  // namespace tq260
