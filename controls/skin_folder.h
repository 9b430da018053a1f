#pragma once

#include <QString>

#include "keys/language.h"

namespace tq260 {

// The windows that have skin folders of their own.
enum class SkinWindow { Main, Profiles, KeyAssignment, MacroManager };

// The folder a window's images come from: the application folder, "png/", the language's
// folder and the window's subfolder; ends with a separator.
QString skinFolder(const QString& applicationFolder, SkinWindow window, Language language);

// The splash picture of the language.
QString splashScreenPath(const QString& applicationFolder, Language language);

}  // namespace tq260
