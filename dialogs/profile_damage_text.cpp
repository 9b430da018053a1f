#include "dialogs/profile_damage_text.h"

#include <QDir>

namespace tq260 {

namespace {

QString say(Language language, const char* english, const char* chinese) {
    return QString::fromUtf8(language == Language::Chinese ? chinese : english);
}

// "Brightness: 60; the keyboard takes 0 to 50."
QString valueLine(Language language, const SettingValue& value) {
    const SettingRange range = settingRange(value.setting);
    QString name;
    switch (value.setting) {
        case Setting::ReportRate:
            return say(language,
                       "USB Report Rate: %1 is not one of the four rates (125, 250, 500 and "
                       "1000 Hz).",
                       "USB报告率：%1 不是四种报告率（125、250、500、1000 Hz）之一。")
                .arg(value.value);
        case Setting::ResponseTimeMs:
            return say(language, "Response Time: %1 ms; the keyboard takes %2 to %3 ms.",
                       "按键响应时间：%1 毫秒；键盘只接受 %2 到 %3 毫秒。")
                .arg(value.value)
                .arg(range.low)
                .arg(range.high);
        case Setting::Effect:
            return say(language, "Effect: %1 is not one of the effects.",
                       "效果：%1 不是任何一种效果。")
                .arg(value.value);
        case Setting::Brightness:
            name = say(language, "Brightness", "亮度");
            break;
        case Setting::Speed:
            name = say(language, "Speed", "速度");
            break;
        case Setting::Direction:
            name = say(language, "Direction", "方向");
            break;
        case Setting::GameMode:
            return say(language, "Game Mode: %1; the keyboard takes 0 (off) or 1 (on).",
                       "游戏模式：%1；键盘只接受 0（关闭）或 1（开启）。")
                .arg(value.value);
    }
    return say(language, "%1: %2; the keyboard takes %3 to %4.", "%1：%2；键盘只接受 %3 到 %4。")
        .arg(name)
        .arg(value.value)
        .arg(range.low)
        .arg(range.high);
}

}  // namespace

QString profileDamageText(const ProfileStore::Outcome& outcome, Language language) {
    QString text =
        say(language, "This profile's file is damaged, so nothing was loaded:\n%1",
            "此配置的文件已损坏，因此没有加载任何内容：\n%1")
            .arg(QDir::toNativeSeparators(QString::fromStdU16String(outcome.file.u16string())));
    const ProfileDamage& damage = outcome.damage;
    if (damage.size) {
        return text + u'\n' +
               say(language,
                   "It is %1 bytes; a profile's file is %2 bytes (%3 when it holds only the "
                   "settings).",
                   "它有 %1 字节；配置文件应为 %2 字节（只含设置时为 %3 字节）。")
                   .arg(QString::number(*damage.size), QString::number(kProfileFileBytes),
                        QString::number(kSettingsOnlyProfileBytes));
    }
    for (const SettingValue& value : damage.values) text += u'\n' + valueLine(language, value);
    return text;
}

}  // namespace tq260
