// Every message box of the main window, its text and its caption, in both languages: a
// text given in the wrong language, or the two swapped, shows here.
#include <gmock/gmock.h>

#include <QDir>
#include <QFile>
#include <functional>

#include "app/instance_messages.h"
#include "keys/key_picture.h"
#include "support/language_cases.h"
#include "support/normal_user.h"
#include "window_fixture.h"

namespace tq260 {
namespace {

using testing::MainWindowTest;

constexpr const char16_t* kEnglishTitle = u"TQ260 104vez VANTOR";
constexpr const char16_t* kChineseTitle = u"TQ260 104vez星岚版";

class MessageTexts;

struct MessageCase {
    const char* name;
    // Brings the box up; returns the path the text names, if any (its %1).
    std::function<QString(MessageTexts&)> show;
    const char16_t* english;
    const char16_t* englishCaption;
    const char16_t* chinese;
    const char16_t* chineseCaption;
    // A failure is told with the warning icon; a question or news is not.
    bool failure = true;
};

// A desktop that refuses to report device arrivals and removals.
class RefusingWatcher final : public HotPlugWatcher {
  public:
    bool start(Listener) override { return false; }
    void stop() override {}
};

void PrintTo(const MessageCase& c, std::ostream* out) {
    *out << c.name;
}

class MessageTexts : public MainWindowTest,
                     public ::testing::WithParamInterface<std::tuple<MessageCase, Language>> {
  public:
    // The cases reach the fixture's members through these.
    using MainWindowTest::click;
    using MainWindowTest::folder;
    using MainWindowTest::keyboard;
    using MainWindowTest::messages;
    using MainWindowTest::programs;
    using MainWindowTest::services;
    using MainWindowTest::shell;
    using MainWindowTest::start;
    using MainWindowTest::state;
    using MainWindowTest::window;

    // The window started on a keyboard that does not answer, once it has said so.
    void startOnASilentKeyboard() {
        keyboard.setSilent(true);
        window = std::make_unique<CGameKeyboardDlg>(state, services);
        window->initialise();
        window->show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !messages.shown.empty(); }, 20000));
    }

    RefusingWatcher refusing;
};

QString nativePath(const MessageTexts& t, const char* file) {
    return QDir::toNativeSeparators(t.folder.filePath(QString::fromLatin1(file)));
}

// A file put in the program's folder as another program would.
void writeInFolder(const MessageTexts& t, const char* file, const QByteArray& bytes) {
    QFile out(t.folder.filePath(QString::fromLatin1(file)));
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
}

void clickSave(MessageTexts& t) {
    t.click(950, 615);
}

// F1 opens a file, and the keyboard's F1 arrives while the shell answers with result;
// returns the file's path.
QString pressF1Launching(MessageTexts& t, ShellLauncher::Result result) {
    t.start();
    KeyAssignment& f1 = (*t.state.assignments.table)[1];
    f1.type = static_cast<std::uint8_t>(AssignmentType::LaunchExe);
    const std::u16string path = u"C:\\Games\\run.exe";
    std::copy(path.begin(), path.end(), f1.launchPath.begin());
    t.shell.result = result;
    handleInstanceMessage(*t.window, QStringLiteral("launch-key 112"));
    return QString::fromStdU16String(path);
}

