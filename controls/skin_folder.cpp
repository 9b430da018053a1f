#include "controls/skin_folder.h"

#include <QDir>

namespace tq260 {

namespace {

QString languageFolder(const QString& applicationFolder, Language language) {
    const QString folder = language == Language::Chinese ? QStringLiteral("png/chinese/")
                                                         : QStringLiteral("png/english/");
    return QDir(applicationFolder).filePath(folder);
}

}  // namespace

QString skinFolder(const QString& applicationFolder, SkinWindow window, Language language) {
    const QString base = languageFolder(applicationFolder, language);
    switch (window) {
        case SkinWindow::Main:
            return base;
        case SkinWindow::Profiles:
            return base + QStringLiteral("Config/");
        case SkinWindow::KeyAssignment:
            return base + QStringLiteral("Custom/");
        case SkinWindow::MacroManager:
            return base + QStringLiteral("MacroManagement/");
    }
    return base;
}

QString splashScreenPath(const QString& applicationFolder, Language language) {
    return languageFolder(applicationFolder, language) + QStringLiteral("SplashScreen.png");
}

}  // namespace tq260
