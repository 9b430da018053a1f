#include "app/front_profile_notices.h"

#include "config/shared_messages.h"

namespace tq260 {

namespace {

// Control characters and direction marks written out: dropped, they would name another.
QString shown(const std::u16string& name) {
    return QString::fromStdString(shownText(name));
}

QString say(Language language, const char* english, const char* chinese) {
    return QString::fromUtf8(language == Language::Chinese ? chinese : english);
}

}  // namespace

QString heldSwitchNotice(Language language, const std::u16string& profile,
                         FrontProfileSwitcher::Hold hold) {
    using Hold = FrontProfileSwitcher::Hold;
    QString text;
    switch (hold) {
        case Hold::Dialog:
            text = say(language,
                       "\"%1\" waits: a dialog of the program is open. The switch follows once "
                       "it is closed.",
                       "“%1”等待中：程序的对话框已打开。关闭它后即会切换。");
            break;
        case Hold::Busy:
            text = say(language,
                       "\"%1\" waits: the keyboard is busy. The switch follows once it is done.",
                       "“%1”等待中：键盘正忙。完成后即会切换。");
            break;
        case Hold::NoKeyboard:
            text = say(language,
                       "\"%1\" waits: the keyboard cannot be reached. The switch follows once it "
                       "can.",
                       "“%1”等待中：无法连接键盘。可以连接后即会切换。");
            break;
        case Hold::UnsavedEdits:
            text = say(language,
                       "\"%1\" waits: the window holds changes that are not saved. Save or "
                       "cancel them, and the switch follows.",
                       "“%1”等待中：窗口中有尚未保存的更改。请保存或取消它们，之后即会切换。");
            break;
        case Hold::NotInProfile:
            text = say(language,
                       "\"%1\" waits: the keyboard's configuration is in no profile. Save it "
                       "into a profile, or use a profile, and the switch follows.",
                       "“%1”等待中：键盘的设置不在任何配置中。请将它保存到配置中，或使用一个"
                       "配置，之后即会切换。");
            break;
    }
    return text.arg(shown(profile));
}

QString unusableProfileNotice(Language language, const std::string& application,
                              const std::u16string& profile,
                              FrontProfileSwitcher::Unusable unusable) {
    QString text;
    switch (unusable) {
        case FrontProfileSwitcher::Unusable::Missing:
            text = say(language, "No switch for \"%1\": there is no profile \"%2\".",
                       "无法为“%1”切换：没有名为“%2”的配置。");
            break;
        case FrontProfileSwitcher::Unusable::Empty:
            text = say(language, "No switch for \"%1\": the profile \"%2\" is empty.",
                       "无法为“%1”切换：配置“%2”是空的。");
            break;
        case FrontProfileSwitcher::Unusable::Damaged:
            text = say(language,
                       "No switch for \"%1\": the profile \"%2\" is damaged. Use it from the "
                       "profile list to see what is wrong.",
                       "无法为“%1”切换：配置“%2”已损坏。在配置列表中使用它可查看问题所在。");
            break;
    }
    return text.arg(shown(QString::fromStdString(application).toStdU16String()), shown(profile));
}

}  // namespace tq260
