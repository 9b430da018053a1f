#include "dialogs/profile_rules_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "config/profile_rules_file.h"
#include "controls/qt_text.h"

namespace tq260 {

namespace {

constexpr DialogText kTitle{u"Use for applications", u"用于应用程序"};
constexpr DialogText kEnabled{u"Switch profiles by the application in front",
                              u"按前台应用程序切换配置"};
constexpr DialogText kNotice{u"Say when the profile changes", u"切换配置时提示"};
constexpr DialogText kApplication{u"Application", u"应用程序"};
constexpr DialogText kExecutable{u"Executable", u"可执行文件"};
constexpr DialogText kProfile{u"Profile", u"配置"};
constexpr DialogText kRulesList{u"Rules, tried in this order", u"规则（按此顺序匹配）"};
constexpr DialogText kAnyExecutable{u"any", u"任意"};
constexpr DialogText kAdd{u"Add…", u"添加…"};
constexpr DialogText kUp{u"Up", u"上移"};
constexpr DialogText kDown{u"Down", u"下移"};
constexpr DialogText kRemove{u"Remove", u"删除"};
constexpr DialogText kClose{u"Close", u"关闭"};
constexpr DialogText kOtherwise{u"Every other application:", u"其他应用程序："};
constexpr DialogText kLeave{u"Leave as it is", u"保持不变"};
constexpr DialogText kNoneSeen{u"No application seen yet", u"尚未看到应用程序"};
constexpr DialogText kOther{u"Other…", u"其他…"};
constexpr DialogText kTypeId{u"The application's id (its window class, app id or .exe name):",
                             u"应用程序的标识（窗口类、应用 ID 或 .exe 名称）："};
constexpr DialogText kNoProfiles{u"There is no profile yet: make one in the profile window first.",
                                 u"还没有配置：请先在配置窗口中新建一个。"};
constexpr DialogText kDamaged{
    u"profile-rules.json cannot be used (%1). Mend or remove the file; it is not written over.",
    u"profile-rules.json 无法使用（%1）。请修改或删除该文件；程序不会覆盖它。"};

// The program's dark look for standard widgets.
constexpr const char* kStyle =
    "QDialog { background-color: #141922; }"
    "QLabel, QCheckBox { color: #e6ebf0; }"
    "QLabel#source { color: #8fa3b8; }"
    "QLabel#problem { color: #ff8a65; }"
    "QTableWidget { background-color: #1b2030; color: #e6ebf0; gridline-color: #2b3344;"
    " border: 1px solid #3a4256; selection-background-color: #1f6f8b; selection-color: #00ffff; }"
    "QHeaderView::section { background-color: #222a35; color: #e6ebf0; border: 0;"
    " border-right: 1px solid #3a4256; padding: 3px 6px; }"
    "QPushButton, QComboBox { color: #e6ebf0; background-color: #222a35;"
    " border: 1px solid #3fc8f0; border-radius: 3px; padding: 4px 14px; }"
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
    "QComboBox QAbstractItemView { background-color: #1b2030; color: #e6ebf0;"
    " selection-background-color: #1f6f8b; }"
    "QMenu { background: #1b2030; color: white; border: 1px solid #3a4256; padding: 3px; }"
    "QMenu::item { padding: 4px 22px 4px 14px; }"
    "QMenu::item:selected { background: #1f6f8b; color: #00ffff; }";

}  // namespace

ProfileRulesDialog::ProfileRulesDialog(ProfileRulesContext context, QWidget* parent)
    : QDialog(parent), context_(std::move(context)) {
    setObjectName(QStringLiteral("ProfileRulesDialog"));
    setModal(true);
    setWindowTitle(text(kTitle));
    setStyleSheet(QString::fromUtf8(kStyle));
    resize(620, 420);

    enabled_ = new QCheckBox(text(kEnabled), this);
    auto* source = new QLabel(context_.source, this);
    source->setObjectName(QStringLiteral("source"));
    source->setWordWrap(true);
    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("problem"));
    problem_->setWordWrap(true);
    problem_->hide();

