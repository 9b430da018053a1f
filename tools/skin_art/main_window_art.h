#pragma once

#include <QString>

namespace art {

// Every image of the main window's skin folder, and the splash picture, for one language.
void writeMainWindowArt(const QString& folder, bool chinese, qreal scale);

}  // namespace art
