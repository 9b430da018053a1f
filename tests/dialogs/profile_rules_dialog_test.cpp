#include "dialogs/profile_rules_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <map>
#include <utility>

#include "config/profile_rules_file.h"
#include "controls/qt_text.h"
#include "dialogs/profile_rules_texts.h"
#include "support/normal_user.h"
#include "support/scripted_messages.h"
#include "support/temporary_folder.h"

namespace tq260::testing {
namespace {

class ProfileRulesDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"Desk", "Game"}) makeProfile(name, false);
    }
    std::unique_ptr<ProfileRulesDialog> open(Language language = Language::English) {
        return std::make_unique<ProfileRulesDialog>(
            ProfileRulesContext{language, folder.path(), QStringLiteral("Watching."),
                                [this](auto answer) { answer(known, true); }, messages});
    }
    // A profile made by New holds no settings; one saved into holds some (each value 1, one
    // the keyboard takes).
    void makeProfile(const std::string& name, bool empty) {
        std::filesystem::create_directories(folder / ProfileStore::kFolderName);
        const std::vector<std::uint8_t> bytes(ProfileStore::kNewProfileBytes, empty ? 0 : 1);
        writeRawFile(folder / ProfileStore::kFolderName / (name + ".bin"), bytes);
    }
    void write(const ProfileRules& rules) {
        std::string why;
        ASSERT_TRUE(writeProfileRules(folder.path(), rules, why)) << why;
    }
    ProfileRules onDisk() const { return readProfileRules(folder.path()).rules; }

    TemporaryFolder folder;
    ScriptedMessages messages;
    std::vector<FrontApplication> known{{"XLogo", "/usr/bin/xlogo", false}};
};

TEST_F(ProfileRulesDialogTest, EachChangeIsWrittenAtOnceInTheOrderShown) {
    auto dialog = open();
    dialog->enabledBox()->click();
    dialog->addApplication({"XLogo", "/usr/bin/xlogo", false});
    dialog->addApplication({"steam", "", false});
    dialog->chooseProfile(1, 1);  // steam: Game
    dialog->moveSelected(-1);     // steam first
    dialog->otherwiseBox()->setCurrentIndex(1);
    emit dialog->otherwiseBox()->activated(1);  // every other application: Desk
    ProfileRules expected{true, {{"steam", "", u"Game"}, {"XLogo", "", u"Desk"}}, u"Desk"};
    EXPECT_EQ(onDisk(), expected);
    EXPECT_EQ(dialog->table()->item(0, 0)->text(), "steam");

    // The same application again: its rule is selected and said, none is added.
    dialog->addApplication({"STEAM", "", false});
    EXPECT_EQ(dialog->table()->rowCount(), 2);
    EXPECT_EQ(dialog->table()->currentRow(), 0);
    EXPECT_EQ(dialog->noteLabel()->text(), "steam has a rule already: it is selected.");
    dialog->table()->selectRow(1);
    dialog->removeSelected();
    expected.rules.pop_back();
    EXPECT_EQ(onDisk(), expected);
    // What is left is selected, and cannot move down.
    EXPECT_EQ(dialog->table()->currentRow(), 0);
    std::map<QString, bool> enabled;
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        enabled[button->text()] = button->isEnabled();
    EXPECT_FALSE(enabled.at("Up"));
    EXPECT_FALSE(enabled.at("Down"));
    EXPECT_TRUE(enabled.at("Remove"));
    // Opened again, it shows what is on disk.
    dialog = open();
    EXPECT_TRUE(dialog->enabledBox()->isChecked());
    EXPECT_EQ(dialog->table()->rowCount(), 1);
    EXPECT_EQ(dialog->profileBox(0)->currentText(), "Game");
    EXPECT_EQ(dialog->otherwiseBox()->currentText(), "Desk");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ProfileRulesDialogTest, AFileChangedByAnotherProgramIsShownAndNeverWrittenOver) {
    const ProfileRules shown{true, {{"XLogo", "", u"Desk"}, {"steam", "", u"Game"}}, std::nullopt};
    // What `rules add xterm Game` and `rules off` leave meanwhile.
    ProfileRules tool = shown;
    tool.enabled = false;
    tool.rules.push_back({"xterm", "", u"Game"});
    const std::vector<std::pair<const char*, std::function<void(ProfileRulesDialog&)>>> changes{
        {"notice", [](ProfileRulesDialog& d) { d.noticeBox()->click(); }},
        {"add",
         [](ProfileRulesDialog& d) {
             d.addApplication({"foot", "", false});
         }},
        {"profile", [](ProfileRulesDialog& d) { d.chooseProfile(0, 1); }},
        {"otherwise", [](ProfileRulesDialog& d) { d.chooseOtherwise(1); }},
        {"up", [](ProfileRulesDialog& d) { d.table()->selectRow(1), d.moveSelected(-1); }},
        {"remove", [](ProfileRulesDialog& d) { d.table()->selectRow(0), d.removeSelected(); }},
        {"executable", [](ProfileRulesDialog& d) { d.setExecutable(1, "/usr/bin/steam"); }},
    };
    for (const auto& [name, drive] : changes) {
        SCOPED_TRACE(name);
        write(shown);
        auto dialog = open();
        write(tool);
        drive(*dialog);
        EXPECT_EQ(onDisk(), tool);
        EXPECT_FALSE(dialog->enabledBox()->isChecked());
        EXPECT_EQ(dialog->table()->rowCount(), 3);
        EXPECT_EQ(dialog->noteLabel()->text(), toQString(rules_text::kChangedElsewhere.english));
    }
    // A profile renamed meanwhile: the window shows the profiles as they are and writes nothing.
    auto dialog = open();
    std::filesystem::rename(folder / "Configure/Game.bin", folder / "Configure/Play.bin");
    dialog->chooseProfile(0, 1);
    EXPECT_EQ(onDisk(), tool);
    EXPECT_EQ(dialog->profileBox(1)->currentText(), "Game (missing)");
    EXPECT_EQ(dialog->noteLabel()->text(), toQString(rules_text::kProfilesChanged.english));
}

