#include "app/start_with_desktop_item.h"

#include "platform/autostart_entry.h"

namespace tq260 {

QAction* addStartWithDesktopItem(QMenu& menu, Language language, MessageBoxes& messages,
                                 std::filesystem::path entry, std::filesystem::path program) {
    const bool chinese = language == Language::Chinese;
    QAction* item = menu.addAction(chinese ? QStringLiteral("随桌面启动")
                                           : QStringLiteral("Start with the desktop"));
    item->setCheckable(true);
    item->setChecked(startsWithDesktop(entry));
    QObject::connect(
        item, &QAction::toggled, item, [item, chinese, &messages, entry, program](bool on) {
            if (setStartWithDesktop(entry, program, on)) return;
            const QSignalBlocker quiet(item);
            item->setChecked(startsWithDesktop(entry));
            const QString path = QString::fromStdU16String(entry.u16string());
            messages.warn(
                (chinese ? QStringLiteral("无法更改此文件，程序登录时是否启动保持不变：\n%1")
                         : QStringLiteral("This file could not be changed, so whether "
                                          "the program starts at login stays as it "
                                          "was:\n%1"))
                    .arg(path)
                    .toStdU16String(),
                chinese ? u"TQ260 104vez星岚版" : u"TQ260 104vez VANTOR");
        });
    return item;
}

}  // namespace tq260
