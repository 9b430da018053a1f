#pragma once

#include <QPoint>
#include <string_view>

#include "keys/language.h"

namespace tq260 {

// A text of a dialog in both languages.
struct DialogText {
    std::u16string_view english;
    std::u16string_view chinese;
    std::u16string_view in(Language language) const {
        return language == Language::Chinese ? chinese : english;
    }
};

// Where a label goes in each language.
struct DialogLabel {
    DialogText text;
    QPoint english;
    QPoint chinese;
    QPoint at(Language language) const { return language == Language::Chinese ? chinese : english; }
};

// The program's name, the caption of its general messages.
inline constexpr DialogText kProgramName{u"TQ260 104vez VANTOR", u"TQ260 104vez星岚版"};
// Opens the rules that give the application in front its profile (the profile dialog's menu,
// the tray's).
inline constexpr DialogText kUseForApplications{u"Use for applications…", u"用于应用程序…"};

}  // namespace tq260
