#pragma once

#include <QTranslator>
#include <memory>

#include "keys/language.h"

namespace tq260 {

// Qt's own texts (the buttons of message boxes and choosers) in the interface's language:
// Debian's Qt translations for Chinese; nothing for English. Null when none is to be had.
std::unique_ptr<QTranslator> loadQtTranslations(Language language);

}  // namespace tq260
