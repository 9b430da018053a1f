#pragma once

#include <QImage>

namespace art {

inline constexpr int kKeyboardWidth = 670;
inline constexpr int kKeyboardHeight = 262;

// The keyboard picture ("kb_BK.png") and its lit twin ("kb_hl.png"): every key on its
// rectangle with its legend, drawn over what lies under the picture in the main window.
QImage keyboardPicture(const QImage& under);
QImage highlightedKeyboardPicture(const QImage& under);

}  // namespace art