std::vector<MessageCase> cases() {
    return {
        {"FirmwareQuestion",
         [](MessageTexts& t) {
             writeInFolder(t, "VER.bin", "xxxxx2x0");
             t.keyboard.editMemory([](KeyboardMemory& m) { m.firmware = {1, 9}; });
             t.messages.answers = {false};
             t.start();
             return QString();
         },
         u"Update new firmware？", u"Firmware Update", u"更新到新的固件吗？", u"固件更新", false},
        {"UpdaterMissing",
         [](MessageTexts& t) {
             t.start();
             t.programs.startsPrograms = false;
             t.click(944, 12);
             t.click(850, 22 + 25 + 5);
             return nativePath(t, "Updraft");
         },
         u"The firmware updater could not be started. It is not installed here:\n%1", kEnglishTitle,
         u"无法启动固件更新程序。此处未安装：\n%1", kChineseTitle},
        {"About",
         [](MessageTexts& t) {
             t.start();
             t.click(944, 12);
             t.click(850, 22 + 50 + 5);
             return QString();
         },
         u"TQ260 104vez VANTOR\nVersion 1.0", u"About", u"TQ260 104vez星岚版\n版本 1.0", u"关于",
         false},
        {"SiteNotOpened",
         [](MessageTexts& t) {
             t.start();
             t.programs.opensPages = false;
             t.click(944, 12);
             t.click(850, 30);
             return QStringLiteral("http://www.tq260-gaming.com");
         },
         u"The maker's web site could not be opened. Its address is:\n%1", kEnglishTitle,
         u"无法打开厂商网站。网址为：\n%1", kChineseTitle},
        {"FactoryResetQuestion",
         [](MessageTexts& t) {
             t.start();
             t.messages.answers = {false};
             t.click(830, 615);
             return QString();
         },
         u"Restore the factory settings?", u"Factory Setting", u"确认恢复至出厂设置吗？",
         u"出厂设置", false},
        {"FileNotSaved",
         [](MessageTexts& t) {
             EXPECT_TRUE(QFile::link(t.folder.filePath("gone/keymap.bin"),
                                     t.folder.filePath("keymap.bin")));
             t.start();
             return nativePath(t, "keymap.bin");
         },
         u"Changes could not be saved to this file:\n%1", kEnglishTitle,
         u"无法将更改保存到此文件：\n%1", kChineseTitle},
        {"FileReadOnly",
         [](MessageTexts& t) {
             writeInFolder(t, "keymap.bin", QByteArray(199272, '\0'));
             EXPECT_TRUE(
                 QFile::setPermissions(t.folder.filePath("keymap.bin"), QFileDevice::ReadOwner));
             t.start();  // what was read is stored at once
             return nativePath(t, "keymap.bin");
         },
         u"This file is read-only, so changes are not saved to it:\n%1", kEnglishTitle,
         u"此文件为只读，更改不会保存到其中：\n%1", kChineseTitle},
        {"FileShort",
         [](MessageTexts& t) {
             writeInFolder(t, "keymap.bin", QByteArray(10, '\1'));
             t.start();
             return nativePath(t, "keymap.bin");
         },
         u"This file was shorter than it should be. What it held was read; the damaged file is "
         u"kept as keymap.bin.damaged, and a new one is saved in its place:\n%1",
         kEnglishTitle,
         u"此文件比应有的短。已读取其中的内容；损坏的文件保留为 "
         u"keymap.bin.damaged，并在原处保存新文件：\n%1",
         kChineseTitle},
        {"FileChangedElsewhere",
         [](MessageTexts& t) {
             t.start();
             QFile::remove(t.folder.filePath("keymap.bin"));
             writeInFolder(t, "keymap.bin", QByteArray(199272, '\0'));
             clickSave(t);
             return nativePath(t, "keymap.bin");
         },
         u"This file was changed by another program. It is left as it is, and read again when "
         u"the keyboard is next connected; changes made here until then are not saved into "
         u"it:\n%1",
         kEnglishTitle,
         u"此文件已被其他程序更改。程序不会改动它，并会在下次连接键盘时重新读取；"
         u"在此之前所做的更改不会保存到其中：\n%1",
         kChineseTitle},
        {"LaunchFileGone",
         [](MessageTexts& t) { return pressF1Launching(t, ShellLauncher::Result::NotFound); },
         u"The file or folder this key opens no longer exists:\n%1", kEnglishTitle,
         u"此按键打开的文件或文件夹已不存在：\n%1", kChineseTitle},
        {"LaunchFileNotOpened",
         [](MessageTexts& t) { return pressF1Launching(t, ShellLauncher::Result::Failed); },
         u"The file or folder this key opens could not be opened:\n%1", kEnglishTitle,
         u"无法打开此按键的文件或文件夹：\n%1", kChineseTitle},
        {"SaveWithoutKeyboard",
         [](MessageTexts& t) {
             t.keyboard.unplug();
             t.start();
             clickSave(t);
             return QString();
         },
         u"No keyboard is connected, so nothing was saved to it.\nPlug the keyboard in: its "
         u"settings are read when it arrives.",
         kEnglishTitle, u"未连接键盘，因此没有保存到键盘。\n请插入键盘：键盘连接后会读取其设置。",
         kChineseTitle},
        {"ReadNotAnswered",
         [](MessageTexts& t) {
             t.startOnASilentKeyboard();
             return QString();
         },
         u"The keyboard is not answering.\nIts settings could not be read. Unplug the keyboard "
         u"and plug it in again.",
         kEnglishTitle, u"键盘没有响应。\n无法读取其设置。请拔下键盘后重新插入。", kChineseTitle},
        {"SaveOfARecordNeverRead",
         [](MessageTexts& t) {
             t.startOnASilentKeyboard();
             t.keyboard.setSilent(false);
             clickSave(t);
             return QString();
         },
         u"The keyboard's settings have not been read, so nothing was saved to it.\nUnplug the "
         u"keyboard and plug it in again.",
         kEnglishTitle, u"尚未读取键盘的设置，因此没有保存到键盘。\n请拔下键盘后重新插入。",
         kChineseTitle},
        {"SaveNotAnswered",
         [](MessageTexts& t) {
             t.start();
             t.keyboard.setSilent(true);
             clickSave(t);
             return QString();
         },
         u"The keyboard is not answering.\nNot everything was saved to it. What was not sent "
         u"stays changed, and the next Save sends it.",
         kEnglishTitle,
         u"键盘没有响应。\n部分设置未能保存到键盘。未发送的更改会保留，下次保存时发送。",
         kChineseTitle},
        {"FactoryResetNotAnswered",
         [](MessageTexts& t) {
             t.start();
             t.keyboard.setSilent(true);
             t.messages.answers = {true};
             t.click(830, 615);
             return QString();
         },
         u"The keyboard is not answering.\nThe factory settings may not have been restored. "
         u"Unplug the keyboard, plug it in again and try once more.",
         kEnglishTitle, u"键盘没有响应。\n出厂设置可能未能恢复。请拔下键盘后重新插入，再试一次。",
         kChineseTitle},
        // The one text the window shows in English whatever the language.
        {"NoDeviceNotifications",
         [](MessageTexts& t) {
             t.services.watcher = &t.refusing;
             t.start();
             return QString();
         },
         u"Cannot register for Wdm2 class device notification", kEnglishTitle,
         u"Cannot register for Wdm2 class device notification", kEnglishTitle},
        {"SaveToAKeyboardGone",
         [](MessageTexts& t) {
             t.start();
             t.keyboard.unplug();  // before the window hears of it
             clickSave(t);
             return QString();
         },
         u"The keyboard cannot be reached.\nNot everything was saved to it. What was not sent "
         u"stays changed, and the next Save sends it.",
         kEnglishTitle,
         u"无法连接到键盘。\n部分设置未能保存到键盘。未发送的更改会保留，下次保存时发送。",
         kChineseTitle},
    };
}

