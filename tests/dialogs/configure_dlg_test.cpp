// The profile dialog on the program's skins, in a scratch application folder, with
// scripted message boxes and choosers.
#include "dialogs/configure_dlg.h"

#include <gmock/gmock.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "config/profile_rules_file.h"
#include "dialogs/profile_dialog_layout.h"
#include "keys/factory_key_map.h"
#include "keys/keymap_file.h"
#include "support/language_cases.h"
#include "support/normal_user.h"
#include "support/region_edges.h"
#include "support/scripted_messages.h"
#include "support/scripted_pickers.h"
#include "support/temporary_folder.h"

namespace tq260::testing {
namespace {

using ::testing::ElementsAre;

const QRect kMainWindow(200, 100, 1000, 640);

class ConfigureDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(app.isValid());
        ASSERT_TRUE(QFile::link(QStringLiteral(TQ260_TEST_SKINS), app.filePath("png")));
        settings.keyTable = FactoryKeyMap;
        settings.lighting.brightness = 30;
        settings.responseTime = 1;
    }
    CConfigureDlg& open(Language language = Language::English) {
        dialog =
            std::make_unique<CConfigureDlg>(ProfileDialogContext{app.path() + "/",
                                                                 app.path() + "/",
                                                                 language,
                                                                 {settings, *assignments, lock},
                                                                 messages,
                                                                 pickers,
                                                                 store});
        dialog->prepare(kMainWindow);
        dialog->show();
        return *dialog;
    }
    void click(QPoint at) { QTest::mouseClick(dialog.get(), Qt::LeftButton, {}, at); }
    QStringList rows() const {
        QStringList texts;
        for (int i = 0; i < dialog->list()->count(); ++i) texts << dialog->list()->item(i)->text();
        return texts;
    }
    void select(int row) { dialog->list()->setCurrentRow(row); }
    std::filesystem::path profileFolder() const {
        return std::filesystem::path(app.filePath("Configure").toStdString());
    }
    std::filesystem::path profile(const std::string& name) const {
        return profileFolder() / (name + ".bin");
    }
    // Opens the in-place edit of the row and types the name into it, without committing.
    void typeName(int row, const QString& name) {
        const QPoint centre = dialog->list()->rowRect(row).center();
        QTest::mouseClick(dialog->list()->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(dialog->list()->viewport(), Qt::LeftButton, {}, centre);
        ASSERT_NE(dialog->list()->editor(), nullptr);
        dialog->list()->editor()->selectAll();
        QTest::keyClicks(dialog->list()->editor(), name);
    }
    void rename(int row, const QString& name) {
        typeName(row, name);
        if (dialog->list()->editor() == nullptr) return;
        QTest::keyClick(dialog->list()->editor(), Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    void makeProfiles(int count) {
        for (int i = 0; i < count; ++i) click(QPoint(40, 600));
    }

    QTemporaryDir app;
    DeviceSettings settings;
    std::unique_ptr<AssignmentTable> assignments = std::make_unique<AssignmentTable>();
    RecordMutex lock;
    ScriptedMessages messages;
    ScriptedPickers pickers;
    ProfileStore store;
    std::unique_ptr<CConfigureDlg> dialog;
};

TEST_F(ConfigureDlgTest, OpensOverTheMainWindowAndMakesItsFolder) {
    open();
    EXPECT_EQ(dialog->size(), QSize(264, 632));
    EXPECT_EQ(dialog->pos(), QPoint(199, 99));
    EXPECT_EQ(dialog->list()->geometry(), QRect(1, 34, 260, 540));
    EXPECT_EQ(dialog->list()->listMode, CTransparentListBox::RenameRows);
    EXPECT_TRUE(std::filesystem::is_directory(profileFolder()));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ConfigureDlgTest, TheCloseAreaStartsAtRow11AndEnterNeverCloses) {
    open();
    click(QPoint(248, 10));
    EXPECT_TRUE(dialog->isVisible());
    QTest::keyClick(dialog.get(), Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
    click(QPoint(262, 24));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    open();
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(ConfigureDlgTest, NewUpToSixThenSaysSo) {
    open(Language::Chinese);
    makeProfiles(7);
    EXPECT_EQ(rows(), (QStringList{"Profile_1", "Profile_2", "Profile_3", "Profile_4", "Profile_5",
                                   "Profile_6"}));
    EXPECT_THAT(messages.shown, ElementsAre(u"最多可以存储6个配置\n | 配置管理"));
    EXPECT_EQ(std::filesystem::file_size(profile("Profile_6")), 2412U);
    // Copy with six does nothing and says nothing.
    select(0);
    dialog->runCommand(kProfileCopyCommand);
    EXPECT_EQ(messages.shown.size(), 1U);
    EXPECT_EQ(rows().size(), 6);
}

TEST_F(ConfigureDlgTest, TheMenuOpensOnTheListOnlyInBothLanguages) {
    for (const Language language : {Language::English, Language::Chinese}) {
        open(language);
        QStringList labels;
        const auto visible = [&] {
            labels.clear();
            for (const QAction* action : dialog->menu()->actions()) {
                if (action->isVisible()) labels << action->text();
            }
            return labels;
        };
        EXPECT_EQ(visible(),
                  language == Language::English
                      ? QStringList({"Use", "New", "Copy", "Save", "Export…", "Load", "Delete"})
                      : QStringList({"使用", "新建", "复制", "保存", "导出…", "加载", "删除"}));
        // With the rules to open, their item follows a separator.
        int opened = 0;
        dialog->setRulesOpener([&opened] { ++opened; });
        EXPECT_EQ(visible().size(), 9);
        EXPECT_EQ(labels.back(),
                  language == Language::English ? "Use for applications…" : "用于应用程序…");
        // Run after the choosing event is answered, not inside it.
        dialog->menu()->actions().back()->trigger();
        EXPECT_EQ(opened, 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return opened == 1; }));
        // From the keyboard: the Menu key and Shift+F10 open it too.
        for (const auto& [key, modifiers] :
             {std::pair{Qt::Key_Menu, Qt::NoModifier}, std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
            QTest::keyClick(dialog->list(), key, modifiers);
            EXPECT_TRUE(dialog->menu()->isVisible());
            dialog->menu()->hide();
        }
    }
    bool shown = false;
    QTimer::singleShot(0, [&] {
        QWidget* popup = QApplication::activePopupWidget();
        shown = popup == dialog->menu();
        if (popup == nullptr) return;
        dialog->menu()->actions().at(1)->trigger();  // New
        popup->close();
    });
    QTest::mouseClick(dialog->list()->viewport(), Qt::RightButton, {}, QPoint(50, 50));
    EXPECT_TRUE(shown);
    EXPECT_TRUE(QTest::qWaitFor([&] { return rows() == QStringList{"Profile_1"}; }));
    // Outside the list: no menu.
    QTest::mouseClick(dialog.get(), Qt::RightButton, {}, QPoint(130, 600));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(ConfigureDlgTest, OperationsWithoutASelectionSaySo) {
    open();
    makeProfiles(2);
    dialog->list()->clearSelection();
    for (const int command : {kProfileCopyCommand, kProfileSaveCommand, kProfileLoadCommand,
                              kProfileDeleteCommand, kProfileUseCommand}) {
        dialog->runCommand(command);
    }
    // Enter without a selection is nothing to answer.
    QTest::keyClick(dialog->list(), Qt::Key_Return);
    EXPECT_THAT(messages.shown, ElementsAre(u"Please select a profile to copy\n | Profile",
                                            u"Please select a profile to Save\n | Profile",
                                            u"Please select a profile to Open\n | Profile",
                                            u"Please select a profile to delete\n | Profile",
                                            u"Please select a profile to use\n | Profile"));
    EXPECT_TRUE(pickers.requests.empty());
}

// Use and Enter hand the selected profile to the window, which marks it once the keyboard
// has it; a double click stays a rename.
TEST_F(ConfigureDlgTest, UseAndEnterHandTheSelectedProfileOnAndTheActiveOneIsMarked) {
    open();
    makeProfiles(2);
    std::vector<std::u16string> used;
    dialog->setUser([&](const std::u16string& name) {
        used.push_back(name);
        store.setActive(name);
    });
    const auto marks = [&] {
        std::vector<bool> marked;
        for (int row = 0; row < dialog->list()->count(); ++row) {
            marked.push_back(
                dialog->list()->item(row)->data(CTransparentListBox::kMarkRole).toBool());
        }
        return marked;
    };
    select(1);
    dialog->runCommand(kProfileUseCommand);
    EXPECT_THAT(marks(), ElementsAre(false, true));
    select(0);
    QTest::keyClick(dialog->list(), Qt::Key_Return);
    EXPECT_THAT(used, ElementsAre(u"Profile_2", u"Profile_1"));
    EXPECT_THAT(marks(), ElementsAre(true, false));
    EXPECT_TRUE(dialog->isVisible());
    typeName(1, "Work");
    EXPECT_EQ(used.size(), 2U);
    QTest::keyClick(dialog->list()->editor(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(used.size(), 2U);  // the Enter that ends a rename uses nothing
    EXPECT_EQ(rows(), QStringList({"Profile_1", "Work"}));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ConfigureDlgTest, DeleteKeepsOneAndAsksFirst) {
    open();
    makeProfiles(1);
    select(0);
    click(QPoint(200, 600));
    EXPECT_THAT(messages.shown, ElementsAre(u"Please keep a profile\n | Profile"));
    makeProfiles(1);
    select(1);
    messages.answers = {false};
    click(QPoint(200, 600));
    EXPECT_EQ(rows().size(), 2);
    select(1);
    messages.answers = {true};
    click(QPoint(200, 600));
    EXPECT_EQ(rows(), QStringList{"Profile_1"});
    EXPECT_FALSE(std::filesystem::exists(profile("Profile_2")));
}

TEST_F(ConfigureDlgTest, DeleteRemovesTheProfileAskedAboutEvenIfTheRowsMoved) {
    open();
    makeProfiles(2);
    select(1);  // Profile_2
    // While the question is up, a profile that sorts first appears in the folder.
    messages.whileAsking = [&] {
        testing::writeRawFile(profileFolder() / "Alpha.bin", std::vector<std::uint8_t>(2412, 1));
    };
    messages.answers = {true};
    click(QPoint(200, 600));
    EXPECT_EQ(rows(), (QStringList{"Alpha", "Profile_1"}));
    EXPECT_FALSE(std::filesystem::exists(profile("Profile_2")));
}

// Save stores the configuration in the profile, which is then the one in use, and asks
// nothing; Export copies a profile elsewhere, never over the program's own files; Load takes
// an export back.
TEST_F(ConfigureDlgTest, SaveAsksNothingExportWritesElsewhereAndLoadTakesItBack) {
    open();
    makeProfiles(1);
    select(0);
    dialog->runCommand(kProfileSaveCommand);
    EXPECT_TRUE(pickers.requests.empty());
    EXPECT_EQ(std::filesystem::file_size(profile("Profile_1")), 199272U);
    EXPECT_EQ(store.activeName(), u"Profile_1");
    EXPECT_TRUE(dialog->list()->item(0)->data(CTransparentListBox::kMarkRole).toBool());

    const QString exported = app.filePath("arena.bin");
    // The program's own files: hidden in the chooser, and refused when typed all the same.
    for (const char* own : {"keymap.bin", "MacroDefine.bin", "VirtualKeyboard.bin"}) {
        testing::writeRawFile((app.path() + "/" + own).toStdString(), {1, 2, 3});
        pickers.answers = {(app.path() + "/" + own).toStdU16String()};
        select(0);
        dialog->runCommand(kProfileExportCommand);
        EXPECT_EQ(QFileInfo(app.path() + "/" + own).size(), 3) << own;
    }
    ASSERT_EQ(messages.warnings.size(), 3U);
    EXPECT_TRUE(messages.warnings[0].starts_with(u"\"keymap.bin\" is one of the program's own"));
    select(0);
    pickers.answers = {exported.toStdU16String()};
    dialog->runCommand(kProfileExportCommand);
    ASSERT_EQ(pickers.requests.size(), 4U);
    const FilePickers::Request& asked = pickers.requests.back();
    EXPECT_FALSE(asked.mustExist);  // a new file is welcome
    EXPECT_EQ(asked.filterPattern, u"*.bin");
    EXPECT_EQ(asked.defaultSuffix, u"bin");
    EXPECT_EQ(asked.folder, QDir::homePath().toStdU16String());
    EXPECT_EQ(asked.hidden.size(), 4U);
    EXPECT_EQ(QFileInfo(exported).size(), 199272);

    settings.lighting.brightness = 5;
    select(0);
    pickers.answers = {exported.toStdU16String()};
    dialog->runCommand(kProfileLoadCommand);
    EXPECT_EQ(settings.lighting.brightness, 30);
    EXPECT_EQ(messages.warnings.size(), 3U);
    // A load starts among the profiles.
    EXPECT_EQ(pickers.requests.back().folder, profileFolder().u16string());
}

// The rules follow a renamed profile; the delete question says which rules lose theirs.
TEST_F(ConfigureDlgTest, RulesFollowARenameAndTheDeleteQuestionNamesThem) {
    open();
    makeProfiles(2);
    const std::filesystem::path data(app.path().toStdString());
    std::string why;
    ASSERT_TRUE(writeProfileRules(
        data, {true, {{"steam", "", u"Profile_1"}, {"doom", "", u"Profile_2"}}, u"Profile_1"},
        why));
    rename(0, "Game");
    const ProfileRules rules = readProfileRules(data).rules;
    EXPECT_EQ(rules.rules[0].profile, u"Game");
    EXPECT_EQ(rules.rules[1].profile, u"Profile_2");
    EXPECT_EQ(rules.otherwise, u"Game");
    select(0);
    messages.answers = {false};
    click(QPoint(200, 600));
    EXPECT_EQ(messages.shown.back(),
              u"Delete the profile \"Game\"?\n\nThe rules for steam, every other application give "
              u"this profile; after the delete they give none until another is chosen for them "
              u"in \"Use for applications…\". | Profile");
}

// An empty or damaged profile is marked so in the list; a long name stops short of the tick.
TEST_F(ConfigureDlgTest, EmptyProfilesAreMarkedAndLongNamesEndBeforeTheTick) {
    std::filesystem::create_directories(profileFolder());
    testing::writeRawFile(profileFolder() / "Worn.bin", std::vector<std::uint8_t>(1000, 1));
    open();
    makeProfiles(2);
    const auto note = [&](int row) {
        return dialog->list()->item(row)->data(CTransparentListBox::kNoteRole).toString();
    };
    EXPECT_EQ(note(0), "(empty)");
    select(0);
    dialog->runCommand(kProfileSaveCommand);
    EXPECT_EQ(note(0), "");
    EXPECT_EQ(note(1), "(empty)");
    EXPECT_EQ(note(2), "(damaged)");
    // The tick's column of the active row looks the same whatever its name.
    const auto tickColumn = [&] {
        dialog->list()->clearSelection();
        dialog->list()->viewport()->repaint();
        const QRect row = dialog->list()->rowRect(0);
        return dialog->list()->viewport()->grab().toImage().copy(
            row.adjusted(row.width() - CTransparentListBox::kIconInset, 0, 0, 0));
    };
    rename(0, "A");
    const QImage shortName = tickColumn();
    rename(0, "A profile name far too long to be shown whole in the list");
    EXPECT_EQ(tickColumn(), shortName);
}

TEST_F(ConfigureDlgTest, CancellingLoadChangesNoFileAndNoSetting) {
    open();
    makeProfiles(1);
    select(0);
    settings.lighting.brightness = 7;
    dialog->runCommand(kProfileLoadCommand);  // the chooser is cancelled
    EXPECT_EQ(std::filesystem::file_size(profile("Profile_1")), 2412U);
    EXPECT_EQ(settings.lighting.brightness, 7);
}

TEST_F(ConfigureDlgTest, AnEmptyProfileIsNotLoaded) {
    open();
    makeProfiles(1);
    select(0);
    const DeviceSettings before = settings;
    pickers.answers = {profile("Profile_1").u16string()};
    dialog->runCommand(kProfileLoadCommand);
    EXPECT_EQ(settings, before);
    ASSERT_EQ(messages.shown.size(), 1U);
    EXPECT_TRUE(messages.shown[0].starts_with(u"This profile is empty"));
}

TEST_F(ConfigureDlgTest, RenamingInPlaceWithEnterAndRefusingBadNames) {
    open();
    makeProfiles(2);
    rename(0, "Arena.bin");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(rows(), (QStringList{"Arena", "Profile_2"}));
    ASSERT_NE(dialog->list()->currentItem(), nullptr);
    EXPECT_EQ(dialog->list()->currentItem()->text(), "Arena");  // still the one renamed
    EXPECT_TRUE(std::filesystem::exists(profile("Arena")));
    EXPECT_FALSE(std::filesystem::exists(profile("Profile_1")));
    rename(1, "../../evil");
    EXPECT_EQ(rows(), (QStringList{"Arena", "Profile_2"}));
    EXPECT_THAT(messages.shown,
                ElementsAre(std::u16string(kBadProfileName.english) + u" | Profile"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(profileFolder()), {}), 2);
}

// A profile that appears while a name is typed (another program; the window reads the folder
// again meanwhile) leaves the rename on the profile whose name was edited.
TEST_F(ConfigureDlgTest, ARenameKeepsToItsProfileWhileTheFolderChanges) {
    open();
    makeProfiles(2);
    typeName(1, "Work");
    testing::writeRawFile(profileFolder() / "Alpha.bin", std::vector<std::uint8_t>(2412, 1));
    store.reload();
    QTest::keyClick(dialog->list()->editor(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(rows(), (QStringList{"Alpha", "Profile_1", "Work"}));
    EXPECT_TRUE(std::filesystem::exists(profile("Profile_1")));
}

TEST_F(ConfigureDlgTest, ARenameBeingTypedIsFinishedBeforeAnythingElseActs) {
    open();
    makeProfiles(3);
    typeName(0, "Zed");
    messages.answers = {true};
    click(QPoint(200, 600));  // Delete: the profile being renamed, and no other
    EXPECT_EQ(dialog->list()->editor(), nullptr);  // no edit left over another profile
    EXPECT_EQ(rows(), (QStringList{"Profile_2", "Profile_3"}));
    EXPECT_FALSE(std::filesystem::exists(profile("Zed")));
    EXPECT_TRUE(std::filesystem::exists(profile("Profile_2")));

    typeName(0, "Edited");
    click(QPoint(40, 600));  // New
    EXPECT_EQ(rows(), (QStringList{"Edited", "Profile_1", "Profile_3"}));
    EXPECT_EQ(dialog->list()->editor(), nullptr);
    EXPECT_EQ(dialog->list()->currentItem()->text(), "Profile_1");  // the new one

    rename(0, "Profile_3");
    EXPECT_EQ(messages.shown.back(), u"A profile named \"Profile_3\" already exists. | Profile");
    EXPECT_EQ(rows(), (QStringList{"Edited", "Profile_1", "Profile_3"}));
}

TEST_F(ConfigureDlgTest, AFolderThatCannotBeMadeIsSaid) {
    QFile blocker(app.filePath("Configure"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    open();
    ASSERT_EQ(messages.shown.size(), 1U);
    EXPECT_TRUE(messages.shown[0].starts_with(u"The profile folder could not be made:\n"));
    makeProfiles(1);
    EXPECT_TRUE(messages.shown.back().starts_with(u"The file could not be written:\n"));
    EXPECT_TRUE(rows().isEmpty());
}

// The profile dialog's three click areas, edges included: close, New, Delete. Each point is
// clicked on a fresh dialog, and what it did tells which area it hit.
TEST_F(ConfigureDlgTest, EveryAreasEdgesCountAndThePixelOutsideDoesNot) {
    const auto hitAt = [&](QPoint p) {
        std::filesystem::remove_all(profileFolder());
        open();
        messages.shown.clear();
        click(p);
        if (!dialog->isVisible()) return 0;
        if (rows().size() == 1) return 1;       // New made one
        if (!messages.shown.empty()) return 2;  // Delete with nothing to delete says so
        return -1;
    };
    const testing::HitRegion areas[] = {
        {0, 248, 11, 262, 24}, {1, 14, 576, 79, 624}, {2, 184, 576, 249, 624}};
    for (const testing::HitRegion& r : areas) {
        testing::expectEdges(hitAt, r, "area " + std::to_string(r.code));
    }
}

// Every message box of the profile dialog, text and caption, in both languages. A text
// naming a file gives it where its %1 stands.
class ProfileMessages;

struct ProfileMessage {
    const char* name;
    // Brings the box up (the dialog is opened by it); returns what the text names, if anything.
    std::function<QString(ProfileMessages&, Language)> show;
    const char16_t* english;
    const char16_t* chinese;
};

void PrintTo(const ProfileMessage& m, std::ostream* out) {
    *out << m.name;
}

class ProfileMessages : public ConfigureDlgTest,
                        public ::testing::WithParamInterface<std::tuple<ProfileMessage, Language>> {
  public:
    using ConfigureDlgTest::app;
    using ConfigureDlgTest::click;
    using ConfigureDlgTest::dialog;
    using ConfigureDlgTest::makeProfiles;
    using ConfigureDlgTest::messages;
    using ConfigureDlgTest::open;
    using ConfigureDlgTest::pickers;
    using ConfigureDlgTest::profile;
    using ConfigureDlgTest::rename;
    using ConfigureDlgTest::select;

    // Two profiles, none selected, then the command.
    QString withoutASelection(Language language, int command) {
        open(language);
        makeProfiles(2);
        dialog->list()->clearSelection();
        dialog->runCommand(command);
        return {};
    }
};

TEST_P(ProfileMessages, TextAndCaptionInTheDialogsLanguage) {
    const auto& [m, language] = GetParam();
    const QString named = m.show(*this, language);
    ASSERT_FALSE(messages.shown.empty());
    QString text = QString::fromStdU16String(language == Language::Chinese ? m.chinese : m.english);
    if (!named.isEmpty()) text = text.arg(named);
    EXPECT_EQ(QString::fromStdU16String(messages.shown.back()), text);
}

const ProfileMessage kProfileMessages[] = {
    {"SeventhProfile",
     [](ProfileMessages& t, Language l) {
         t.open(l);
         t.makeProfiles(7);
         return QString();
     },
     u"Only Create Six Profile mostly\n | Profile", u"最多可以存储6个配置\n | 配置管理"},
    {"CopyWithoutASelection",
     [](ProfileMessages& t, Language l) { return t.withoutASelection(l, kProfileCopyCommand); },
     u"Please select a profile to copy\n | Profile", u"请选择一个配置文件拷贝\n | 配置管理"},
    {"SaveWithoutASelection",
     [](ProfileMessages& t, Language l) { return t.withoutASelection(l, kProfileSaveCommand); },
     u"Please select a profile to Save\n | Profile", u"请选择一个配置文件存储\n | 配置管理"},
    {"LoadWithoutASelection",
     [](ProfileMessages& t, Language l) { return t.withoutASelection(l, kProfileLoadCommand); },
     u"Please select a profile to Open\n | Profile", u"请选择一个配置文件打开\n | 配置管理"},
    {"DeleteWithoutASelection",
     [](ProfileMessages& t, Language l) { return t.withoutASelection(l, kProfileDeleteCommand); },
     u"Please select a profile to delete\n | Profile", u"请选择一个配置文件删除\n | 配置管理"},
    {"UseWithoutASelection",
     [](ProfileMessages& t, Language l) { return t.withoutASelection(l, kProfileUseCommand); },
     u"Please select a profile to use\n | Profile", u"请选择一个要使用的配置\n | 配置管理"},
    {"DeleteTheLastProfile",
     [](ProfileMessages& t, Language l) {
         t.open(l);
         t.makeProfiles(1);
         t.select(0);
         t.click(QPoint(200, 600));
         return QString();
     },
     u"Please keep a profile\n | Profile", u"请至少保留一个配置文件\n | 配置管理"},
    {"DeleteQuestion",
     [](ProfileMessages& t, Language l) {
         t.open(l);
         t.makeProfiles(2);
         t.select(1);
         t.messages.answers = {false};
         t.click(QPoint(200, 600));
         return QString();
     },
     u"Delete the profile \"Profile_2\"? | Profile", u"删除配置“Profile_2”吗？ | 配置管理"},
    {"BadName",
     [](ProfileMessages& t, Language l) {
         t.open(l);
         t.makeProfiles(1);
         t.rename(0, "a:b");
         return QString();
     },
     u"This name cannot be a profile's: a name must not be empty or longer than 198 bytes in "
     u"UTF-8, contain \\ / : * ? \" < > |, control characters or marks that turn the text's "
     u"direction, end with a dot or a blank, or be a device name such as CON. | Profile",
     u"不能使用此配置名称：名称不能为空或超过 198 字节（UTF-8），不能包含 \\ / : * ? \" < > |、"
     u"控制字符或改变文字方向的标记，不能以点或空格结尾，也不能是 CON 等设备名。 | 配置管理"},
    {"NameTaken",
     [](ProfileMessages& t, Language l) {
         t.open(l);
         t.makeProfiles(2);
         t.rename(0, "Profile_2");
         return QStringLiteral("Profile_2");
     },
     u"A profile named \"%1\" already exists. | Profile", u"已有名为\"%1\"的配置。 | 配置管理"},
    {"EmptyProfile",
     [](ProfileMessages& t, Language l) {
         t.open(l);
         t.makeProfiles(1);
         t.select(0);
         t.pickers.answers = {t.profile("Profile_1").u16string()};
         t.dialog->runCommand(kProfileLoadCommand);
         return QString::fromStdU16String(t.profile("Profile_1").u16string());
     },
     u"This profile is empty: it holds no keyboard settings yet, so nothing was loaded.\n%1 | "
     u"Profile",
     u"此配置为空，还没有保存键盘设置，因此没有加载任何内容。\n%1 | 配置管理"},
    {"DamagedProfile",
     [](ProfileMessages& t, Language l) {
         t.open(l);
         t.makeProfiles(1);
         t.select(0);
         const std::filesystem::path damaged(t.app.filePath("x.bin").toStdU16String());
         DeviceSettings settings;
         settings.responseTime = 1;
         settings.lighting = {2, 60, 0, 0, 0};
         testing::writeRawFile(
             damaged, {reinterpret_cast<const std::uint8_t*>(&settings),
                       reinterpret_cast<const std::uint8_t*>(&settings) + sizeof settings});
         t.pickers.answers = {damaged.u16string()};
         t.dialog->runCommand(kProfileLoadCommand);
         return QString::fromStdU16String(damaged.u16string());
     },
     u"This profile's file is damaged, so nothing was loaded:\n%1\nEffect: 2 is not one of the "
     u"effects.\nBrightness: 60; the keyboard takes 0 to 50. | Profile",
     u"此配置的文件已损坏，因此没有加载任何内容：\n%1\n效果：2 不是任何一种效果。\n亮度：60；"
     u"键盘只接受 0 到 50。 | 配置管理"},
    {"FolderNotMade",
     [](ProfileMessages& t, Language l) {
         QFile blocker(t.app.filePath("Configure"));
         EXPECT_TRUE(blocker.open(QIODevice::WriteOnly));
         blocker.close();
         t.open(l);
         return QString::fromStdU16String(
             std::filesystem::path(t.app.filePath("Configure").toStdString()).u16string());
     },
     u"The profile folder could not be made:\n%1 | Profile",
     u"无法创建配置文件夹：\n%1 | 配置管理"},
    {"ProfileNotWritten",
     [](ProfileMessages& t, Language l) {
         QFile blocker(t.app.filePath("Configure"));
         EXPECT_TRUE(blocker.open(QIODevice::WriteOnly));
         blocker.close();
         t.open(l);
         t.makeProfiles(1);
         return QString::fromStdU16String(t.profile("Profile_1").u16string());
     },
     u"The file could not be written:\n%1 | Profile", u"无法写入文件：\n%1 | 配置管理"},
    {"ImportNotRead",
     [](ProfileMessages& t, Language l) {
         t.open(l);
         t.makeProfiles(1);
         t.select(0);
         t.pickers.answers = {t.app.filePath("gone.bin").toStdU16String()};
         t.dialog->runCommand(kProfileLoadCommand);
         return t.app.filePath("gone.bin");
     },
     u"The file could not be read:\n%1 | Profile", u"无法读取文件：\n%1 | 配置管理"},
    {"RenameOfAProfileGone",
     [](ProfileMessages& t, Language l) {
         t.open(l);
         t.makeProfiles(2);
         std::filesystem::remove(t.profile("Profile_1"));  // behind the dialog's back
         t.rename(0, "Arena");
         return QString::fromStdU16String(t.profile("Profile_1").u16string());
     },
     u"Fail\n%1 | TQ260 104vez VANTOR", u"Fail\n%1 | TQ260 104vez星岚版"},
};

INSTANTIATE_TEST_SUITE_P(ProfileDialog, ProfileMessages,
                         ::testing::Combine(::testing::ValuesIn(kProfileMessages),
                                            ::testing::Values(Language::English,
                                                              Language::Chinese)),
                         testing::CaseInLanguage());

// A profile that cannot be deleted: root deletes from a read-only folder, so this runs only
// as a normal user (the test script runs it again as one).
class ProfileNotDeleted : public ConfigureDlgTest,
                          public ::testing::WithParamInterface<Language> {};

TEST_P(ProfileNotDeleted, SaidInTheDialogsLanguageAsANormalUser) {
    if (!testing::permissionsStopThisProcess())
        GTEST_SKIP() << "root deletes from read-only folders";
    open(GetParam());
    makeProfiles(2);
    std::filesystem::permissions(
        profileFolder(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    select(1);
    messages.answers = {true};
    click(QPoint(200, 600));
    std::filesystem::permissions(profileFolder(), std::filesystem::perms::owner_all);
    const std::u16string path = profile("Profile_2").u16string();
    EXPECT_EQ(messages.shown.back(),
              GetParam() == Language::Chinese
                  ? u"无法删除文件：\n" + path + u" | 配置管理"
                  : u"The file could not be deleted:\n" + path + u" | Profile");
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ProfileNotDeleted,
                         ::testing::Values(Language::English, Language::Chinese),
                         testing::InLanguage());

}  // namespace
}  // namespace tq260::testing
