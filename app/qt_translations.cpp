#include "app/qt_translations.h"

#include <QLibraryInfo>
#include <QLocale>

namespace tq260 {

std::unique_ptr<QTranslator> loadQtTranslations(Language language) {
    if (language != Language::Chinese) return nullptr;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return nullptr;
    }
    return translator;
}

}  // namespace tq260
