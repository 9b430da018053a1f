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

std::optional<QString> readLanguageSetting() {
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                             QStringLiteral("TQ260"));
    const QVariant value = settings.value(QStringLiteral("Language"));
    if (!value.isValid()) return std::nullopt;
    return value.toString();
}

}  // namespace tq260
