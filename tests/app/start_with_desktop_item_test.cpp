#include "app/start_with_desktop_item.h"

#include <gmock/gmock.h>

#include <QTemporaryDir>

#include "platform/autostart_entry.h"
#include "support/scripted_messages.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using testing::ScriptedMessages;

class StartWithDesktopItem : public ::testing::Test {
  protected:
    std::filesystem::path entry() const {
        return std::filesystem::path(folder.path().toStdString()) /
               "autostart/org.tq260.vantor.desktop";
    }
    QTemporaryDir folder;
    ScriptedMessages messages;
    QMenu menu;
    const std::filesystem::path program = "/usr/lib/tq260/TQ260 104vez VANTOR";
};

TEST_F(StartWithDesktopItem, TickingWritesTheEntryAndUntickingRemovesIt) {
    QAction* item = addStartWithDesktopItem(menu, Language::English, messages, entry(), program);
    EXPECT_EQ(item->text(), "Start with the desktop");
    EXPECT_TRUE(item->isCheckable());
    EXPECT_FALSE(item->isChecked());
    item->trigger();
    EXPECT_TRUE(item->isChecked());
    EXPECT_TRUE(startsWithDesktop(entry()));
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(startsWithDesktop(entry()));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StartWithDesktopItem, ShowsAnEntryMadeEarlierTickedInChinese) {
    ASSERT_TRUE(setStartWithDesktop(entry(), program, true));
    QAction* item = addStartWithDesktopItem(menu, Language::Chinese, messages, entry(), program);
    EXPECT_EQ(item->text(), "随桌面启动");
    EXPECT_TRUE(item->isChecked());
}

TEST_F(StartWithDesktopItem, AnEntryThatCannotBeWrittenIsSaidAndStaysUnticked) {
    // A file where the autostart folder should be: no one, root included, can make it.
    QFile blocker(folder.filePath("autostart"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    for (const Language language : {Language::English, Language::Chinese}) {
        messages.shown.clear();
        QAction* item = addStartWithDesktopItem(menu, language, messages, entry(), program);
        item->trigger();
        EXPECT_FALSE(item->isChecked());
        EXPECT_THAT(messages.shown,
                    ElementsAre(language == Language::Chinese
                                    ? u"无法更改此文件，程序登录时是否启动保持不变：\n" +
                                          entry().u16string() + u" | TQ260 104vez星岚版"
                                    : u"This file could not be changed, so whether the program "
                                      u"starts at login stays as it was:\n" +
                                          entry().u16string() + u" | TQ260 104vez VANTOR"));
    }
}

}  // namespace
}  // namespace tq260
