#include "app/qt_platform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTimer>
#include <QUrl>
#include <algorithm>

namespace tq260 {

std::u16string toU16(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

void QtMainThreadQueue::post(std::function<void()> task) {
    if (context_) QMetaObject::invokeMethod(context_, std::move(task), Qt::QueuedConnection);
}

void QtMainThreadQueue::postAfter(int ms, std::function<void()> task) {
    if (!context_) return;
    // Timers belong to the context's thread; from elsewhere, get there first.
    QMetaObject::invokeMethod(
        context_,
        [context = context_, ms, task = std::move(task)]() mutable {
            if (context) QTimer::singleShot(ms, context, std::move(task));
        },
        Qt::QueuedConnection);
}

namespace {

// A box or chooser opened while a dialog is up belongs to that dialog, so it shows over it.
QWidget* ownerFor(QWidget* owner) {
    QWidget* modal = QApplication::activeModalWidget();
    return modal != nullptr ? modal : owner;
}

}  // namespace

std::unique_ptr<QMessageBox> makeMessageBox(QWidget* owner, const std::u16string& text,
                                            const std::u16string& caption, BoxKind kind) {
    const QMessageBox::Icon icon = kind == BoxKind::Ask    ? QMessageBox::Question
                                   : kind == BoxKind::Warn ? QMessageBox::Warning
                                                           : QMessageBox::Information;
    auto box = std::make_unique<QMessageBox>(
        icon, toQString(caption), toQString(text),
        kind == BoxKind::Ask ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, owner);
    // Over its window only: the notification area's menu stays usable meanwhile.
    box->setWindowModality(Qt::WindowModal);
    // The program's dark look, not the desktop's light one.
    box->setStyleSheet(QStringLiteral(
        "QMessageBox { background-color: #141922; }"
        "QMessageBox QLabel { color: #e6ebf0; }"
        "QMessageBox QPushButton { color: #e6ebf0; background-color: #222a35;"
        " border: 1px solid #3fc8f0; border-radius: 3px; padding: 4px 18px; min-width: 60px; }"
        "QMessageBox QPushButton:hover { background-color: #2d3948; }"
        "QMessageBox QPushButton:pressed { background-color: #18202a; }"
        // The button Enter or Space answers with, marked as the windows mark their focus.
        "QMessageBox QPushButton:focus { border: 2px solid #00ffff; padding: 3px 17px; }"));
    return box;
}

void QtMessageBoxes::tell(const std::u16string& text, const std::u16string& caption) {
    makeMessageBox(ownerFor(owner_), text, caption, BoxKind::Tell)->exec();
}

void QtMessageBoxes::warn(const std::u16string& text, const std::u16string& caption) {
    makeMessageBox(ownerFor(owner_), text, caption, BoxKind::Warn)->exec();
}

bool QtMessageBoxes::ask(const std::u16string& text, const std::u16string& caption) {
    return makeMessageBox(ownerFor(owner_), text, caption, BoxKind::Ask)->exec() == QMessageBox::Ok;
}

std::size_t QtMessageBoxes::choose(const std::u16string& text, const std::u16string& caption,
                                   const std::vector<std::u16string>& answers) {
    const auto box = makeMessageBox(ownerFor(owner_), text, caption, BoxKind::Ask);
    box->setStandardButtons(QMessageBox::NoButton);
    std::vector<QPushButton*> buttons;
    for (const std::u16string& answer : answers) {
        const bool last = &answer == &answers.back();
        buttons.push_back(box->addButton(toQString(answer),
                                         last ? QMessageBox::RejectRole : QMessageBox::AcceptRole));
    }
    if (buttons.empty()) return 0;
    box->setDefaultButton(buttons.front());
    box->setEscapeButton(buttons.back());
    box->exec();
    const auto chosen = std::find(buttons.begin(), buttons.end(), box->clickedButton());
    // Closed without a button: the last answer, the one that changes nothing.
    if (chosen == buttons.end()) return answers.size() - 1;
    return static_cast<std::size_t>(chosen - buttons.begin());
}

bool QtProgramStarter::start(const std::u16string& program, const std::u16string& parameters) {
    QStringList arguments;
    if (!parameters.empty()) arguments << toQString(parameters);
    const QString path = toQString(program);
    return QProcess::startDetached(path, arguments, QFileInfo(path).absolutePath());
}

bool QtProgramStarter::openWebPage(const std::u16string& address) {
#ifdef _WIN32
    return start(u"IEXPLORE.EXE", address);
#else
    return QDesktopServices::openUrl(QUrl(toQString(address)));
#endif
}

ShellLauncher::Result QtShellLauncher::open(const std::u16string& folder,
                                            const std::u16string& file) {
    const QString path = QDir(toQString(folder)).filePath(toQString(file));
    if (!QFileInfo::exists(path)) return Result::NotFound;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path)) ? Result::Opened : Result::Failed;
}

namespace {

QString filterOf(const FilePickers::Request& request) {
    return toQString(request.filterName) + QStringLiteral(" (") + toQString(request.filterPattern) +
           QStringLiteral(")");
}

// Leaves out the files a chooser must not offer.
class HiddenFiles final : public QSortFilterProxyModel {
  public:
    HiddenFiles(const std::vector<std::u16string>& hidden, QObject* parent)
        : QSortFilterProxyModel(parent) {
        for (const std::u16string& file : hidden) {
            hidden_ << QFileInfo(toQString(file)).absoluteFilePath();
        }
    }

  protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files == nullptr) return true;
        return !hidden_.contains(
            QFileInfo(files->filePath(files->index(row, 0, parent))).absoluteFilePath());
    }

  private:
    QStringList hidden_;
};

std::optional<std::u16string> chosen(const QString& path) {
    if (path.isEmpty()) return std::nullopt;
    return toU16(QDir::toNativeSeparators(path));
}

}  // namespace

std::optional<std::u16string> QtFilePickers::openFile(const Request& request) {
    QFileDialog dialog(ownerFor(owner_), toQString(request.title), toQString(request.folder),
                       filterOf(request));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return chosen(dialog.selectedFiles().front());
}

std::optional<std::u16string> QtFilePickers::saveFile(const Request& request) {
    QFileDialog dialog(ownerFor(owner_), toQString(request.title), toQString(request.folder),
                       filterOf(request));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setWindowModality(Qt::WindowModal);
    // The dialog adds the suffix before it asks about replacing, so it asks about the file
    // that will be written.
    dialog.setDefaultSuffix(toQString(request.defaultSuffix));
    if (request.mustExist) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.hidden.empty()) {
        // Only the program's own chooser takes a filter; the system's would offer them all.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setProxyModel(new HiddenFiles(request.hidden, &dialog));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return chosen(dialog.selectedFiles().front());
}

std::optional<std::u16string> QtFilePickers::folder(const Request& request) {
    QFileDialog dialog(ownerFor(owner_), toQString(request.title), toQString(request.folder));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return chosen(dialog.selectedFiles().front());
}

}  // namespace tq260
