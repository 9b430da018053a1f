#pragma once

#include <QString>

namespace art {

// The pictures built into the program, as "<resource number>.png" in the folder.
void writeResourceArt(const QString& folder);

}  // namespace art
