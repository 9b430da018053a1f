#include "dialogs/macro_record_dlg.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpressionValidator>
#include <QWindow>

#include "controls/qt_text.h"
#include "controls/skin_folder.h"
#include "controls/skin_image.h"
#include "controls/window_messages.h"

namespace tq260 {

namespace {

constexpr int kNameSyncMs = 100;
constexpr int kLoopDigits = 3;
constexpr int kListFontHeight = 16;
constexpr int kShadowOffset = 2;
const QColor kSelectedText(0, 255, 255);

}  // namespace

CMacroRecordDlg::CMacroRecordDlg(MacroManagerContext context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      context_(std::move(context)),
      editor_(context_.keyNames, context_.hook, context_.clock) {
    setObjectName(QStringLiteral("CMacroRecordDlg"));
    setModal(true);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(text(kProgramName));

    macroList_ = new CTransparentListBox(this);
    setUpList(macroList_, CTransparentListBox::PlainRows, kManagerMacroListGeometry);
    eventList_ = new CTransparentListBox(this);
    setUpList(eventList_, CTransparentListBox::EventRows, kManagerEventListGeometry);
    eventList_->viewport()->installEventFilter(this);
    macroList_->installEventFilter(this);
    eventList_->installEventFilter(this);

    loopsField_ = new QLineEdit(this);
    loopsField_->setGeometry(kLoopsFieldGeometry);
    loopsField_->setMaxLength(kLoopDigits);
    loopsField_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this));
    loopsField_->setFrame(false);
    loopsField_->installEventFilter(this);
    QFont fieldFont(QStringLiteral("Arial"));
    setCellHeight(fieldFont, 14);
    loopsField_->setFont(fieldFont);
    loopsField_->setStyleSheet(
        QStringLiteral("QLineEdit { background: #1c2230; color: white; border: none;"
                       " selection-background-color: #1f6f8b; }"
                       "QLineEdit:disabled { color: #6b7385; }"));

    connect(macroList_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (showing_ || macroList_->editedRow() >= 0 || row == editor_.selectedMacro()) return;
        editor_.selectMacro(row);
        showEditor();
    });
    // The list never shows no macro selected while the editor has one: a click beside the
    // rows would otherwise leave Delete and Record acting on a macro that looks unselected.
    connect(macroList_, &QListWidget::itemSelectionChanged, this, [this] {
        if (showing_ || macroList_->editedRow() >= 0 || editor_.selectedMacro() < 0) return;
        if (macroList_->selectedItems().isEmpty())
            QTimer::singleShot(0, this, [this] { showEditor(); });
    });
    connect(eventList_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (showing_ || eventList_->editedRow() >= 0) return;
        editor_.selectEventLine(row);
    });
    // An in-place rename puts a new row in; its text reaches the editor once the edit is over.
    connect(macroList_->model(), &QAbstractItemModel::rowsInserted, this, [this] {
        if (!showing_) QTimer::singleShot(0, this, [this] { takeNames(); });
    });
    connect(loopsField_, &QLineEdit::textChanged, this, [this](const QString& typed) {
        if (showing_) return;
        editor_.setLoopsText(typed.toStdU16String());
        const QString kept = toQString(editor_.loopsText());
        if (kept != typed) {
            showing_ = true;
            loopsField_->setText(kept);
            // The next digit typed replaces the 1 that stands in for nothing.
            loopsField_->selectAll();
            showing_ = false;
        }
    });
    macroList_->setAccessibleName(text(u"Select Macro", u"选择宏"));
    eventList_->setAccessibleName(text(u"Keystroke Sequence", u"按键系列"));
    eventList_->setAccessibleDescription(text(u"The menu key or Shift+F10 opens the line's menu.",
                                              u"菜单键或 Shift+F10 打开该行的菜单。"));
    loopsField_->setAccessibleName(text(u"Number of Loops", u"循环次数"));
    stops_ = new FocusStops(this, [this] { return focusStopsNow(); });
    nameSync_.setInterval(kNameSyncMs);
    connect(&nameSync_, &QTimer::timeout, this, [this] { takeNames(); });
    buildMenu();
}

