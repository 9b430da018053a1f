// The launch page of the key dialogs: its grid of kinds, and the choosers that pick the
// file or folder a key opens.
#include <QDir>
#include <QFileInfo>

#include "dialogs/key_assignment_dialog.h"

namespace tq260 {

namespace {

struct FileKind {
    std::u16string_view name;     // the chooser's filter text
    std::u16string_view pattern;  // its file pattern
};

constexpr FileKind kFileKinds[] = {
    {u"mp3 Files", u"*.mp3"},
    {u"exe Files", u"*.exe"},
    {u"txt Files", u"*.txt"},
};

constexpr int kFolderRow = 3;

}  // namespace

QString KeyAssignmentDialog::pathText(const std::array<char16_t, kLaunchPathCapacity>& path) {
    const auto end = std::find(path.begin(), path.end(), u'\0');
    return QString::fromUtf16(path.data(), static_cast<qsizetype>(end - path.begin()));
}

void KeyAssignmentDialog::clickLaunchGrid(QPoint point) {
    AssignmentRequest& q = *request_;
    const int cell = launchCellAt(point);
    const int row = cell / kLaunchColumns;
    if (cell >= 0 && cell % kLaunchColumns == 0) {
        state_.gridMark = cell;
        state_.launchKind = row;
        q.launchPath.fill(0);
        choiceMade();
    } else if (cell >= 0 && cell % kLaunchColumns == 3) {
        if (runPicker(row)) {
            state_.launchKind = row;
            state_.gridMark = kLaunchColumns * row;
            q.type = static_cast<AssignmentType>(static_cast<int>(AssignmentType::LaunchMp3) + row);
            choiceMade();
        }
    } else if (cell < 0 && state_.launchKind == -1) {
        state_.gridMark = -1;
        q.type = AssignmentType::Disable;
    }
    update();
}

std::u16string KeyAssignmentDialog::pickerFolder() const {
    // Where the key's file or folder already is, when that still exists; else home.
    for (const QString& path : {pathText(request_->launchPath), pathText(record_->launchPath)}) {
        const QFileInfo file(path);
        if (!path.isEmpty() && file.isAbsolute() && file.dir().exists()) {
            return QDir::toNativeSeparators(file.absolutePath()).toStdU16String();
        }
    }
    return QDir::toNativeSeparators(QDir::homePath()).toStdU16String();
}

bool KeyAssignmentDialog::runPicker(int row) {
    FilePickers::Request request;
    request.folder = pickerFolder();
    std::optional<std::u16string> chosen;
    if (row == kFolderRow) {
        request.title = text(variant_.folderPickerTitle).toStdU16String();
        chosen = context_.pickers.folder(request);
        if (chosen && chosen->empty()) {
            tell(text(variant_.emptyFolderMessage));
            return false;
        }
    } else if (row >= 0 && row < kFolderRow) {
        const FileKind& kind = kFileKinds[row];
        request.title =
            text(u"Choose the file this key opens", u"选择此按键打开的文件").toStdU16String();
        request.filterName = kind.name;
        request.filterPattern = kind.pattern;
        request.mustExist = true;
        chosen = context_.pickers.openFile(request);
    }
    return chosen && takeLaunchPath(*chosen);
}

bool KeyAssignmentDialog::takeLaunchPath(const std::u16string& path) {
    // The record keeps 255 characters; a longer path would be cut and open nothing.
    if (path.size() >= kLaunchPathCapacity) {
        warn(text(u"This path is too long: a key can open paths of at most 255 characters.",
                  u"路径过长：按键只能打开不超过 255 个字符的路径。"));
        return false;
    }
    request_->launchPath.fill(0);
    std::copy(path.begin(), path.end(), request_->launchPath.begin());
    return true;
}

}  // namespace tq260
