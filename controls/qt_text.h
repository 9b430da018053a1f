#pragma once

#include <QString>
#include <string_view>

namespace tq260 {

// The core keeps text as UTF-16; the windows show it as QString.
inline QString toQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace tq260