CMacroRecordDlg::~CMacroRecordDlg() {
    stops_->release();
}

void CMacroRecordDlg::setUpList(CTransparentListBox* list, int mode, const QRect& geometry) {
    list->listMode = mode;
    list->configure(kListFontHeight, QStringLiteral("Arial"), Qt::white, kSelectedText, true,
                    kShadowOffset, Qt::black);
    list->setGeometry(geometry);
    // The event list's menu opens on the right button's press; no other menu competes.
    list->setContextMenuPolicy(Qt::PreventContextMenu);
}

void CMacroRecordDlg::buildMenu() {
    menu_ = new QMenu(this);
    menu_->setStyleSheet(QStringLiteral(
        "QMenu { background: #1b2030; color: white; border: 1px solid #3a4256; padding: 3px; }"
        "QMenu::item { padding: 4px 18px 4px 14px; }"
        "QMenu::item:selected { background: #1f6f8b; color: #00ffff; }"));
    QFont font(QStringLiteral("Arial"));
    setCellHeight(font, 13);
    menu_->setFont(font);
    for (const MacroMenuItem& item : macroMenuItems()) {
        QAction* action = menu_->addAction(text(item.text));
        action->setData(item.command);
        connect(action, &QAction::triggered, this,
                [this, command = item.command] { runMenuCommand(command); });
    }
}

QString CMacroRecordDlg::text(const DialogText& t) const {
    return toQString(t.in(context_.language));
}

void CMacroRecordDlg::tell(const DialogText& message, const DialogText& caption) {
    context_.messages.tell(std::u16string(message.in(context_.language)),
                           std::u16string(caption.in(context_.language)));
}

QString CMacroRecordDlg::skinFolder() const {
    return tq260::skinFolder(context_.applicationFolder, SkinWindow::MacroManager,
                             context_.language);
}

// ---- Opening and closing -------------------------------------------------------------

void CMacroRecordDlg::prepare(MacroTable& working) {
    buttons_ = buildButtonImageSets(macroHotAreaRects(), macroHotAreaNames());
    resize(images_.image(skinFolder() + QStringLiteral("MacroManagement.png")).size());
    hoverArea_ = -1;
    mousePressed_ = false;
    editor_.open(working, windowHandleOf(this));
    showing_ = true;
    macroList_->clear();
    eventList_->clear();
    showing_ = false;
    escapeStops_ = false;
    skipStartingRelease_ = false;
    showEditor();
    stops_->sync();
    macroList_->setFocus(Qt::OtherFocusReason);
    nameSync_.start();
}

bool CMacroRecordDlg::run(MacroTable& working) {
    prepare(working);
    return exec() == QDialog::Accepted;
}

void CMacroRecordDlg::done(int result) {
    macroList_->endEdit(false);
    eventList_->endEdit(false);
    nameSync_.stop();
    editor_.close();
    QDialog::done(result);
}

void CMacroRecordDlg::closeEvent(QCloseEvent* event) {
    // Closed by the system: as Cancel.
    if (isVisible()) done(QDialog::Rejected);
    event->accept();
}

void CMacroRecordDlg::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape are ordinary keys here: they never close the manager.
    event->accept();
}

// ---- The window follows the editor ---------------------------------------------------

void CMacroRecordDlg::showEditor() {
    showing_ = true;
    showRows(macroList_, editor_.macroLines(), editor_.selectedMacro());
    showRows(eventList_, editor_.eventLines(), editor_.selectedEventLine());
    const std::size_t notPlayed = editor_.firstLineNotPlayed();
    eventList_->setMutedFrom(notPlayed < editor_.eventLines().size() ? static_cast<int>(notPlayed)
                                                                     : -1);
    const QString loops = toQString(editor_.loopsText());
    if (loopsField_->text() != loops) loopsField_->setText(loops);
    loopsField_->setEnabled(editor_.state().numberOfLoops);
    showing_ = false;
    update();
}

