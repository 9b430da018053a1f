#pragma once

#include <QString>
#include <string>

#include "keys/language.h"
#include "profiles/front_profile_switcher.h"

namespace tq260 {

// What the program says when a switch by the application in front waits, and why.
QString heldSwitchNotice(Language language, const std::u16string& profile,
                         FrontProfileSwitcher::Hold hold);

// What it says when the rule for the application names a profile that cannot be used.
QString unusableProfileNotice(Language language, const std::string& application,
                              const std::u16string& profile,
                              FrontProfileSwitcher::Unusable unusable);

}  // namespace tq260
