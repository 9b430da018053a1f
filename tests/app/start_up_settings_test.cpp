#include "app/start_up_settings.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/lighting_effects.h"

namespace tq260 {
namespace {

QString writeVersionFile(const QTemporaryDir& folder, const QByteArray& bytes) {
    const QString path = folder.filePath("VER.bin");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

TEST(InstalledVersion, DigitsFiveAndSeven) {
    QTemporaryDir folder;
    EXPECT_EQ(readInstalledVersion(writeVersionFile(folder, "TQ2601.3 VER")),
              (InstalledVersion{1, 3}));
    EXPECT_EQ(readInstalledVersion(writeVersionFile(folder, "xxxxx2x0")), (InstalledVersion{2, 0}));
    EXPECT_EQ(readInstalledVersion(writeVersionFile(folder, "short")), (InstalledVersion{0, 0}));
    EXPECT_EQ(readInstalledVersion(folder.filePath("absent.bin")), (InstalledVersion{0, 0}));
}

TEST(LanguageSetting, OnlyExactlyLowerCaseChineseChoosesChinese) {
    EXPECT_EQ(languageFromSetting(QStringLiteral("chinese")), Language::Chinese);
    EXPECT_EQ(languageFromSetting(QStringLiteral("Chinese")), Language::English);
    EXPECT_EQ(languageFromSetting(QStringLiteral("chinese ")), Language::English);
    EXPECT_EQ(languageFromSetting(QStringLiteral("english")), Language::English);
    EXPECT_EQ(languageFromSetting(std::nullopt), Language::English);
}

TEST(LanguageSetting, ReadAtTheTopOrUnderTheRegistrysPath) {
    struct Row {
        const char* file;
        std::optional<QString> value;
    };
    for (const Row& row : {Row{"[General]\nLanguage=chinese\n", QStringLiteral("chinese")},
                           Row{"[Software\\TQ260]\nLanguage=chinese\n", QStringLiteral("chinese")},
                           Row{"[Software]\nTQ260\\Language=chinese\n", QStringLiteral("chinese")},
                           Row{"[General]\nLanguage=english\n[Software\\TQ260]\nLanguage=chinese\n",
                               QStringLiteral("english")},
                           Row{"[Other]\nLanguage=chinese\n", std::nullopt}}) {
        SCOPED_TRACE(row.file);
        QTemporaryDir folder;
        const QString path = folder.filePath("TQ260.conf");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(row.file);
        file.close();
        EXPECT_EQ(readLanguageSetting(path), row.value);
    }
}

TEST(FirmwareCheck, NewerInstalledFirmwareAsksForItsUpdater) {
    EXPECT_EQ(firmwareUpdateFor({2, 0}, 1, 9), FirmwareUpdate::Flasher);
    EXPECT_EQ(firmwareUpdateFor({1, 5}, 1, 3), FirmwareUpdate::SecondUpdater);
    EXPECT_EQ(firmwareUpdateFor({1, 3}, 1, 5), FirmwareUpdate::None);
    EXPECT_EQ(firmwareUpdateFor({1, 3}, 1, 3), FirmwareUpdate::None);
    EXPECT_EQ(firmwareUpdateFor({0, 0}, 0, 0), FirmwareUpdate::None);  // no VER.bin, no keyboard
}

TEST(LightingTexts, EffectNamesAndResponseTimes) {
    EXPECT_EQ(lightingEffectName(std::uint8_t{6}, Language::English), QStringLiteral("Wave"));
    EXPECT_EQ(lightingEffectName(std::uint8_t{53}, Language::Chinese),
              QString::fromUtf8("录制图片3"));
    EXPECT_FALSE(lightingEffectName(std::uint8_t{2}, Language::English));
    EXPECT_EQ(responseTimeBarText(7), QStringLiteral("14 ms"));
    EXPECT_EQ(responseTimeBarText(10), QStringLiteral("20 ms"));
    EXPECT_EQ(responseTimeRowText(0), QStringLiteral("2ms"));
    EXPECT_EQ(responseTimeRowText(9), QStringLiteral("20ms"));
}

}  // namespace
}  // namespace tq260
