#pragma once

#include <QString>

#include "keys/language.h"
#include "profiles/profile_store.h"

namespace tq260 {

// What the window says of a damaged profile's file: the file, and what is wrong with it (its
// size, or each value the keyboard does not take).
QString profileDamageText(const ProfileStore::Outcome& outcome, Language language);

}  // namespace tq260
