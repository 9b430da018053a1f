#include "dialogs/profile_rules_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "config/profile_rules_file.h"
#include "controls/qt_text.h"
#include "dialogs/profile_rules_texts.h"
#include "profiles/profile_image.h"

namespace tq260 {

using namespace rules_text;

namespace {

// The program's dark look for standard widgets.
constexpr const char* kStyle =
    "QDialog { background-color: #141922; }"
    "QLabel, QCheckBox { color: #e6ebf0; }"
    "QLabel#source { color: #8fa3b8; }"
    "QLabel#problem, QLabel#ruleProblem, QLabel#otherwiseProblem { color: #ff8a65; }"
    "QLabel#note { color: #ffd27f; }"
    "QTableWidget { background-color: #1b2030; color: #e6ebf0; gridline-color: #2b3344;"
    " border: 1px solid #3a4256; selection-background-color: #1f6f8b; selection-color: #00ffff; }"
    "QHeaderView::section { background-color: #222a35; color: #e6ebf0; border: 0;"
    " border-right: 1px solid #3a4256; padding: 3px 6px; }"
    "QPushButton, QComboBox { color: #e6ebf0; background-color: #222a35;"
    " border: 1px solid #3fc8f0; border-radius: 3px; padding: 4px 14px; }"
    "QComboBox[marked=\"true\"] { color: #ff8a65; border-color: #ff8a65; }"
    "QPushButton:hover, QComboBox:hover { background-color: #2d3948; }"
    "QPushButton:disabled { color: #5c6675; border-color: #3a4256; }"
    "QPushButton:focus, QComboBox:focus { border: 2px solid #00ffff; }"
    "QCheckBox:focus { color: #00ffff; }"
    "QCheckBox::indicator { width: 13px; height: 13px; border: 1px solid #3fc8f0;"
    " background-color: #1b2030; }"
    "QCheckBox::indicator:checked { background-color: #3fc8f0; border-color: #00ffff; }"
    "QCheckBox::indicator:disabled { border-color: #3a4256; }"
    "QTableWidget:focus { border: 2px solid #00ffff; }"
    "QTableWidget QComboBox { margin: 1px 3px 1px 1px; }"
    "QTableWidget QLineEdit { background-color: #0f131a; color: #e6ebf0;"
    " border: 1px solid #00ffff; }"
    "QComboBox QAbstractItemView { background-color: #1b2030; color: #e6ebf0;"
    " selection-background-color: #1f6f8b; }"
    "QMenu { background: #1b2030; color: white; border: 1px solid #3a4256; padding: 3px; }"
    "QMenu::item { padding: 4px 22px 4px 14px; }"
    "QMenu::item:selected { background: #1f6f8b; color: #00ffff; }"
    "QMenu::item:disabled { color: #6f7a8a; }";

std::vector<ProfileEntry> profilesIn(ProfileStore& store) {
    if (store.folder().empty()) return {};
    store.reload();
    return profileEntries(store);
}

}  // namespace

// The Executable column's editor: the path itself, "any" shown only while not editing. The
// change rebuilds the table, so it runs once the editor is closed, and only on the rules the
// editor was opened over.
class ProfileRulesDialog::ExecutableDelegate final : public QStyledItemDelegate {
  public:
    explicit ExecutableDelegate(ProfileRulesDialog* dialog)
        : QStyledItemDelegate(dialog), dialog_(dialog) {
        connect(this, &QAbstractItemDelegate::closeEditor, dialog, [dialog] {
            dialog->editing_ = false;
            QTimer::singleShot(0, dialog, [dialog] { dialog->follow(); });
        });
    }
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        dialog_->editing_ = true;
        dialog_->editedShowing_ = dialog_->showing_;
        auto* editor = new QLineEdit(parent);
        editor->setAccessibleName(dialog_->text(kExecutable));
        editor->setAccessibleDescription(dialog_->text(kExecutableHint));
        return editor;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        static_cast<QLineEdit*>(editor)->setText(index.data(kPathRole).toString());
    }
    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override {
        const auto row = static_cast<std::size_t>(index.row());
        if (row >= dialog_->rules_.rules.size()) return;
        const ProfileRule edited = dialog_->rules_.rules[row];
        const QString path = static_cast<QLineEdit*>(editor)->text();
        QTimer::singleShot(0, dialog_,
                           [dialog = dialog_, edited, path, showing = dialog_->editedShowing_] {
                               const auto& rules = dialog->rules_.rules;
                               const auto at = std::find(rules.begin(), rules.end(), edited);
                               if (showing != dialog->showing_ || at == rules.end()) {
                                   dialog->say(dialog->text(kChangedElsewhere));
                                   return;
                               }
                               dialog->setExecutable(static_cast<int>(at - rules.begin()), path);
                           });
    }

