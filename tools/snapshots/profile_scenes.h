#pragma once

#include <QString>

#include "keys/language.h"

namespace tq260::snapshots {

// The profile dialog empty, with six profiles, renaming one and with its menu open.
void writeProfiles(const QString& app, Language language, const QString& out,
                   const QString& suffix);

// The rules that give the application in front its profile, with three rules.
void writeRulesWindow(Language language, const QString& out, const QString& suffix);

}  // namespace tq260::snapshots