TEST_P(MessageTexts, TextAndCaptionInTheInterfacesLanguage) {
    const auto& [c, language] = GetParam();
    state.language = language;
    const QString path = c.show(*this);
    ASSERT_FALSE(messages.shown.empty());
    const bool chinese = language == Language::Chinese;
    QString text = QString::fromStdU16String(chinese ? c.chinese : c.english);
    if (!path.isEmpty()) text = text.arg(path);
    const std::u16string expected =
        text.toStdU16String() + u" | " + (chinese ? c.chineseCaption : c.englishCaption);
    EXPECT_EQ(messages.shown.back(), expected);
    EXPECT_EQ(!messages.warnings.empty() && messages.warnings.back() == expected, c.failure);
}

INSTANTIATE_TEST_SUITE_P(MainWindow, MessageTexts,
                         ::testing::Combine(::testing::ValuesIn(cases()),
                                            ::testing::Values(Language::English,
                                                              Language::Chinese)),
                         testing::CaseInLanguage());

// Root reads a file of mode 000, so this case runs only as a normal user (the test script
// runs it again as one).
class UnreadableFileText : public MainWindowTest, public ::testing::WithParamInterface<Language> {};

TEST_P(UnreadableFileText, SaidInTheInterfacesLanguageAsANormalUser) {
    if (!testing::permissionsStopThisProcess()) GTEST_SKIP() << "root reads a file of mode 000";
    QFile file(folder.filePath("keymap.bin"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(199272, '\0'));
    file.close();
    ASSERT_TRUE(file.setPermissions(QFileDevice::Permissions()));
    state.language = GetParam();
    start();
    ASSERT_TRUE(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    const std::u16string path =
        QDir::toNativeSeparators(folder.filePath("keymap.bin")).toStdU16String();
    ASSERT_FALSE(messages.shown.empty());
    if (GetParam() == Language::Chinese) {
        EXPECT_EQ(messages.shown.front(),
                  u"此文件存在但无法读取。程序不会改动它，在重新启动之前也不会向其中保存：\n" +
                      path + u" | " + kChineseTitle);
    } else {
        EXPECT_EQ(messages.shown.front(),
                  u"This file exists but cannot be read. It is left as it is, and nothing is "
                  u"saved into it until the program starts again:\n" +
                      path + u" | " + kEnglishTitle);
    }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, UnreadableFileText,
                         ::testing::Values(Language::English, Language::Chinese),
                         testing::InLanguage());

}  // namespace
}  // namespace tq260
