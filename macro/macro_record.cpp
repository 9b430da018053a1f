#include "macro/macro_record.h"

#include <algorithm>

namespace tq260 {

std::u16string_view MacroRecord::nameText() const {
    const auto end = std::find(name.begin(), name.end(), u'\0');
    return {name.data(), static_cast<std::size_t>(end - name.begin())};
}

void MacroRecord::setName(std::u16string_view text) {
    name.fill(0);
    const std::size_t length = std::min(text.size(), kMacroNameCapacity - 1);
    std::copy_n(text.begin(), length, name.begin());
}

}  // namespace tq260