TEST_F(ProfileRulesDialogTest, FollowsTheFileAndTheProfilesWhileOpen) {
    write({true, {{"XLogo", "", u"Desk"}, {"steam", "", u"Game"}}, u"Game"});
    auto dialog = open();
    dialog->table()->selectRow(1);
    // A rule added before the selected one: the selection stays on its rule.
    write({true, {{"foot", "", u"Desk"}, {"XLogo", "", u"Desk"}, {"steam", "", u"Game"}}, u"Game"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->table()->rowCount() == 3; }));
    EXPECT_EQ(dialog->table()->currentRow(), 2);
    // Game renamed, its rules carried along; then Desk deleted.
    ProfileStore store;
    store.openIn(folder.path());
    ASSERT_EQ(store.rename(*store.rowOf(u"Game"), u"Play").result, ProfileStore::Result::Done);
    std::string why;
    ASSERT_TRUE(carryRulesToRenamedProfile(folder.path(), u"Game", u"Play", why)) << why;
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->profileBox(2)->currentText() == "Play"; }));
    EXPECT_EQ(dialog->otherwiseBox()->currentText(), "Play");
    std::filesystem::remove(folder / "Configure/Desk.bin");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return dialog->profileBox(0)->currentText() == "Desk (missing)"; }));
    EXPECT_TRUE(dialog->ruleProblemLabel()->isHidden());
    dialog->table()->selectRow(0);
    EXPECT_EQ(dialog->ruleProblemLabel()->text(), "Never applies: there is no profile \"Desk\".");
    // Followed, not refused: nothing to say.
    EXPECT_TRUE(dialog->noteLabel()->isHidden());
}

