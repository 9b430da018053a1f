#pragma once

#include <QDialog>
#include <QMenu>
#include <QPointer>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/profile_rules_file.h"
#include "dialogs/dialog_text.h"
#include "platform/front_application.h"
#include "platform/message_boxes.h"
#include "profiles/profile_rule_marks.h"
#include "profiles/profile_rules.h"
#include "profiles/profile_store.h"

class QCheckBox;
class QComboBox;
class QFileSystemWatcher;
class QLabel;
class QPushButton;
class QTableWidget;

namespace tq260 {

// What the rules window reads and talks through.
struct ProfileRulesContext {
    Language language = Language::English;
    // Where profile-rules.json and the profiles are kept.
    std::filesystem::path dataFolder;
    // Which source tells the program the application in front, or why none does.
    QString source;
    // Asks for the applications to pick from: open now, or seen in front. The answer may come
    // later, on the main thread; `listed` false when the open windows could not be listed.
    using ApplicationsAnswer = std::function<void(std::vector<FrontApplication>, bool listed)>;
    std::function<void(ApplicationsAnswer)> openApplications;
    MessageBoxes& messages;
};

// The rules that give the application in front its profile: the list in the order tried
// (added by picking an open application, given a profile and an executable, moved, removed),
// the profile of every other application, the switch for the whole feature and for a notice.
// The window follows the rules file and the profiles while it is open. Each change is written
// at once, and only over the file the window shows: when another program changed it meanwhile,
// the window shows what is there now and writes nothing. A damaged file is said and left as
// it is, and nothing can be changed. Rules that can never apply are marked in their rows.
class ProfileRulesDialog final : public QDialog {
  public:
    explicit ProfileRulesDialog(ProfileRulesContext context, QWidget* parent = nullptr);

    // A profile box item's profile; the Executable cell's path ("any" is only shown).
    static constexpr int kProfileRole = Qt::UserRole;
    static constexpr int kPathRole = Qt::UserRole;

    const ProfileRules& rules() const { return rules_; }
    QTableWidget* table() const { return table_; }
    QCheckBox* enabledBox() const { return enabled_; }
    QCheckBox* noticeBox() const { return notice_; }
    QComboBox* otherwiseBox() const { return otherwise_; }
    QComboBox* profileBox(int row) const;
    QLabel* problemLabel() const { return problem_; }
    // A brief word about the last change: refused, or what it found.
    QLabel* noteLabel() const { return note_; }
    // Why the selected rule never applies; hidden when it can.
    QLabel* ruleProblemLabel() const { return ruleProblem_; }
    QLabel* otherwiseProblemLabel() const { return otherwiseProblem_; }

    // What the window's controls do.
    void addApplication(const FrontApplication& application);
    void moveSelected(int by);
    void removeSelected();
    void chooseProfile(int row, int index);
    void chooseOtherwise(int index);
    // Empty: any executable. A rule given a path goes where it can apply.
    void setExecutable(int row, const QString& path);
    // At most this many applications are offered; Other… names any.
    static constexpr int kMaxOffered = 30;
    // Offers the applications to pick from once they are known (the window stays usable
    // meanwhile); Add calls it.
    void pickApplication();
    // The menu of applications, while it is open.
    QMenu* applicationMenu() const { return menu_; }
    // Reads the rules file and the profiles again, shown when they changed.
    void follow();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The rule that gives the application its profile whatever its executable, if any.
    std::vector<ProfileRule>::const_iterator ruleForAnyExecutable(const std::string& id) const;
    class ExecutableDelegate;

    // Asks for the applications; `then` runs once they are known, if this window still is.
    void askApplications(std::function<void()> then);
    void showApplicationMenu();

    QString text(const DialogText& text) const;
    void updateButtons();
    void selectRule(int row);
    void showRules();
    void showRow(int row, const RuleMarks& marks);
    // The profiles to choose from, the current one (or "leave", first when asked) shown.
    void fillProfileBox(QComboBox* box, const std::optional<std::u16string>& current,
                        bool leaveFirst);
    QString problemsOf(int row) const;
    QString profileProblem(ProfileState state, const std::u16string& name) const;
    void say(const QString& note);
    void watchFiles();
    // Shows what the file and the profile folder hold.
    void adopt(const ProfileRulesReading& reading, std::vector<ProfileEntry> profiles);
    // Whether the file on disk and the profiles are what the window shows; when not, they are
    // shown now (said when asked to).
    bool upToDate(bool sayWhenNot);
    // Writes the rules as edit leaves them, over the file shown only; false when nothing was
    // written (the file had changed, or the write failed: both said).
    bool change(const std::function<void(ProfileRules&)>& edit);

    ProfileRulesContext context_;
    ProfileStore store_;
    std::vector<ProfileEntry> profiles_;
    // The applications the desktop told about, with their executables where it could.
    std::vector<FrontApplication> known_;
    // Whether the open windows could be listed, the last time they were asked for.
    bool listed_ = true;
    // Add… waits for the list.
    bool picking_ = false;
    // Gone with the menu, which closes itself.
    QPointer<QMenu> menu_;
    // As last read from the file or written to it.
    ProfileRules rules_;
    std::vector<RuleMarks> marks_;
    bool damaged_ = false;
    std::vector<ConfigError> damage_;
    // Each showing of what is on disk counts; a path typed over an older one is not taken.
    int showing_ = 0;
    int editedShowing_ = 0;
    bool editing_ = false;
    QFileSystemWatcher* watcher_ = nullptr;
    QCheckBox* enabled_ = nullptr;
    QCheckBox* notice_ = nullptr;
    QLabel* problem_ = nullptr;
    QLabel* note_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* ruleProblem_ = nullptr;
    QComboBox* otherwise_ = nullptr;
    QLabel* otherwiseProblem_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* up_ = nullptr;
    QPushButton* down_ = nullptr;
    QPushButton* remove_ = nullptr;
};

}  // namespace tq260
