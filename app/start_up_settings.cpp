#include "app/start_up_settings.h"

#include <QFile>
#include <QSettings>

namespace tq260 {

InstalledVersion readInstalledVersion(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.read(12);
    if (bytes.size() < 8) return {};
    return {bytes[5] - '0', bytes[7] - '0'};
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

FirmwareUpdate firmwareUpdateFor(InstalledVersion installed, int firmwareMajor, int firmwareMinor) {
    if (installed.major > firmwareMajor) return FirmwareUpdate::Flasher;
    if (installed.major == firmwareMajor && installed.minor > firmwareMinor) {
        return FirmwareUpdate::SecondUpdater;
    }
    return FirmwareUpdate::None;
}

}  // namespace tq260