TEST_F(ProfileRulesDialogTest, RulesThatCanNeverApplyAreMarkedAndAddOffersOnlyTheRest) {
    makeProfile("Blank", true);
    writeRawFile(folder / ProfileStore::kFolderName / "Worn.bin",
                 std::vector<std::uint8_t>(1000, 1));
    known.push_back({"nopid", "", false});
    write({true,
           {{"steam", "", u"Game"},
            {"steam", "/usr/bin/steam", u"Desk"},
            {"xterm", "", u"Blank"},
            {"old", "", u"Gone"},
            {"nopid", "/opt/nopid", u"Desk"},
            {"XLogo", "", u"Desk"},
            {"vlc", "", u"Worn"}},
           u"Blank"});
    struct Row {
        QString profile;
        QString problem;  // in English; empty where the rule can apply
    };
    const std::vector<Row> rows{
        {"Game", ""},
        {"Desk", "Never applies: rule 1 (steam, any) above it always matches first."},
        {"Blank (empty)", "the profile \"Blank\" holds no settings"},
        {"Gone (missing)", "there is no profile \"Gone\""},
        {"Desk", "the desktop does not tell which executable nopid runs"},
        {"Desk", ""},
        {"Worn (damaged)", "the profile \"Worn\" is damaged"}};
    for (const Language language : {Language::English, Language::Chinese}) {
        auto dialog = open(language);
        for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
            SCOPED_TRACE(row);
            const Row& expected = rows[static_cast<std::size_t>(row)];
            const QTableWidgetItem* name = dialog->table()->item(row, 0);
            const QString problem = name->data(Qt::AccessibleDescriptionRole).toString();
            EXPECT_EQ(problem.isEmpty(), expected.problem.isEmpty());
            EXPECT_EQ(name->icon().isNull(), expected.problem.isEmpty());
            if (language == Language::Chinese) continue;
            EXPECT_TRUE(problem.contains(expected.problem)) << problem.toStdString();
            EXPECT_EQ(dialog->profileBox(row)->currentText(), expected.profile);
        }
        EXPECT_FALSE(dialog->otherwiseProblemLabel()->isHidden());
    }
    // An empty profile is shown but not offered; a missing one only where a rule names it.
    auto dialog = open();
    QComboBox* box = dialog->profileBox(0);
    const auto* model = qobject_cast<QStandardItemModel*>(box->model());
    ASSERT_EQ(box->count(), 4);
    EXPECT_EQ(box->itemText(0), "Blank (empty)");
    EXPECT_FALSE(model->item(0)->isEnabled());
    EXPECT_TRUE(model->item(1)->isEnabled());
    EXPECT_FALSE(model->item(3)->isEnabled());
    EXPECT_EQ(dialog->profileBox(3)->findText("Gone (missing)"), 4);

    // Add… marks the applications that have a rule for any executable, and does not offer
    // them; one with a rule for a given executable only may still get one for the rest.
    std::vector<std::pair<QString, bool>> offered;
    dialog->pickApplication();
    ASSERT_NE(dialog->applicationMenu(), nullptr);
    for (const QAction* item : dialog->applicationMenu()->actions()) {
        offered.emplace_back(item->text(), item->isEnabled());
    }
    dialog->applicationMenu()->close();
    const std::vector<std::pair<QString, bool>> expected{
        {"XLogo — has a rule", false}, {"nopid", true}, {"", true}, {"Other…", true}};
    EXPECT_EQ(offered, expected);
}

TEST_F(ProfileRulesDialogTest, TheExecutableIsTypedAndARuleWithOneMovesWhereItCanApply) {
    known.push_back({"nopid", "", false});
    write({true,
           {{"steam", "", u"Game"}, {"XLogo", "", u"Desk"}, {"steam", "", u"Desk"}},
           std::nullopt});
    auto dialog = open();
    dialog->show();
    dialog->table()->selectRow(2);
    QTest::keyClick(dialog->table(), Qt::Key_F2);
    auto* editor = dialog->table()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "");  // "any" is only shown
    QTest::keyClicks(editor, "/usr/bin/steam");
    QTest::keyClick(editor, Qt::Key_Return);
    const std::vector<ProfileRule> moved{
        {"steam", "/usr/bin/steam", u"Desk"}, {"steam", "", u"Game"}, {"XLogo", "", u"Desk"}};
    ASSERT_TRUE(QTest::qWaitFor([&] { return onDisk().rules == moved; }));
    EXPECT_EQ(dialog->table()->currentRow(), 0);
    EXPECT_EQ(dialog->table()->item(0, 1)->text(), "/usr/bin/steam");
    // Up and Down still move it, behind the general rule too; an empty path means any again.
    dialog->moveSelected(1);
    EXPECT_EQ(onDisk().rules[1].executablePath, "/usr/bin/steam");
    EXPECT_FALSE(dialog->ruleProblemLabel()->isHidden());
    dialog->setExecutable(1, "  ");
    EXPECT_EQ(onDisk().rules[1], (ProfileRule{"steam", "", u"Desk"}));
    EXPECT_EQ(dialog->table()->item(1, 1)->text(), "any");
    // Without a rule for any of its executables it stays where it is. A path for an
    // application whose executable the desktop does not tell is said.
    dialog->addApplication({"nopid", "", false});
    dialog->moveSelected(-1);
    dialog->setExecutable(2, "/opt/nopid");
    EXPECT_EQ(onDisk().rules[2].executablePath, "/opt/nopid");
    EXPECT_TRUE(dialog->noteLabel()->text().contains("does not tell which executable nopid"));

    // The tool writes the file while a path is typed: given, it is not written over the file.
    QTest::keyClick(dialog->table(), Qt::Key_F2);
    editor = dialog->table()->findChild<QLineEdit*>();
    QTest::keyClicks(editor, "/opt/other");
    QSignalSpy seen(dialog->findChild<QFileSystemWatcher*>(),
                    &QFileSystemWatcher::directoryChanged);
    const ProfileRules tool{false, {{"xterm", "", u"Desk"}}, std::nullopt};
    write(tool);
    ASSERT_TRUE(seen.wait());
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->table()->rowCount() == 1; }));
    EXPECT_EQ(onDisk(), tool);
    EXPECT_EQ(dialog->noteLabel()->text(), toQString(rules_text::kChangedElsewhere.english));
}

