#pragma once

#include <QString>

namespace art {

// The images of the key assignment dialogs ("Custom/"), the macro manager
// ("MacroManagement/") and the profile dialog ("Config/") under one language's folder.
void writeKeyAssignmentArt(const QString& folder, bool chinese, qreal scale);
void writeMacroManagerArt(const QString& folder, bool chinese, qreal scale);
void writeProfileArt(const QString& folder, bool chinese, qreal scale);

}  // namespace art