  private:
    ProfileRulesDialog* dialog_;
};

ProfileRulesDialog::ProfileRulesDialog(ProfileRulesContext context, QWidget* parent)
    : QDialog(parent), context_(std::move(context)) {
    setObjectName(QStringLiteral("ProfileRulesDialog"));
    setModal(true);
    setWindowTitle(text(kTitle));
    setStyleSheet(QString::fromUtf8(kStyle));
    resize(660, 440);

    enabled_ = new QCheckBox(text(kEnabled), this);
    auto* source = new QLabel(context_.source, this);
    source->setObjectName(QStringLiteral("source"));
    source->setWordWrap(true);
    const auto label = [this](const char* name) {
        auto* made = new QLabel(this);
        made->setObjectName(QString::fromLatin1(name));
        made->setWordWrap(true);
        made->hide();
        return made;
    };
    problem_ = label("problem");
    note_ = label("note");
    ruleProblem_ = label("ruleProblem");
    otherwiseProblem_ = label("otherwiseProblem");

    table_ = new QTableWidget(0, 3, this);
    table_->setHorizontalHeaderLabels({text(kApplication), text(kExecutable), text(kProfile)});
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    table_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Fixed);
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    table_->setItemDelegateForColumn(1, new ExecutableDelegate(this));
    // F2 edits the row's executable from any of its cells.
    table_->installEventFilter(this);
    // Tab leaves the table for the buttons; arrows move between rules.
    table_->setTabKeyNavigation(false);
    table_->setAccessibleName(text(kRulesList));
    table_->setAccessibleDescription(context_.source);

    add_ = new QPushButton(text(kAdd), this);
    up_ = new QPushButton(text(kUp), this);
    down_ = new QPushButton(text(kDown), this);
    remove_ = new QPushButton(text(kRemove), this);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {add_, up_, down_, remove_}) buttons->addWidget(button);
    buttons->addStretch();
    auto* middle = new QHBoxLayout;
    middle->addWidget(table_, 1);
    middle->addLayout(buttons);

    auto* otherwiseLabel = new QLabel(text(kOtherwise), this);
    otherwise_ = new QComboBox(this);
    otherwiseLabel->setBuddy(otherwise_);
    auto* otherwiseRow = new QHBoxLayout;
    otherwiseRow->addWidget(otherwiseLabel);
    otherwiseRow->addWidget(otherwise_, 1);

    notice_ = new QCheckBox(text(kNotice), this);
    auto* close = new QPushButton(text(kClose), this);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(notice_);
    bottom->addStretch();
    bottom->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(enabled_);
    layout->addWidget(source);
    layout->addWidget(problem_);
    layout->addWidget(note_);
    layout->addLayout(middle, 1);
    layout->addWidget(ruleProblem_);
    layout->addLayout(otherwiseRow);
    layout->addWidget(otherwiseProblem_);
    layout->addLayout(bottom);

    store_.openIn(context_.dataFolder);
    watcher_ = new QFileSystemWatcher(this);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { follow(); });
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, [this] { follow(); });
    adopt(readProfileRules(context_.dataFolder), profilesIn(store_));
    // Which executables the desktop tells marks rules; shown again once known.
    askApplications([this] { showRules(); });

    connect(enabled_, &QCheckBox::toggled, this,
            [this](bool on) { change([on](ProfileRules& next) { next.enabled = on; }); });
    connect(notice_, &QCheckBox::toggled, this,
            [this](bool on) { change([on](ProfileRules& next) { next.notice = on; }); });
    connect(otherwise_, &QComboBox::activated, this, [this](int index) { chooseOtherwise(index); });
    connect(add_, &QPushButton::clicked, this, [this] { pickApplication(); });
    connect(up_, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(down_, &QPushButton::clicked, this, [this] { moveSelected(1); });
    connect(remove_, &QPushButton::clicked, this, [this] { removeSelected(); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(table_, &QTableWidget::itemSelectionChanged, this, [this] { updateButtons(); });
    updateButtons();
}

bool ProfileRulesDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2 && !damaged_) {
        if (QTableWidgetItem* executable = table_->item(table_->currentRow(), 1)) {
            table_->setCurrentItem(executable);
            table_->editItem(executable);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QComboBox* ProfileRulesDialog::profileBox(int row) const {
    return qobject_cast<QComboBox*>(table_->cellWidget(row, 2));
}

QString ProfileRulesDialog::text(const DialogText& t) const {
    return toQString(t.in(context_.language));
}

void ProfileRulesDialog::say(const QString& note) {
    note_->setText(note);
    note_->setVisible(!note.isEmpty());
}

void ProfileRulesDialog::watchFiles() {
    QStringList wanted{QString::fromStdU16String(context_.dataFolder.u16string())};
    if (!store_.folder().empty()) wanted << QString::fromStdU16String(store_.folder().u16string());
    // A file written in place is seen only by watching the file; one replaced, by its folder.
    const auto file = context_.dataFolder / kProfileRulesFileName;
    std::error_code error;
    if (std::filesystem::exists(file, error)) {
        wanted << QString::fromStdU16String(file.u16string());
    }
    const QStringList watched = watcher_->files() + watcher_->directories();
    for (const QString& path : wanted) {
        if (!watched.contains(path)) watcher_->addPath(path);
    }
}

void ProfileRulesDialog::adopt(const ProfileRulesReading& reading,
                               std::vector<ProfileEntry> profiles) {
    damaged_ = reading.state == ProfileRulesReading::State::Damaged;
    damage_ = reading.errors;
    if (damaged_ && !reading.errors.empty()) {
        const ConfigError& first = reading.errors.front();
        problem_->setText(
            text(kDamaged).arg(QString::fromStdString(first.path + ": " + first.message)));
    }
    problem_->setVisible(damaged_);
    rules_ = reading.rules;
    profiles_ = std::move(profiles);
    ++showing_;
    watchFiles();
    showRules();
}

bool ProfileRulesDialog::upToDate(bool sayWhenNot) {
    watchFiles();
    const ProfileRulesReading reading = readProfileRules(context_.dataFolder);
    std::vector<ProfileEntry> profiles = profilesIn(store_);
    const bool sameRules = (reading.state == ProfileRulesReading::State::Damaged) == damaged_ &&
                           reading.rules == rules_ && reading.errors == damage_;
    const bool sameProfiles = profiles == profiles_;
    if (sameRules && sameProfiles) return true;
    adopt(reading, std::move(profiles));
    if (sayWhenNot) say(text(sameRules ? kProfilesChanged : kChangedElsewhere));
    return false;
}

void ProfileRulesDialog::follow() {
    // What is typed is checked against the file when it is given.
    if (!editing_) upToDate(false);
}

bool ProfileRulesDialog::change(const std::function<void(ProfileRules&)>& edit) {
    if (!upToDate(true) || damaged_) return false;
    ProfileRules next = rules_;
    edit(next);
    if (next == rules_) return false;
    std::string why;
    if (!writeProfileRules(context_.dataFolder, next, why)) {
        context_.messages.warn(QString::fromStdString(why).toStdU16String(),
                               std::u16string(kProgramName.in(context_.language)));
        // The controls go back to what the file holds.
        showRules();
        return false;
    }
    rules_ = std::move(next);
    say({});
    showRules();
    return true;
}

std::vector<ProfileRule>::const_iterator ProfileRulesDialog::ruleForAnyExecutable(
    const std::string& id) const {
    return std::find_if(rules_.rules.begin(), rules_.rules.end(), [&](const ProfileRule& rule) {
        return rule.executablePath.empty() && sameIgnoringCase(rule.application, id);
    });
}

void ProfileRulesDialog::addApplication(const FrontApplication& application) {
    if (application.id.empty() || !upToDate(true) || damaged_) return;
    // A second rule for the same application would never apply: the first one is shown.
    const auto existing = ruleForAnyExecutable(application.id);
    if (existing != rules_.rules.end()) {
        selectRule(static_cast<int>(existing - rules_.rules.begin()));
        say(text(kAlreadyRuled).arg(QString::fromStdString(existing->application)));
        return;
    }
    if (rules_.rules.size() >= kMaxProfileRules) return;
    // A new rule gives the first profile that can be used; its row's list changes it.
    const auto usable = std::find_if(profiles_.begin(), profiles_.end(),
                                     [](const ProfileEntry& profile) { return !profile.empty; });
    if (usable == profiles_.end()) {
        context_.messages.tell(std::u16string(kNoProfiles.in(context_.language)),
                               std::u16string(kProgramName.in(context_.language)));
        return;
    }
    const ProfileRule rule{application.id, {}, usable->name};
    if (change([&rule](ProfileRules& next) { next.rules.push_back(rule); })) {
        selectRule(table_->rowCount() - 1);
    }
}

void ProfileRulesDialog::moveSelected(int by) {
    const int row = table_->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= static_cast<int>(rules_.rules.size())) return;
    if (change([row, to](ProfileRules& next) {
            std::swap(next.rules[static_cast<std::size_t>(row)],
                      next.rules[static_cast<std::size_t>(to)]);
        })) {
        selectRule(to);
    }
}

void ProfileRulesDialog::removeSelected() {
    const int row = table_->currentRow();
    if (row < 0 || row >= static_cast<int>(rules_.rules.size())) return;
    if (change([row](ProfileRules& next) { next.rules.erase(next.rules.begin() + row); })) {
        selectRule(std::min(row, table_->rowCount() - 1));
    }
}

void ProfileRulesDialog::chooseProfile(int row, int index) {
    const QComboBox* choice = profileBox(row);
    if (choice == nullptr || row >= static_cast<int>(rules_.rules.size()) || index < 0) return;
    const std::u16string profile =
        choice->itemData(index, kProfileRole).toString().toStdU16String();
    change([row, &profile](ProfileRules& next) {
        next.rules[static_cast<std::size_t>(row)].profile = profile;
    });
}

void ProfileRulesDialog::chooseOtherwise(int index) {
    const QVariant name = otherwise_->itemData(index, kProfileRole);
    change([&name](ProfileRules& next) {
        if (name.isValid()) {
            next.otherwise = name.toString().toStdU16String();
        } else {
            next.otherwise.reset();
        }
    });
}

void ProfileRulesDialog::setExecutable(int row, const QString& path) {
    if (row < 0 || row >= static_cast<int>(rules_.rules.size())) return;
    const std::string given = path.trimmed().toStdString();
    ProfileRule rule = rules_.rules[static_cast<std::size_t>(row)];
    std::size_t place = static_cast<std::size_t>(row);
    const bool written = change([&](ProfileRules& next) {
        next.rules.erase(next.rules.begin() + row);
        rule.executablePath = given;
        // Behind a rule for any of the application's executables it would never apply.
        if (!given.empty()) place = std::min(place, placeForRule(next, rule));
        next.rules.insert(next.rules.begin() + static_cast<std::ptrdiff_t>(place), rule);
    });
    if (!written) return;
    selectRule(static_cast<int>(place));
    if (!given.empty() && executableUntold(known_, rule.application)) {
        say(text(kUntold).arg(QString::fromStdString(rule.application)));
    }
}

void ProfileRulesDialog::askApplications(std::function<void()> then) {
    if (!context_.openApplications) return;
    context_.openApplications([window = QPointer<ProfileRulesDialog>(this), then = std::move(then)](
                                  std::vector<FrontApplication> open, bool listed) {
        if (window.isNull()) return;
        window->known_ = std::move(open);
        window->listed_ = listed;
        then();
    });
}

void ProfileRulesDialog::pickApplication() {
    if (picking_ || !menu_.isNull()) return;
    picking_ = true;
    say(text(kListing));
    askApplications([this] {
        picking_ = false;
        say({});
        showRules();
        showApplicationMenu();
    });
}

void ProfileRulesDialog::showApplicationMenu() {
    menu_ = new QMenu(this);
    menu_->setAttribute(Qt::WA_DeleteOnClose);
    if (!listed_) menu_->addAction(text(kNotListed))->setEnabled(false);
    // A screenful at most: the rest is named with Other….
    const std::size_t shown = std::min(known_.size(), static_cast<std::size_t>(kMaxOffered));
    for (std::size_t i = 0; i < shown; ++i) {
        const FrontApplication& application = known_[i];
        const QString id = QString::fromStdString(application.id);
        // Already given a profile: shown, so the list matches what is open, but not offered.
        // One with rules for given executables only may still get one for any other.
        if (ruleForAnyExecutable(application.id) != rules_.rules.end()) {
            menu_->addAction(text(kHasRule).arg(id))->setEnabled(false);
        } else {
            menu_->addAction(id, this, [this, application] { addApplication(application); });
        }
    }
    if (known_.size() > shown) {
        menu_->addAction(text(kMoreNotShown).arg(known_.size() - shown))->setEnabled(false);
    }
    if (known_.empty()) menu_->addAction(text(kNoneSeen))->setEnabled(false);
    menu_->addSeparator();
    menu_->addAction(text(kOther), this, [this] {
        QInputDialog ask(this);
        ask.setWindowTitle(text(kApplication));
        ask.setLabelText(text(kTypeId));
        // Over this window only, as every dialog of the program: the tray's menu stays usable.
        ask.setWindowModality(Qt::WindowModal);
        if (ask.exec() != QDialog::Accepted) return;
        const QString id = ask.textValue().trimmed();
        if (!id.isEmpty()) addApplication({id.toStdString(), {}, false});
    });
    // Not waited for: the window goes on serving its events while the menu is up.
    menu_->popup(add_->mapToGlobal(QPoint(0, add_->height())));
}

}  // namespace tq260
