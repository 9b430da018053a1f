#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStyle>
#include <QTableWidget>
#include <algorithm>

#include "controls/qt_text.h"
#include "dialogs/profile_rules_dialog.h"
#include "dialogs/profile_rules_texts.h"

// The rules window's rows, profile boxes and marks: what it shows of the rules and profiles.
namespace tq260 {

using namespace rules_text;

namespace {

const QColor kProblemColor(0xff, 0x8a, 0x65);
const QColor kQuietColor(0x8f, 0xa3, 0xb8);

}  // namespace

void ProfileRulesDialog::updateButtons() {
    const int row = table_->currentRow();
    const bool selected = !damaged_ && row >= 0 && row < table_->rowCount();
    up_->setEnabled(selected && row > 0);
    down_->setEnabled(selected && row + 1 < table_->rowCount());
    remove_->setEnabled(selected);
    const QString problems = selected ? problemsOf(row) : QString();
    ruleProblem_->setText(problems);
    ruleProblem_->setVisible(!problems.isEmpty());
}

void ProfileRulesDialog::selectRule(int row) {
    if (row < 0 || row >= table_->rowCount()) {
        table_->clearSelection();
        table_->setCurrentCell(-1, -1);
    } else {
        table_->selectRow(row);
        table_->setCurrentCell(row, 0);
    }
    updateButtons();
}

QString ProfileRulesDialog::profileProblem(ProfileState state, const std::u16string& name) const {
    switch (state) {
        case ProfileState::Missing:
            return text(kProfileMissing).arg(toQString(name));
        case ProfileState::Empty:
            return text(kProfileEmpty).arg(toQString(name));
        case ProfileState::Damaged:
            return text(kProfileDamaged).arg(toQString(name));
        case ProfileState::Usable:
            break;
    }
    return {};
}

QString ProfileRulesDialog::problemsOf(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= marks_.size()) return {};
    const RuleMarks& marks = marks_[static_cast<std::size_t>(row)];
    const ProfileRule& rule = rules_.rules[static_cast<std::size_t>(row)];
    QStringList problems;
    if (marks.hiddenBy) {
        const ProfileRule& first = rules_.rules[*marks.hiddenBy];
        const QString executable = first.executablePath.empty()
                                       ? text(kAnyExecutable)
                                       : QString::fromStdString(first.executablePath);
        problems << text(kHidden)
                        .arg(static_cast<int>(*marks.hiddenBy) + 1)
                        .arg(text(kRuleNamed)
                                 .arg(QString::fromStdString(first.application), executable));
    }
    if (marks.profile != ProfileState::Usable) {
        problems << profileProblem(marks.profile, rule.profile);
    }
    if (marks.executableUntold) {
        problems << text(kUntold).arg(QString::fromStdString(rule.application));
    }
    return problems.join(QLatin1Char(' '));
}

void ProfileRulesDialog::fillProfileBox(QComboBox* box,
                                        const std::optional<std::u16string>& current,
                                        bool leaveFirst) {
    const QSignalBlocker quiet(box);
    box->clear();
    int shown = -1;
    if (leaveFirst) {
        box->addItem(text(kLeave));
        if (!current) shown = 0;
    }
    // Empty and missing profiles are shown only as what a rule names: never offered.
    auto* model = qobject_cast<QStandardItemModel*>(box->model());
    const auto add = [&](const QString& label, const std::u16string& name, bool offered) {
        box->addItem(label, toQString(name));
        if (!offered && model != nullptr) model->item(box->count() - 1)->setEnabled(false);
        if (current == name) shown = box->count() - 1;
    };
    for (const ProfileEntry& profile : profiles_) {
        const DialogText* mark = profile.damaged ? &kDamagedMark : &kEmptyMark;
        add(profile.empty ? text(*mark).arg(toQString(profile.name)) : toQString(profile.name),
            profile.name, !profile.empty);
    }
    if (current && shown < 0) add(text(kMissingMark).arg(toQString(*current)), *current, false);
    box->setCurrentIndex(shown);
    const bool marked = current && profileState(profiles_, *current) != ProfileState::Usable;
    box->setAccessibleDescription(
        current ? profileProblem(profileState(profiles_, *current), *current) : QString());
    if (box->property("marked").toBool() != marked) {
        box->setProperty("marked", marked);
        box->style()->unpolish(box);
        box->style()->polish(box);
    }
}