void CMacroRecordDlg::showRows(CTransparentListBox* list, const std::vector<std::u16string>& lines,
                               int selected) {
    // Only the rows between what stayed the same at the top and at the bottom change, so a
    // key inserted at the front costs one new row, not a rewrite of all of them.
    const int count = static_cast<int>(lines.size());
    const int old = list->count();
    const auto line = [&](int row) { return toQString(lines[static_cast<std::size_t>(row)]); };
    int top = 0;
    while (top < std::min(count, old) && list->item(top)->text() == line(top)) ++top;
    int bottom = 0;
    while (bottom < std::min(count, old) - top &&
           list->item(old - 1 - bottom)->text() == line(count - 1 - bottom)) {
        ++bottom;
    }
    const int oldMiddle = old - top - bottom;
    const int newMiddle = count - top - bottom;
    const int both = std::min(oldMiddle, newMiddle);
    for (int i = 0; i < both; ++i) list->item(top + i)->setText(line(top + i));
    for (int i = both; i < oldMiddle; ++i) delete list->takeItem(top + both);
    for (int i = both; i < newMiddle; ++i) list->insertRow(top + i, line(top + i));
    if (selected >= 0 && selected < count) {
        list->setCurrentRow(selected);
        list->scrollToItem(list->item(selected));
    } else {
        list->setCurrentRow(-1);
        list->clearSelection();
    }
    list->viewport()->update();
}

void CMacroRecordDlg::takeNames() {
    const auto& names = editor_.macroLines();
    bool refused = false;
    for (int row = 0; row < macroList_->count() && row < static_cast<int>(names.size()); ++row) {
        if (row == macroList_->editedRow()) continue;  // still being typed
        const std::u16string typed = macroList_->item(row)->text().toStdU16String();
        if (typed != names[static_cast<std::size_t>(row)] && !editor_.renameMacro(row, typed)) {
            refused = true;
        }
    }
    editor_.syncNames();
    // A blank name would lose the macro: the old one comes back.
    if (refused || macroList_->count() != static_cast<int>(names.size())) showEditor();
}

// ---- Messages ------------------------------------------------------------------------

bool CMacroRecordDlg::event(QEvent* event) {
    if (const auto* message = asWindowMessage(event)) {
        switch (message->message()) {
            case WM_HOOK_KEY: {
                const qintptr key = message->wParam();
                const bool release =
                    (message->lParam() & static_cast<qintptr>(KeyHook::kReleaseFlag)) != 0;
                if (key > 0 && key <= 0xFF &&
                    !keyboardRecordingKey(static_cast<std::uint8_t>(key), release)) {
                    editor_.hookKey(static_cast<std::uint8_t>(key), release);
                    showEditor();
                }
                return true;
            }
            case WM_LIST_EDIT_BEGIN:
                editor_.stopForListEdit();
                update();
                return true;
            case WM_LIST_ITEM_EDITED:
                editor_.editDelay(static_cast<int>(message->wParam()),
                                  static_cast<int>(message->lParam()));
                // The list finishes its own edit first, then shows what the record holds.
                QTimer::singleShot(0, this, [this] { showEditor(); });
                return true;
            default:
                break;
        }
    }
    return QDialog::event(event);
}

bool CMacroRecordDlg::eventFilter(QObject* watched, QEvent* event) {
    // The pointer went from a button onto a control: no button stays lit.
    if (event->type() == QEvent::Enter) setHover(-1);
    if (watched == eventList_ && event->type() == QEvent::KeyPress &&
        eventList_->asksForMenu(*static_cast<QKeyEvent*>(event))) {
        openMenu(eventList_->menuPosition());
        return true;
    }
    if (watched == eventList_->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::RightButton) {
            // The menu acts on the selected line; the right button does not move it.
            openMenu(press->globalPosition().toPoint());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CMacroRecordDlg::openMenu(QPoint globalPoint) {
    menu_->exec(globalPoint);
}

void CMacroRecordDlg::runMenuCommand(int command) {
    switch (command) {
        case kInsertBeforeCommand:
            editor_.insertBefore();
            break;
        case kInsertAfterCommand:
            editor_.insertAfter();
            break;
        case kInsertDelayCommand:
            if (editor_.insertDelay() == MacroEditor::InsertDelayOutcome::OnDelayLine) {
                tell(kEditCurrentDelay, kMacroManagerCaption);
            }
            break;
        case kDeleteLineCommand:
            editor_.deleteLine();
            break;
        default:
            return;
    }
    showEditor();
}

// ---- Mouse ---------------------------------------------------------------------------

int CMacroRecordDlg::hotAreaAt(QPoint point) const {
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        if (buttons_[i].hit(point)) return static_cast<int>(i);
    }
    return -1;
}

void CMacroRecordDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) mousePressed_ = true;
    event->accept();
}