    table_ = new QTableWidget(0, 3, this);
    table_->setHorizontalHeaderLabels({text(kApplication), text(kExecutable), text(kProfile)});
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Fixed);
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
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
    layout->addLayout(middle, 1);
    layout->addLayout(otherwiseRow);
    layout->addLayout(bottom);

    const auto reading = readProfileRules(context_.dataFolder);
    damaged_ = reading.state == ProfileRulesReading::State::Damaged;
    rules_ = reading.rules;
    if (damaged_ && !reading.errors.empty()) {
        const ConfigError& first = reading.errors.front();
        problem_->setText(
            text(kDamaged).arg(QString::fromStdString(first.path + ": " + first.message)));
        problem_->show();
    }
    showRules();

    connect(enabled_, &QCheckBox::toggled, this, [this](bool on) {
        rules_.enabled = on;
        changed();
    });
    connect(notice_, &QCheckBox::toggled, this, [this](bool on) {
        rules_.notice = on;
        changed();
    });
    connect(otherwise_, &QComboBox::activated, this, [this](int index) {
        if (index <= 0) {
            rules_.otherwise.reset();
        } else {
            rules_.otherwise = otherwise_->itemText(index).toStdU16String();
        }
        changed();
    });
    connect(add_, &QPushButton::clicked, this, [this] { pickApplication(); });
    connect(up_, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(down_, &QPushButton::clicked, this, [this] { moveSelected(1); });
    connect(remove_, &QPushButton::clicked, this, [this] { removeSelected(); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(table_, &QTableWidget::itemSelectionChanged, this, [this] { updateButtons(); });
    updateButtons();
}

void ProfileRulesDialog::updateButtons() {
    const int row = table_->currentRow();
    const bool selected = !damaged_ && row >= 0 && row < table_->rowCount();
    up_->setEnabled(selected && row > 0);
    down_->setEnabled(selected && row + 1 < table_->rowCount());
    remove_->setEnabled(selected);
}

void ProfileRulesDialog::selectRule(int row) {
    table_->selectRow(row);
    table_->setCurrentCell(row, 0);
    updateButtons();
}

QString ProfileRulesDialog::text(const DialogText& t) const {
    return toQString(t.in(context_.language));
}

void ProfileRulesDialog::showRules() {
    const QSignalBlocker quietEnabled(enabled_), quietNotice(notice_);
    enabled_->setChecked(rules_.enabled);
    notice_->setChecked(rules_.notice);
    // Every profile there is, and any a rule names that is not there (yet).
    QStringList profiles;
    for (const auto& name : context_.profiles) profiles << toQString(name);
    const auto offer = [&profiles](const std::u16string& name) {
        if (!profiles.contains(toQString(name))) profiles << toQString(name);
    };
    for (const ProfileRule& rule : rules_.rules) offer(rule.profile);
    if (rules_.otherwise) offer(*rules_.otherwise);

    table_->setRowCount(static_cast<int>(rules_.rules.size()));
    for (int row = 0; row < table_->rowCount(); ++row) {
        const ProfileRule& rule = rules_.rules[static_cast<std::size_t>(row)];
        table_->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(rule.application)));
        // A rule without a path matches the application whatever its executable.
        auto* executable = new QTableWidgetItem(rule.executablePath.empty()
                                                    ? text(kAnyExecutable)
                                                    : QString::fromStdString(rule.executablePath));
        if (rule.executablePath.empty()) executable->setForeground(QColor(0x8f, 0xa3, 0xb8));
        table_->setItem(row, 1, executable);
        auto* choice = new QComboBox;
        choice->addItems(profiles);
        choice->setCurrentText(toQString(rule.profile));
        choice->setEnabled(!damaged_);
        choice->setAccessibleName(text(kProfile) + QLatin1Char(' ') +
                                  QString::fromStdString(rule.application));
        connect(choice, &QComboBox::activated, this,
                [this, row](int index) { chooseProfile(row, index); });
        table_->setCellWidget(row, 2, choice);
    }
    // The header's own sizing overlooks a styled box's border and arrow; size for the widest.
    int profileWidth = table_->horizontalHeader()->sectionSizeHint(2);
    for (int row = 0; row < table_->rowCount(); ++row) {
        profileWidth = std::max(profileWidth, table_->cellWidget(row, 2)->sizeHint().width() + 4);
    }
    table_->horizontalHeader()->resizeSection(2, profileWidth);
    otherwise_->clear();
    otherwise_->addItem(text(kLeave));
    otherwise_->addItems(profiles);
    otherwise_->setCurrentIndex(
        rules_.otherwise ? otherwise_->findText(toQString(*rules_.otherwise)) : 0);
    for (QWidget* control : std::initializer_list<QWidget*>{enabled_, notice_, otherwise_, add_}) {
        control->setEnabled(!damaged_);
    }
}