void ProfileRulesDialog::showRow(int row, const RuleMarks& marks) {
    const ProfileRule& rule = rules_.rules[static_cast<std::size_t>(row)];
    const QString problems = problemsOf(row);
    const QString application = QString::fromStdString(rule.application);
    auto* name = new QTableWidgetItem(application);
    name->setFlags(name->flags() & ~Qt::ItemIsEditable);
    if (marks.any()) {
        name->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
        name->setForeground(kProblemColor);
        name->setToolTip(problems);
        name->setData(Qt::AccessibleDescriptionRole, problems);
    }
    table_->setItem(row, 0, name);
    // A rule without a path matches the application whatever its executable.
    const QString path = QString::fromStdString(rule.executablePath);
    auto* executable = new QTableWidgetItem(path.isEmpty() ? text(kAnyExecutable) : path);
    executable->setData(kPathRole, path);
    if (path.isEmpty()) executable->setForeground(kQuietColor);
    if (marks.executableUntold) executable->setForeground(kProblemColor);
    if (damaged_) executable->setFlags(executable->flags() & ~Qt::ItemIsEditable);
    executable->setToolTip(text(kExecutableHint));
    executable->setData(Qt::AccessibleDescriptionRole, text(kExecutableHint));
    table_->setItem(row, 1, executable);
    auto* choice = new QComboBox;
    fillProfileBox(choice, rule.profile, false);
    choice->setEnabled(!damaged_);
    choice->setAccessibleName(text(kProfile) + QLatin1Char(' ') + application);
    connect(choice, &QComboBox::activated, this,
            [this, row](int index) { chooseProfile(row, index); });
    table_->setCellWidget(row, 2, choice);
    // A reader walking the table meets cells, not the boxes over them: the cell says the box.
    auto* profile = new QTableWidgetItem;
    profile->setFlags(profile->flags() & ~Qt::ItemIsEditable);
    profile->setData(Qt::AccessibleTextRole, choice->currentText());
    profile->setData(Qt::AccessibleDescriptionRole, choice->accessibleDescription());
    table_->setItem(row, 2, profile);
}

void ProfileRulesDialog::showRules() {
    // The selected rule stays selected where it is still there.
    const int selectedRow = table_->currentRow();
    std::optional<ProfileRule> selected;
    if (const QTableWidgetItem* name = table_->item(selectedRow, 0)) {
        selected =
            ProfileRule{name->text().toStdString(),
                        table_->item(selectedRow, 1)->data(kPathRole).toString().toStdString(),
                        {}};
    }
    const QSignalBlocker quietEnabled(enabled_), quietNotice(notice_), quietTable(table_);
    enabled_->setChecked(rules_.enabled);
    notice_->setChecked(rules_.notice);
    marks_ = ruleMarks(rules_, profiles_, known_);
    table_->setRowCount(static_cast<int>(rules_.rules.size()));
    for (int row = 0; row < table_->rowCount(); ++row) {
        showRow(row, marks_[static_cast<std::size_t>(row)]);
    }
    // The header's own sizing overlooks a styled box's border and arrow; size for the widest.
    int profileWidth = table_->horizontalHeader()->sectionSizeHint(2);
    for (int row = 0; row < table_->rowCount(); ++row) {
        profileWidth = std::max(profileWidth, profileBox(row)->sizeHint().width() + 4);
    }
    table_->horizontalHeader()->resizeSection(2, profileWidth);
    fillProfileBox(otherwise_, rules_.otherwise, true);
    const QString otherwiseProblem =
        rules_.otherwise
            ? profileProblem(profileState(profiles_, *rules_.otherwise), *rules_.otherwise)
            : QString();
    otherwiseProblem_->setText(otherwiseProblem);
    otherwiseProblem_->setVisible(!otherwiseProblem.isEmpty());
    for (QWidget* control : std::initializer_list<QWidget*>{enabled_, notice_, otherwise_, add_}) {
        control->setEnabled(!damaged_);
    }
    int row = -1;
    if (selected) {
        const auto same =
            std::find_if(rules_.rules.begin(), rules_.rules.end(), [&](const ProfileRule& rule) {
                return rule.application == selected->application &&
                       rule.executablePath == selected->executablePath;
            });
        row = same != rules_.rules.end() ? static_cast<int>(same - rules_.rules.begin())
                                         : std::min(selectedRow, table_->rowCount() - 1);
    }
    selectRule(row);
}

}  // namespace tq260
