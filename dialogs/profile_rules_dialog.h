#pragma once

#include <QDialog>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/dialog_text.h"
#include "platform/front_application.h"
#include "platform/message_boxes.h"
#include "profiles/profile_rules.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace tq260 {

// What the rules window reads and talks through.
struct ProfileRulesContext {
    Language language = Language::English;
    std::filesystem::path dataFolder;  // where profile-rules.json is kept
    std::vector<std::u16string> profiles;
    // Which source tells the program the application in front, or why none does.
    QString source;
    // The applications to pick from: open now, or seen in front.
    std::function<std::vector<FrontApplication>()> openApplications;
    MessageBoxes& messages;
};

// The rules that give the application in front its profile: the list in the order tried
// (added by picking an open application, given a profile, moved, removed), the profile of
// every other application, the switch for the whole feature and for a notice. Each change
// is written at once; a damaged file is said and left as it is, and nothing can be changed.
class ProfileRulesDialog final : public QDialog {
  public:
    explicit ProfileRulesDialog(ProfileRulesContext context, QWidget* parent = nullptr);

    const ProfileRules& rules() const { return rules_; }
    QTableWidget* table() const { return table_; }
    QCheckBox* enabledBox() const { return enabled_; }
    QComboBox* otherwiseBox() const { return otherwise_; }
    QLabel* problemLabel() const { return problem_; }

    // What the window's buttons do, on the selected row.
    void addApplication(const FrontApplication& application);
    void moveSelected(int by);
    void removeSelected();
    void chooseProfile(int row, int index);
    // Offers the applications to pick from; Add calls it.
    void pickApplication();

  private:
    QString text(const DialogText& text) const;
    void updateButtons();
    void selectRule(int row);
    void showRules();
    void changed();

    ProfileRulesContext context_;
    ProfileRules rules_;
    bool damaged_ = false;
    QCheckBox* enabled_ = nullptr;
    QCheckBox* notice_ = nullptr;
    QLabel* problem_ = nullptr;
    QTableWidget* table_ = nullptr;
    QComboBox* otherwise_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* up_ = nullptr;
    QPushButton* down_ = nullptr;
    QPushButton* remove_ = nullptr;
};

}  // namespace tq260
