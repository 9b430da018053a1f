#include "app/start_up_settings.h"

#include <QFile>
#include <QSettings>

namespace tq260 {

InstalledVersion readInstalledVersion(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.read(kVersionFileReadSize);
    return parseInstalledVersion(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                           static_cast<std::size_t>(bytes.size())));
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