TEST_F(ProfileRulesDialogTest, ADamagedFileIsSaidAndNeverWrittenOver) {
    const std::string damaged = R"({"format": 1, "rules": 3})";
    writeRawFile(folder / kProfileRulesFileName, {damaged.begin(), damaged.end()});
    for (const Language language : {Language::English, Language::Chinese}) {
        auto dialog = open(language);
        EXPECT_FALSE(dialog->problemLabel()->isHidden());
        EXPECT_TRUE(dialog->problemLabel()->text().contains("/rules"));
        EXPECT_FALSE(dialog->enabledBox()->isEnabled());
        dialog->enabledBox()->click();
        dialog->addApplication({"XLogo", "", false});
    }
    std::ifstream file(folder / kProfileRulesFileName);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), damaged);
    // Mended while the window is open: followed, and it can be changed again.
    auto dialog = open();
    std::filesystem::remove(folder / kProfileRulesFileName);
    write({true, {}, std::nullopt});
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->enabledBox()->isEnabled(); }));
    EXPECT_TRUE(dialog->problemLabel()->isHidden());
    EXPECT_TRUE(dialog->enabledBox()->isChecked());
}

TEST_F(ProfileRulesDialogTest, AChangeThatCannotBeWrittenIsSaidAsANormalUser) {
    if (!permissionsStopThisProcess()) GTEST_SKIP() << "root writes into read-only folders";
    auto dialog = open();
    std::filesystem::permissions(
        folder.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    dialog->addApplication({"XLogo", "", false});
    std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_all);
    ASSERT_EQ(messages.warnings.size(), 1U);
    EXPECT_TRUE(messages.warnings.front().find(u"profile-rules.json") != std::u16string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder / kProfileRulesFileName));
    // The window shows what the file holds, not the change it could not write.
    EXPECT_EQ(dialog->table()->rowCount(), 0);
}

// Add… waits for the list without holding the window up, then offers a screenful at most,
// says how many it left out, and whether the open windows could be listed.
TEST_F(ProfileRulesDialogTest, AddShowsTheListWhenItComesAndAScreenfulAtMost) {
    std::vector<FrontApplication> many;
    for (int i = 0; i < 5000; ++i) many.push_back({"app" + std::to_string(i), "", false});
    for (const Language language : {Language::English, Language::Chinese}) {
        std::vector<ProfileRulesContext::ApplicationsAnswer> asked;
        ProfileRulesDialog dialog({language, folder.path(), QStringLiteral("Watching."),
                                   [&](auto answer) { asked.push_back(std::move(answer)); },
                                   messages});
        const auto say = [language](const DialogText& text) {
            return toQString(text.in(language));
        };
        dialog.pickApplication();
        EXPECT_EQ(dialog.applicationMenu(), nullptr);
        EXPECT_EQ(dialog.noteLabel()->text(), say(rules_text::kListing));
        // Meanwhile the window is used: its change is written at once.
        dialog.enabledBox()->click();
        EXPECT_EQ(onDisk().enabled, dialog.enabledBox()->isChecked());
        for (const auto& answer : std::exchange(asked, {})) answer(many, false);
        ASSERT_NE(dialog.applicationMenu(), nullptr);
        const QList<QAction*> items = dialog.applicationMenu()->actions();
        const int offered = ProfileRulesDialog::kMaxOffered;
        ASSERT_EQ(items.size(), offered + 4);
        EXPECT_EQ(items.front()->text(), say(rules_text::kNotListed));
        EXPECT_EQ(items[1]->text(), "app0");
        EXPECT_EQ(items[offered + 1]->text(), say(rules_text::kMoreNotShown).arg(5000 - offered));
        EXPECT_FALSE(items[offered + 1]->isEnabled());
        EXPECT_EQ(items.back()->text(), say(rules_text::kOther));
        dialog.applicationMenu()->close();
    }
}

}  // namespace
}  // namespace tq260::testing
