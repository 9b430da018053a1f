#include "dialogs/profile_rules_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <fstream>
#include <map>

#include "config/profile_rules_file.h"
#include "support/normal_user.h"
#include "support/scripted_messages.h"
#include "support/temporary_folder.h"

namespace tq260::testing {
namespace {

class ProfileRulesDialogTest : public ::testing::Test {
  protected:
    std::unique_ptr<ProfileRulesDialog> open(Language language = Language::English) {
        return std::make_unique<ProfileRulesDialog>(ProfileRulesContext{
            language,
            folder.path(),
            {u"Desk", u"Game"},
            QStringLiteral("Watching."),
            [] {
                return std::vector<FrontApplication>{{"XLogo", "/usr/bin/xlogo", false}};
            },
            messages});
    }
    ProfileRules onDisk() const { return readProfileRules(folder.path()).rules; }

    TemporaryFolder folder;
    ScriptedMessages messages;
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

    // The same application again: its rule is selected, none is added.
    dialog->addApplication({"STEAM", "", false});
    EXPECT_EQ(dialog->table()->rowCount(), 2);
    EXPECT_EQ(dialog->table()->currentRow(), 0);
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
    EXPECT_EQ(qobject_cast<QComboBox*>(dialog->table()->cellWidget(0, 2))->currentText(), "Game");
    EXPECT_EQ(dialog->otherwiseBox()->currentText(), "Desk");
    EXPECT_TRUE(messages.shown.empty());
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
}

}  // namespace
}  // namespace tq260::testing
