#include "dialogs/configure_dlg.h"

#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>

#include "config/profile_rules_file.h"
#include "controls/qt_text.h"
#include "controls/skin_folder.h"
#include "controls/skin_image.h"
#include "controls/window_messages.h"
#include "dialogs/profile_damage_text.h"
#include "dialogs/profile_dialog_layout.h"
#include "profiles/profile_image.h"

namespace tq260 {

namespace {

const QColor kSelectedText(0, 255, 255);
constexpr int kShadowOffset = 2;
const QString kBackground = QStringLiteral("Config.png");

std::filesystem::path pathOf(const std::u16string& text) {
    return std::filesystem::path(text);
}

QString shown(const std::filesystem::path& file) {
    return toQString(file.u16string());
}

}  // namespace

CConfigureDlg::CConfigureDlg(ProfileDialogContext context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      context_(std::move(context)),
      store_(context_.store) {
    setObjectName(QStringLiteral("CConfigureDlg"));
    setModal(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(text(kProgramName));

    list_ = new CTransparentListBox(this);
    list_->listMode = CTransparentListBox::RenameRows;
    list_->setSorted(true);
    list_->configure(kProfileListFontHeight, QStringLiteral("Arial"), Qt::white, kSelectedText,
                     true, kShadowOffset, Qt::black);
    list_->setGeometry(kProfileListGeometry);
    list_->setContextMenuPolicy(Qt::PreventContextMenu);
    list_->viewport()->installEventFilter(this);
    list_->installEventFilter(this);

    menu_ = new QMenu(this);
    menu_->setStyleSheet(QStringLiteral(
        "QMenu { background: #1b2030; color: white; border: 1px solid #3a4256; padding: 3px; }"
        "QMenu::item { padding: 4px 22px 4px 14px; }"
        "QMenu::item:selected { background: #1f6f8b; color: #00ffff; }"));
    QFont font(QStringLiteral("Arial"));
    setCellHeight(font, 13);
    menu_->setFont(font);
    // Each item runs once the menu has closed and the event that chose it has been answered:
    // most open a window of their own (a message, a file chooser, the rules), and a screen
    // reader that chose the item through its action would otherwise wait for that window.
    for (const ProfileMenuItem& item : kProfileMenu) {
        QAction* action = menu_->addAction(text(item.text));
        connect(
            action, &QAction::triggered, this,
            [this, command = item.command] { runCommand(command); }, Qt::QueuedConnection);
    }
    rulesSeparator_ = menu_->addSeparator();
    rulesSeparator_->setVisible(false);
    rulesItem_ = menu_->addAction(text(kUseForApplications));
    connect(
        rulesItem_, &QAction::triggered, this,
        [this] {
            settleRename();
            if (openRules_) openRules_();
        },
        Qt::QueuedConnection);
    rulesItem_->setVisible(false);
    list_->setAccessibleName(text(kProfileTitle));
    list_->setAccessibleDescription(
        text({u"Enter uses the profile; the menu key or Shift+F10 opens its menu.",
              u"回车使用所选配置；菜单键或 Shift+F10 打开菜单。"}));
    stops_ = new FocusStops(this, [this] { return focusStopsNow(); });
}

void CConfigureDlg::setRulesOpener(std::function<void()> open) {
    openRules_ = std::move(open);
    const bool shown = static_cast<bool>(openRules_);
    rulesItem_->setVisible(shown);
    rulesSeparator_->setVisible(shown);
}

CConfigureDlg::~CConfigureDlg() {
    stops_->release();
}

QString CConfigureDlg::text(const DialogText& t) const {
    return toQString(t.in(context_.language));
}

void CConfigureDlg::tell(const QString& message, const DialogText& caption) {
    context_.messages.tell(message.toStdU16String(), std::u16string(caption.in(context_.language)));
}

void CConfigureDlg::warn(const QString& message, const DialogText& caption) {
    context_.messages.warn(message.toStdU16String(), std::u16string(caption.in(context_.language)));
}

QString CConfigureDlg::skinFolder() const {
    return tq260::skinFolder(context_.applicationFolder, SkinWindow::Profiles, context_.language);
}

// ---- Opening and closing -------------------------------------------------------------

void CConfigureDlg::prepare(const QRect& mainWindow) {
    resize(images_.image(skinFolder() + kBackground).size());
    move(mainWindow.topLeft() - QPoint(1, 1));
    list_->setGeometry(kProfileListGeometry);
    const ProfileStore::Outcome opened =
        store_.openIn(pathOf(context_.dataFolder.toStdU16String()));
    showProfiles();
    stops_->sync();
    list_->setFocus(Qt::OtherFocusReason);
    if (opened.result != ProfileStore::Result::Done) {
        warn(text(kProfileFolderFailed).arg(shown(opened.file)), kProfileCaption);
    }
}

void CConfigureDlg::run(const QRect& mainWindow, std::function<void(const std::u16string&)> use) {
    use_ = std::move(use);
    prepare(mainWindow);
    exec();
}

void CConfigureDlg::done(int result) {
    // A name being typed is kept, as leaving the edit any other way keeps it.
    settleRename();
    QDialog::done(result);
}

void CConfigureDlg::showProfiles(const std::u16string& select) {
    list_->clear();
    shown_ = store_.names();
    for (std::size_t row = 0; row < store_.names().size(); ++row) {
        const QString name = toQString(store_.names()[row]);
        QListWidgetItem* item = list_->item(list_->addRow(name));
        // Marked as the tray's menu marks it: there is nothing in it to use yet, or what is in
        // it the keyboard does not take.
        const ProfileCheck::State state = checkProfile(store_.pathOf(row)).state;
        if (state == ProfileCheck::State::Empty || state == ProfileCheck::State::Damaged) {
            const QString note =
                text(state == ProfileCheck::State::Empty ? kEmptyNote : kDamagedNote);
            item->setData(CTransparentListBox::kNoteRole, note);
            item->setData(Qt::AccessibleTextRole, name + u' ' + note);
        }
    }
    if (!select.empty()) {
        const QList<QListWidgetItem*> found =
            list_->findItems(toQString(select), Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (!found.isEmpty()) list_->setCurrentItem(found.front());
    }
    markActive();
}

void CConfigureDlg::markActive() {
    const QString active = toQString(store_.activeName());
    for (int row = 0; row < list_->count(); ++row) {
        QListWidgetItem* item = list_->item(row);
        item->setData(CTransparentListBox::kMarkRole, !active.isEmpty() && item->text() == active);
    }
    list_->viewport()->update();
}

void CConfigureDlg::followDisk() {
    if (telling_ || list_->editor() != nullptr || pendingRename_) {
        markActive();
        return;
    }
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    const std::u16string keep =
        selected.isEmpty() ? std::u16string() : selected.front()->text().toStdU16String();
    store_.reload();
    showProfiles(keep);
}

void CConfigureDlg::tellChanged() {
    if (!changed_) return;
    telling_ = true;
    changed_();
    telling_ = false;
}

void CConfigureDlg::settleRename() {
    list_->endEdit(true);
    if (!pendingRename_) return;
    const PendingRename rename = *pendingRename_;
    pendingRename_.reset();
    renameProfile(rename.oldName, rename.newName);
}

std::optional<std::size_t> CConfigureDlg::selectedRow() const {
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) return std::nullopt;
    return store_.rowOf(selected.front()->text().toStdU16String());
}

bool CConfigureDlg::report(const ProfileStore::Outcome& outcome, const QString& name) {
    using Result = ProfileStore::Result;
    switch (outcome.result) {
        case Result::Done:
            return true;
        case Result::Full:
            tell(text(kSixProfiles), kProfileCaption);
            break;
        case Result::KeepOne:
            tell(text(kKeepAProfile), kProfileCaption);
            break;
        case Result::BadName:
            warn(text(kBadProfileName), kProfileCaption);
            break;
        case Result::Empty:
            warn(text(kEmptyProfile).arg(shown(outcome.file)), kProfileCaption);
            break;
        case Result::ReadFailed:
            warn(text(kProfileReadFailed).arg(shown(outcome.file)), kProfileCaption);
            break;
        case Result::Damaged:
            warn(profileDamageText(outcome, context_.language), kProfileCaption);
            break;
        case Result::WriteFailed:
            warn(text(kProfileWriteFailed).arg(shown(outcome.file)), kProfileCaption);
            break;
        case Result::RenameFailed:
            warn(text(kRenameFailed) + QStringLiteral("\n") + shown(outcome.file), kProgramName);
            break;
        case Result::DeleteFailed:
            warn(text(kProfileDeleteFailed).arg(shown(outcome.file)), kProfileCaption);
            break;
        case Result::NameTaken:
            warn(text(kProfileNameTaken).arg(name), kProfileCaption);
            break;
        case Result::Ignored:
            break;
    }
    return false;
}

std::vector<std::filesystem::path> CConfigureDlg::ownDataFiles() const {
    const std::filesystem::path data = pathOf(context_.dataFolder.toStdU16String());
    return {data / "keymap.bin", data / "MacroDefine.bin", data / "VirtualKeyboard.bin",
            pathOf(context_.applicationFolder.toStdU16String()) / "VER.bin"};
}

QString CConfigureDlg::rulesLosing(const std::u16string& name) const {
    const ProfileRulesReading reading =
        readProfileRules(pathOf(context_.dataFolder.toStdU16String()));
    const ProfileMentions mentions = rulesNaming(reading.rules, name);
    QStringList applications;
    for (const std::size_t i : mentions.rules) {
        const QString application = QString::fromStdString(reading.rules.rules[i].application);
        if (!applications.contains(application)) applications << application;
    }
    if (mentions.otherwise) applications << text(kEveryOtherApplication);
    if (applications.isEmpty()) return {};
    return text(kDeleteLosesRules)
        .arg(applications.join(context_.language == Language::Chinese ? QStringLiteral("、")
                                                                      : QStringLiteral(", ")));
}

FilePickers::Request CConfigureDlg::pickerRequest() const {
    FilePickers::Request request;
    request.folder = context_.dataFolder.toStdU16String();
    request.filterName = std::u16string(kFileFilterName.in(context_.language));
    request.filterPattern = u"*.bin";
    return request;
}

// ---- The operations ------------------------------------------------------------------

void CConfigureDlg::runCommand(int command) {
    settleRename();
    switch (command) {
        case kProfileUseCommand:
            useProfile();
            break;
        case kProfileNewCommand:
            newProfile();
            break;
        case kProfileCopyCommand:
            copyProfile();
            break;
        case kProfileSaveCommand:
            saveProfile();
            break;
        case kProfileExportCommand:
            exportProfile();
            break;
        case kProfileLoadCommand:
            loadProfile();
            break;
        case kProfileDeleteCommand:
            deleteProfile();
            break;
        default:
            break;
    }
}

void CConfigureDlg::useProfile() {
    settleRename();
    const auto row = selectedRow();
    if (!row) {
        tell(text(kSelectToUse), kProfileCaption);
        return;
    }
    // By name, copied: the window reads the folder again before it uses it.
    const std::u16string name = store_.names()[*row];
    if (use_) use_(name);
    markActive();
}

void CConfigureDlg::newProfile() {
    settleRename();
    const std::u16string name = ProfileStore::defaultName(store_.names());
    report(store_.create());
    showProfiles(name);
    tellChanged();
}

void CConfigureDlg::copyProfile() {
    const auto row = selectedRow();
    if (!row) {
        tell(text(kSelectToCopy), kProfileCaption);
        return;
    }
    const std::u16string copy =
        ProfileStore::copyName(store_.names()[*row], store_.names(), context_.language);
    report(store_.copy(*row, context_.language));
    showProfiles(copy);
    tellChanged();
}

void CConfigureDlg::saveProfile() {
    const auto row = selectedRow();
    if (!row) {
        tell(text(kSelectToSave), kProfileCaption);
        return;
    }
    // Into the profile only: a copy elsewhere is Export's. The profile saved into is the one
    // in use from now on, as when the tool saves one.
    const std::u16string name = store_.names()[*row];
    if (report(store_.save(*row, context_.live))) report(store_.setActive(name));
    showProfiles(name);  // no longer empty, and marked
    tellChanged();
}

void CConfigureDlg::exportProfile() {
    const auto row = selectedRow();
    if (!row) {
        tell(text(kSelectToExport), kProfileCaption);
        return;
    }
    const std::u16string name = store_.names()[*row];
    // The export may be a new file; the chooser asks before replacing one. It starts in the
    // home folder, away from the program's own files, and never offers those.
    FilePickers::Request request = pickerRequest();
    request.title = text(kExportTitle).arg(toQString(name)).toStdU16String();
    request.folder = QDir::homePath().toStdU16String();
    request.mustExist = false;
    // A name typed without it gets ".bin", so the export can be loaded back.
    request.defaultSuffix = u"bin";
    const std::vector<std::filesystem::path> own = ownDataFiles();
    for (const std::filesystem::path& file : own) request.hidden.push_back(file.u16string());
    const auto chosen = context_.pickers.saveFile(request);
    if (!chosen) return;
    std::error_code error;
    std::filesystem::path target = std::filesystem::weakly_canonical(pathOf(*chosen), error);
    if (error) target = pathOf(*chosen);
    for (const std::filesystem::path& file : own) {
        // The same file by any name: a link to keymap.bin is keymap.bin.
        if (target == std::filesystem::weakly_canonical(file, error) ||
            std::filesystem::equivalent(target, file, error)) {
            warn(text(kExportOwnFile).arg(shown(target.filename())), kProfileCaption);
            return;
        }
    }
    const ProfileStore::Outcome exported = store_.exportTo(*row, target);
    if (exported.result == ProfileStore::Result::Empty) {
        warn(text(kEmptyExport).arg(shown(exported.file)), kProfileCaption);
        return;
    }
    report(exported);
}

void CConfigureDlg::loadProfile() {
    const auto row = selectedRow();
    if (!row) {
        tell(text(kSelectToOpen), kProfileCaption);
        return;
    }
    // Profiles are what is loaded most: the chooser starts among them.
    FilePickers::Request request = pickerRequest();
    request.folder = store_.folder().u16string();
    const auto chosen = context_.pickers.openFile(request);
    // Cancelled: nothing changes, neither the configuration nor the profile's file.
    if (!chosen) return;
    const std::u16string name = store_.names()[*row];
    report(store_.load(*row, pathOf(*chosen), context_.live));
    showProfiles(name);
    tellChanged();
}

void CConfigureDlg::deleteProfile() {
    settleRename();
    if (store_.names().size() == 1) {
        tell(text(kKeepAProfile), kProfileCaption);
        return;
    }
    const auto row = selectedRow();
    if (!row) {
        tell(text(kSelectToDeleteProfile), kProfileCaption);
        return;
    }
    // The profile is taken by its name: the rows may change while the question is up.
    const std::u16string name = store_.names()[*row];
    QString question = text(kDeleteProfile).arg(toQString(name));
    if (const QString losing = rulesLosing(name); !losing.isEmpty()) {
        question += QStringLiteral("\n\n") + losing;
    }
    const bool confirmed = context_.messages.ask(
        question.toStdU16String(), std::u16string(kProfileCaption.in(context_.language)));
    store_.reload();
    if (const auto still = store_.rowOf(name); confirmed && still) {
        report(store_.remove(*still));
        showProfiles();
        tellChanged();
    } else {
        showProfiles(name);
    }
}

void CConfigureDlg::renameProfile(const std::u16string& oldName, const QString& newName) {
    store_.reload();
    const auto row = store_.rowOf(oldName);
    // Gone meanwhile (another program): the rename fails on its file, as a rename whose file
    // cannot be moved does.
    const ProfileStore::Outcome outcome =
        row ? store_.rename(*row, newName.toStdU16String())
            : ProfileStore::Outcome{ProfileStore::Result::RenameFailed,
                                    store_.folder() / std::filesystem::path(oldName + u".bin")};
    report(outcome, newName);
    if (outcome.result == ProfileStore::Result::Done) {
        // The rules that gave the profile go on giving it, under its new name.
        std::string why;
        if (!carryRulesToRenamedProfile(pathOf(context_.dataFolder.toStdU16String()), oldName,
                                        outcome.file.stem().u16string(), why)) {
            warn(text(kRulesNotRenamed).arg(toQString(oldName), QString::fromStdString(why)),
                 kProfileCaption);
        }
    }
    // The renamed profile stays selected, under the name the store gave its file.
    showProfiles(outcome.result == ProfileStore::Result::Done ? outcome.file.stem().u16string()
                                                              : std::u16string());
    tellChanged();
}

// ---- Messages, mouse and keys --------------------------------------------------------

bool CConfigureDlg::event(QEvent* event) {
    if (const auto* message = asWindowMessage(event);
        message != nullptr && message->message() == WM_LIST_ITEM_EDITED) {
        // The old row is a row of the names shown (the store may have been read again since,
        // by the window, the tray or the bus); the new text is at the row the list put it in.
        const auto oldRow = static_cast<std::size_t>(message->wParam());
        const int newRow = static_cast<int>(message->lParam() & 0xFF);
        const QString newName = newRow < list_->count() ? list_->item(newRow)->text() : QString();
        if (oldRow >= shown_.size()) return true;
        // After the list has finished its own edit, or before anything else acts on the list.
        pendingRename_ = PendingRename{shown_[oldRow], newName};
        QTimer::singleShot(0, this, [this] { settleRename(); });
        return true;
    }
    return QDialog::event(event);
}

bool CConfigureDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        menu_->exec(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
    }
    // The menu from the keyboard too: the Menu key or Shift+F10, at the selected row.
    if (watched == list_ && event->type() == QEvent::KeyPress &&
        list_->asksForMenu(*static_cast<QKeyEvent*>(event))) {
        menu_->popup(list_->menuPosition());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CConfigureDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint at = event->position().toPoint();
        if (kProfileCloseArea.contains(at)) {
            done(QDialog::Accepted);
        } else if (kProfileNewArea.contains(at)) {
            newProfile();
        } else if (kProfileDeleteArea.contains(at)) {
            deleteProfile();
        }
    }
    QDialog::mouseReleaseEvent(event);
}

void CConfigureDlg::keyPressEvent(QKeyEvent* event) {
    // Enter never closes the dialog: it finishes a rename being typed (the edit takes it
    // before it comes here), and otherwise uses the selected profile. Escape closes.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        if (list_->editor() == nullptr && !event->isAutoRepeat() && selectedRow()) useProfile();
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---- Painting ------------------------------------------------------------------------

void CConfigureDlg::paintEvent(QPaintEvent*) {
    const QString folder = skinFolder();
    images_.setDevicePixelRatio(devicePixelRatioF());
    QImage picture = images_.image(folder + kBackground).image().copy();
    if (picture.isNull()) return;
    {
        QPainter p(&picture);
        drawLabel(p, text(kProfileTitle), kProfileTitleAt.x(), kProfileTitleAt.y(),
                  kProfileTitleHeight);
        images_.draw(p, folder, QStringLiteral("button-close-normal.png"), kProfileCloseAt.x(),
                     kProfileCloseAt.y());
        images_.draw(p, folder, QStringLiteral("New.png"), kProfileNewAt.x(), kProfileNewAt.y());
        drawLabel(p, text(kProfileNewLabel), kProfileNewLabelAt.x(), kProfileNewLabelAt.y(),
                  kProfileButtonLabelHeight);
        images_.draw(p, folder, QStringLiteral("Delete.png"), kProfileDeleteAt.x(),
                     kProfileDeleteAt.y());
        drawLabel(p, text(kProfileDeleteLabel), kProfileDeleteLabelAt.x(),
                  kProfileDeleteLabelAt.y(), kProfileButtonLabelHeight);
    }
    showComposed(*this, picture);
}

QImage CConfigureDlg::render() {
    return grab().toImage();
}

}  // namespace tq260
