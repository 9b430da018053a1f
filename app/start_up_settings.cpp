#include "app/start_up_settings.h"

#include <QSettings>

#include "app/file_path.h"
#include "platform/atomic_file.h"

namespace tq260 {

InstalledVersion readInstalledVersion(const QString& path) {
    // A regular file only: a pipe of that name would hold the start up for ever.
    const auto bytes = readFileBytes(filePath(path), kVersionFileReadSize);
    if (!bytes) return {};
    return parseInstalledVersion(*bytes);
}

Language languageFromSetting(const std::optional<QString>& value) {
    return value && *value == QStringLiteral("chinese") ? Language::Chinese : Language::English;
}

namespace {

std::optional<QString> languageIn(const QSettings& settings) {
    // On Windows the settings are the registry key Software\TQ260 itself. Elsewhere the
    // file may hold the value at its top ([General]) or, written as the registry path
    // reads, in a section [Software\TQ260]; both are taken, the top first.
    for (const QString& key :
         {QStringLiteral("Language"), QStringLiteral("Software/TQ260/Language")}) {
        const QVariant value = settings.value(key);
        if (value.isValid()) return value.toString();
    }
    return std::nullopt;
}

}  // namespace

std::optional<QString> readLanguageSetting() {
    return languageIn(
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("TQ260")));
}

std::optional<QString> readLanguageSetting(const QString& file) {
    return languageIn(QSettings(file, QSettings::IniFormat));
}

}  // namespace tq260
