#pragma once

#include <QString>

namespace art {

// The icon sizes the desktop's theme gets.
inline constexpr int kDesktopIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// The pictures built into the program, as "<resource number>.png" in the folder, and the
// program's icon in the desktop's sizes under icons/hicolor/.
void writeResourceArt(const QString& folder);

}  // namespace art