void CMacroRecordDlg::setHover(int area) {
    if (area == hoverArea_) return;
    hoverArea_ = area;
    // The tick boxes show their option, not the pointer.
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const auto which = static_cast<MacroHotArea>(i);
        if (which == MacroHotArea::RecordDelayTick || which == MacroHotArea::LoopsTick) {
            continue;
        }
        buttons_[i].state = static_cast<int>(i) == area ? 1 : 0;
    }
    update();
}

void CMacroRecordDlg::leaveEvent(QEvent* event) {
    setHover(-1);
    QDialog::leaveEvent(event);
}

void CMacroRecordDlg::mouseMoveEvent(QMouseEvent* event) {
    const int area = hotAreaAt(event->position().toPoint());
    if (!(event->buttons() & Qt::LeftButton)) mousePressed_ = false;
    setHover(area);
    // The borderless window is dragged by any spot that does nothing.
    if (mousePressed_ && area < 0 && windowHandle() != nullptr) {
        mousePressed_ = false;
        windowHandle()->startSystemMove();
    }
    event->accept();
}

void CMacroRecordDlg::mouseReleaseEvent(QMouseEvent* event) {
    mousePressed_ = false;
    if (event->button() == Qt::LeftButton) {
        const int area = hotAreaAt(event->position().toPoint());
        if (area >= 0) click(static_cast<MacroHotArea>(area));
    }
    event->accept();
}

void CMacroRecordDlg::click(MacroHotArea area) {
    switch (area) {
        case MacroHotArea::Record:
            escapeStops_ = false;
            if (!editor_.toggleRecording()) tell(kSelectToRecord, kMacroManagerCaption);
            break;
        case MacroHotArea::RecordDelayTick:
            editor_.toggleRecordDelay();
            break;
        case MacroHotArea::LoopsTick:
            editor_.toggleNumberOfLoops();
            break;
        case MacroHotArea::New:
            if (editor_.newMacro() == MacroEditor::NewOutcome::TooMany) {
                tell(kTooManyMacros, kProgramName);
            }
            break;
        case MacroHotArea::Delete:
            if (!context_.messages.ask(
                    std::u16string(kConfirmDelete.in(context_.language)),
                    std::u16string(kMacroManagerCaption.in(context_.language)))) {
                break;
            }
            if (!editor_.deleteSelected()) tell(kSelectToDelete, kMacroManagerCaption);
            break;
        case MacroHotArea::Ok:
            confirm();
            return;
        case MacroHotArea::Cancel:
            done(QDialog::Rejected);
            return;
    }
    showEditor();
}

void CMacroRecordDlg::confirm() {
    // An edit still open is kept, as leaving it would keep it.
    macroList_->endEdit(true);
    eventList_->endEdit(true);
    takeNames();
    // What the keyboard cannot hold is said before it is kept, not lost unnoticed at Save.
    const std::vector<int> tooLong = editor_.macrosTooLong();
    if (!tooLong.empty()) {
        QStringList names;
        for (const int line : tooLong) {
            names << toQString(editor_.macroLines()[static_cast<std::size_t>(line)]);
        }
        const QString question = text(kTooLongForKeyboard)
                                     .arg(MacroEditor::kKeyboardBytes)
                                     .arg(names.join(QStringLiteral("\n")));
        if (!context_.messages.ask(question.toStdU16String(),
                                   std::u16string(kMacroManagerCaption.in(context_.language)))) {
            return;
        }
    }
    editor_.confirm();
    done(QDialog::Accepted);
}

}  // namespace tq260