void ProfileRulesDialog::changed() {
    if (damaged_) return;
    std::string why;
    if (!writeProfileRules(context_.dataFolder, rules_, why)) {
        context_.messages.warn(QString::fromStdString(why).toStdU16String(),
                               std::u16string(kProgramName.in(context_.language)));
    }
}

void ProfileRulesDialog::addApplication(const FrontApplication& application) {
    if (damaged_ || application.id.empty() || rules_.rules.size() >= kMaxProfileRules) return;
    // A second rule for the same application would never apply: the first one is shown.
    const auto existing =
        std::find_if(rules_.rules.begin(), rules_.rules.end(), [&](const ProfileRule& rule) {
            return rule.executablePath.empty() &&
                   sameIgnoringCase(rule.application, application.id);
        });
    if (existing != rules_.rules.end()) {
        selectRule(static_cast<int>(existing - rules_.rules.begin()));
        return;
    }
    // A new rule gives the first profile; its row's list changes it.
    if (context_.profiles.empty()) {
        context_.messages.tell(std::u16string(kNoProfiles.in(context_.language)),
                               std::u16string(kProgramName.in(context_.language)));
        return;
    }
    const std::u16string profile = context_.profiles.front();
    rules_.rules.push_back({application.id, {}, profile});
    changed();
    showRules();
    selectRule(table_->rowCount() - 1);
}

void ProfileRulesDialog::moveSelected(int by) {
    const int row = table_->currentRow();
    const int to = row + by;
    if (damaged_ || row < 0 || to < 0 || to >= static_cast<int>(rules_.rules.size())) return;
    std::swap(rules_.rules[static_cast<std::size_t>(row)],
              rules_.rules[static_cast<std::size_t>(to)]);
    changed();
    showRules();
    selectRule(to);
}

void ProfileRulesDialog::removeSelected() {
    const int row = table_->currentRow();
    if (damaged_ || row < 0 || row >= static_cast<int>(rules_.rules.size())) return;
    rules_.rules.erase(rules_.rules.begin() + row);
    changed();
    showRules();
    selectRule(std::min(row, table_->rowCount() - 1));
}

void ProfileRulesDialog::chooseProfile(int row, int index) {
    auto* choice = qobject_cast<QComboBox*>(table_->cellWidget(row, 2));
    if (damaged_ || choice == nullptr || row >= static_cast<int>(rules_.rules.size())) return;
    rules_.rules[static_cast<std::size_t>(row)].profile = choice->itemText(index).toStdU16String();
    changed();
}

void ProfileRulesDialog::pickApplication() {
    QMenu menu(this);
    const auto open =
        context_.openApplications ? context_.openApplications() : std::vector<FrontApplication>();
    for (const FrontApplication& application : open) {
        QAction* item = menu.addAction(QString::fromStdString(application.id),
                                       [this, application] { addApplication(application); });
        // Already given a profile: shown, so the list matches what is open, but not offered.
        item->setEnabled(
            std::none_of(rules_.rules.begin(), rules_.rules.end(), [&](const ProfileRule& rule) {
                return sameIgnoringCase(rule.application, application.id);
            }));
    }
    if (open.empty()) menu.addAction(text(kNoneSeen))->setEnabled(false);
    menu.addSeparator();
    menu.addAction(text(kOther), [this] {
        bool ok = false;
        const QString id = QInputDialog::getText(this, text(kApplication), text(kTypeId),
                                                 QLineEdit::Normal, {}, &ok)
                               .trimmed();
        if (ok && !id.isEmpty()) addApplication({id.toStdString(), {}, false});
    });
    menu.exec(add_->mapToGlobal(QPoint(0, add_->height())));
}

}  // namespace tq260
