#include "dialogs/key_assignment_dialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>
#include <algorithm>

#include "controls/qt_text.h"
#include "controls/skin_folder.h"
#include "controls/skin_image.h"
#include "controls/window_messages.h"
#include "keys/key_layout.h"
#include "keys/named_function_table.h"

namespace tq260 {

namespace {

constexpr int kWidenBy = 5;
constexpr std::size_t kCombinationKeys = 3;
constexpr int kTreeRowHeight = 20;  // the eight functions fill the tree's 160 pixels
const QString kJoin = QStringLiteral("+ ");

// A record's function entry is its first four data bytes.
KeyEntry entryOf(const KeyAssignment& record) {
    return {record.data[0], record.data[1], record.data[2], record.data[3]};
}

void copyText(std::u16string_view text, std::array<char16_t, 256>& into) {
    into.fill(0);
    std::copy_n(text.begin(), std::min(text.size(), into.size() - 1), into.begin());
}

}  // namespace

KeyAssignmentDialog::KeyAssignmentDialog(const KeyDialogVariant& variant, KeyDialogContext context,
                                         QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      variant_(variant),
      context_(std::move(context)) {
    setObjectName(QString::fromLatin1(variant.className));
    setModal(true);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(text(kProgramName));

    QFont font(QStringLiteral("Arial"));
    setCellHeight(font, 14);
    tree_ = new VividTree(this);
    tree_->setGeometry(kTreeGeometry);
    tree_->loadPictures();
    tree_->backgroundMode = VividTree::Background::Solid;
    // A stored function stays visibly selected while the tree does not have the focus.
    tree_->setShowSelectionAlways(true);
    tree_->setFont(font);
    tree_->setRootIsDecorated(false);
    connect(tree_, &QTreeWidget::itemSelectionChanged, this, [this] {
        const auto selected = tree_->selectedItems();
        state_.functionText = selected.isEmpty() ? QString() : selected.front()->text(0);
        if (!selected.isEmpty()) choiceMade();
    });

    keyBox_ = new KeyCaptureBox(this);
    keyBox_->setGeometry(kKeyBoxGeometry);
    keyBox_->installEventFilter(this);
    combinationBox_ = new KeyCaptureBox(this);
    combinationBox_->setGeometry(kCombinationBoxGeometry);
    combinationBox_->hide();  // holds a stored combination's text; never shown

    macroList_ = new QListWidget(this);
    macroList_->setGeometry(kMacroListGeometry);
    macroList_->setFont(font);
    macroList_->setFrameShape(QFrame::NoFrame);
    macroList_->setSelectionMode(QAbstractItemView::SingleSelection);
    macroList_->setStyleSheet(
        QStringLiteral("QListWidget { background: #1e1e1e; color: white; outline: none; }"
                       "QListWidget::item { padding: 2px 4px; }"
                       "QListWidget::item:selected { background: #2f2e66; color: white; }"));
    connect(macroList_, &QListWidget::itemSelectionChanged, this, [this] {
        if (!macroList_->selectedItems().isEmpty()) choiceMade();
    });
    keyBox_->setAccessibleName(text(u"Key to send", u"发送的按键"));
    keyBox_->setAccessibleDescription(
        text(u"Enter or Space, then press the key or the keys together.",
             u"按回车或空格键，然后按下按键或组合键。"));
    macroList_->setAccessibleName(text(u"Macro", u"宏"));
    tree_->setAccessibleName(text(u"Basic", u"基本功能"));
    stops_ = new FocusStops(this, [this] { return focusStopsNow(); });
    showPage(KeyPage);
}

KeyAssignmentDialog::~KeyAssignmentDialog() {
    stops_->release();
    if (state_.hookInstalled) context_.hook.remove();
}

void KeyAssignmentDialog::startCapture() {
    captured_ = false;
    heldKeys_.clear();
    if (!state_.hookInstalled) {
        state_.hookInstalled = context_.hook.install(windowHandleOf(this), KeyHook::KeyCapture);
    }
}

void KeyAssignmentDialog::endCapture() {
    if (state_.hookInstalled) context_.hook.remove();
    state_.hookInstalled = false;
    heldKeys_.clear();
}

QString KeyAssignmentDialog::text(const DialogText& t) const {
    return toQString(t.in(context_.language));
}

QString KeyAssignmentDialog::text(std::u16string_view english, std::u16string_view chinese) const {
    return text(DialogText{english, chinese});
}

QString KeyAssignmentDialog::keyName(std::uint8_t virtualKey) const {
    return toQString(context_.keyNames.name(virtualKey));
}

QString KeyAssignmentDialog::namesOf(std::span<const std::uint8_t> keys) const {
    QStringList names;
    for (const std::uint8_t key : keys) {
        if (key != 0) names << keyName(key);
    }
    return names.join(kJoin);
}

void KeyAssignmentDialog::tell(const QString& message) {
    context_.messages.tell(message.toStdU16String(), windowTitle().toStdU16String());
}

void KeyAssignmentDialog::warn(const QString& message) {
    context_.messages.warn(message.toStdU16String(), windowTitle().toStdU16String());
}

QString KeyAssignmentDialog::skinFolder() const {
    return tq260::skinFolder(context_.applicationFolder, SkinWindow::KeyAssignment,
                             context_.language);
}

// ---- Opening -------------------------------------------------------------------------

void KeyAssignmentDialog::prepare(std::size_t keyIndex, KeyAssignment& record,
                                  AssignmentRequest& request, bool disabled) {
    endCapture();
    key_ = std::min(keyIndex, kKeyCount - 1);
    record_ = &record;
    request_ = &request;
    state_ = State{};
    state_.disableToggle = disabled;
    filling_ = true;
    heldKeys_.clear();
    hoverLaunchCell_ = -1;
    mousePressed_ = false;
    buttons_ = buildButtonImageSets(variant_.rects, variant_.names);
    resize(images_.image(skinFolder() + toQString(variant_.sizingImage)).size());

    request = AssignmentRequest{};
    if (record.type == static_cast<std::uint8_t>(AssignmentType::NamedFunction)) {
        if (const auto name = namedFunctionName(entryOf(record), context_.language)) {
            copyText(*name, request.functionName);
        }
    }
    fillTree();
    fillMacroList();
    keyBox_->showText({});
    combinationBox_->showText({});

    request.type = static_cast<AssignmentType>(record.type);
    request.count = record.count;
    Page page = KeyPage;
    switch (record.type) {
        case static_cast<std::uint8_t>(AssignmentType::SingleKey):
            request.count = 1;
            request.keyList = record.data;
            // An unassigned key sends its own printed key, and the box says so; a disabled
            // key shows nothing.
            if (record.data[0] == 0 && !disabled) request.keyList[0] = KeyLayout[key_].virtualKey;
            keyBox_->showText(keyName(request.keyList[0]));
            state_.firstFocus = true;
            break;
        case static_cast<std::uint8_t>(AssignmentType::Combination):
            combinationBox_->showText(namesOf({record.data.data(), kCombinationKeys}));
            // The combination box is never shown; the stored combination shows in the
            // visible box until the first key is captured.
            keyBox_->showText(combinationBox_->text());
            request.keyList = record.data;
            state_.firstFocus = true;
            break;
        case static_cast<std::uint8_t>(AssignmentType::Macro):
            if (record.data[0] == 4) page = MacroPage;
            break;
        case static_cast<std::uint8_t>(AssignmentType::NamedFunction):
            page = FunctionPage;
            break;
        case static_cast<std::uint8_t>(AssignmentType::LaunchMp3):
        case static_cast<std::uint8_t>(AssignmentType::LaunchExe):
        case static_cast<std::uint8_t>(AssignmentType::LaunchTxt):
        case static_cast<std::uint8_t>(AssignmentType::OpenFolder):
            page = LaunchPage;
            request.launchPath = record.launchPath;
            state_.launchKind = record.type - static_cast<int>(AssignmentType::LaunchMp3);
            // The stored kind shows as chosen.
            state_.gridMark = 4 * state_.launchKind;
            break;
        default:
            break;
    }
    showPage(page);
    if (record.type == static_cast<std::uint8_t>(AssignmentType::SingleKey)) {
        onBoxFocused(false);
        keyBox_->setFocus(Qt::OtherFocusReason);
    } else if (record.type == static_cast<std::uint8_t>(AssignmentType::Combination)) {
        onBoxFocused(true);
    } else if (page == MacroPage) {
        macroList_->setFocus(Qt::OtherFocusReason);
        if (record.data[2] < macroList_->count()) macroList_->setCurrentRow(record.data[2]);
    }
    // The key page opens capturing, as the box has the focus; the other pages take the keys
    // as they come (Tab, arrows).
    if (page == KeyPage) startCapture();
    opening_ = request;
    openingDisabled_ = disabled;
    filling_ = false;
    update();
}

void KeyAssignmentDialog::fillTree() {
    tree_->clear();
    const std::u16string_view stored(request_->functionName.data());
    for (std::size_t i = 0; i < kMediaFunctionCount; ++i) {
        const NamedFunction& row = NamedFunctionTable[i];
        const QString name = text(row.english, row.chinese);
        auto* item = new QTreeWidgetItem(tree_, QStringList(name));
        item->setSizeHint(0, QSize(0, kTreeRowHeight));
        if (!stored.empty() && name == toQString(stored)) {
            tree_->setCurrentItem(item);
            item->setSelected(true);
        }
    }
    if (tree_->selectedItems().isEmpty()) tree_->setCurrentItem(nullptr);
}

void KeyAssignmentDialog::fillMacroList() {
    macroList_->clear();
    // Only the keyboard's macro slots can be played; later records are not offered.
    for (std::size_t i = 0; i < kKeyboardMacroSlots; ++i) {
        const MacroRecord& macro = context_.savedMacros[i];
        if (macro.isFree()) break;
        macroList_->addItem(toQString(macro.nameText()));
    }
}

void KeyAssignmentDialog::showPage(Page page) {
    state_.page = page;
    if (page != KeyPage) endCapture();
    keyBox_->setVisible(page == KeyPage);
    // Without macros the page says how to make one instead.
    macroList_->setVisible(page == MacroPage && macroList_->count() > 0);
    tree_->setVisible(page == FunctionPage);
    update();
}

// ---- Messages ------------------------------------------------------------------------

bool KeyAssignmentDialog::event(QEvent* event) {
    if (const auto* message = asWindowMessage(event)) {
        if (message->message() == WM_HOOK_KEY) {
            const qintptr key = message->wParam();
            if (key > 0 && key <= 0xFF) {
                onHookKey(static_cast<std::uint8_t>(key),
                          (message->lParam() & static_cast<qintptr>(KeyHook::kReleaseFlag)) != 0);
            }
            return true;
        }
    }
    return QDialog::event(event);
}

void KeyAssignmentDialog::onHookKey(std::uint8_t key, bool release) {
    if (!state_.hookInstalled || request_ == nullptr) return;
    const auto held = std::find(heldKeys_.begin(), heldKeys_.end(), key);
    if (release) {
        if (held != heldKeys_.end()) heldKeys_.erase(held);
        // One key or chord is what the box takes; then the keys move the focus again.
        if (heldKeys_.empty() && captured_) {
            endCapture();
            stops_->focusOn(QStringLiteral("save"));
        }
        return;
    }
    // A key counts once, when it goes down; a held key's repeats do not count again.
    if (held != heldKeys_.end()) return;
    heldKeys_.push_back(key);
    // Keys held down together make a combination, as a shortcut is pressed; a key pressed
    // alone starts again. A fourth key held with three changes nothing.
    if (state_.page != KeyPage || heldKeys_.size() > kCombinationKeys) return;
    captured_ = true;
    chooseKeys(heldKeys_);
    state_.firstFocus = false;
    choiceMade();
}

void KeyAssignmentDialog::choiceMade() {
    // The last choice wins: a key, a macro or a function chosen now unticks Disable.
    if (filling_ || !state_.disableToggle) return;
    state_.disableToggle = false;
    update();
}

void KeyAssignmentDialog::toggleDisable() {
    state_.disableToggle = !state_.disableToggle;
    filling_ = true;
    if (state_.disableToggle) {
        // Ticked, it is the choice: nothing else shows as chosen.
        clearKeys();
        keyBox_->showText({});
        combinationBox_->showText({});
        tree_->clearSelection();
        tree_->setCurrentItem(nullptr);
        macroList_->clearSelection();
        macroList_->setCurrentRow(-1);
    } else if (state_.page == KeyPage && request_->keyList[0] == 0) {
        // Unticked with nothing shown: what the key sent when the dialog opened, or else its
        // own printed key, so that Save gives the key a function again.
        const bool keys = opening_.type == AssignmentType::SingleKey ||
                          opening_.type == AssignmentType::Combination;
        if (!openingDisabled_ && keys && opening_.keyList[0] != 0) {
            request_->type = opening_.type;
            request_->keyList = opening_.keyList;
            request_->count = opening_.count;
            keyBox_->showText(namesOf({request_->keyList.data(), kCombinationKeys}));
        } else {
            const std::uint8_t own = KeyLayout[key_].virtualKey;
            chooseKeys({&own, 1});
        }
    }
    filling_ = false;
}

void KeyAssignmentDialog::chooseKeys(std::span<const std::uint8_t> keys) {
    AssignmentRequest& q = *request_;
    q.keyList.fill(0);
    std::copy(keys.begin(), keys.end(), q.keyList.begin());
    q.count = static_cast<std::uint32_t>(keys.size());
    q.type = q.count == 1 ? AssignmentType::SingleKey : AssignmentType::Combination;
    // The box shows exactly what Save will keep.
    keyBox_->showText(namesOf(keys));
}

bool KeyAssignmentDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == keyBox_ && event->type() == QEvent::FocusIn) {
        // The user clicking into the box starts a new capture (the box takes the focus by
        // clicks only). The window becoming active, at its opening or again after a
        // message or another program, changes nothing.
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason) {
            onBoxFocused(false);
            startCapture();
        }
    }
    if (watched == keyBox_ && event->type() == QEvent::KeyPress && !state_.hookInstalled) {
        // Reached by Tab, the box starts capturing when activated.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Space || key->key() == Qt::Key_Return ||
            key->key() == Qt::Key_Enter) {
            stops_->keyboardUsed();
            onBoxFocused(false);
            startCapture();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void KeyAssignmentDialog::onBoxFocused(bool combination) {
    if (request_ == nullptr) return;
    const AssignmentType type =
        combination ? AssignmentType::Combination : AssignmentType::SingleKey;
    if (state_.firstFocus && request_->type == type) {
        state_.firstFocus = false;
        return;
    }
    request_->type = type;
    clearKeys();
    (combination ? combinationBox_ : keyBox_)->showText({});
}

void KeyAssignmentDialog::focusKeyBox() {
    onBoxFocused(false);
    keyBox_->setFocus(Qt::OtherFocusReason);
    startCapture();
}

void KeyAssignmentDialog::clearKeys() {
    request_->keyList.fill(0);
    request_->count = 0;
}

// ---- Mouse and keys ------------------------------------------------------------------

int KeyAssignmentDialog::regionAt(QPoint point) const {
    const auto widened = static_cast<std::size_t>(variant_.widenedRegion);
    if (widened < buttons_.size() && !buttons_[widened].rect.isNull() &&
        buttons_[widened].rect.adjusted(-kWidenBy, -kWidenBy, kWidenBy, kWidenBy).contains(point)) {
        return variant_.widenedRegion;
    }
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        if (buttons_[i].hit(point)) return static_cast<int>(i);
    }
    return -1;
}

const ButtonImageSet* KeyAssignmentDialog::shownButton(KeyDialogRole role) const {
    const auto found = std::find(variant_.roles.begin(), variant_.roles.end(), role);
    const auto index = static_cast<std::size_t>(found - variant_.roles.begin());
    if (index >= buttons_.size() || buttons_[index].rect.isNull()) return nullptr;
    return &buttons_[index];
}

void KeyAssignmentDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) mousePressed_ = true;
    event->accept();
}

void KeyAssignmentDialog::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (!(event->buttons() & Qt::LeftButton)) mousePressed_ = false;
    const int region = regionAt(p);
    bool repaint = false;
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        // The toggle shows its own state, not the hover.
        const bool hoverable = variant_.roles[i] != KeyDialogRole::DisableToggle;
        const int state = hoverable && static_cast<int>(i) == region ? 1 : 0;
        repaint = repaint || buttons_[i].state != state;
        buttons_[i].state = state;
    }
    const int cell = state_.page == LaunchPage ? launchCellAt(p) : -1;
    const int browse = cell >= 0 && cell % kLaunchColumns == 3 ? cell : -1;
    repaint = repaint || browse != hoverLaunchCell_;
    hoverLaunchCell_ = browse;
    // The window is dragged by any spot that does nothing.
    if (mousePressed_ && region < 0 && cell < 0 && windowHandle() != nullptr) {
        mousePressed_ = false;
        windowHandle()->startSystemMove();
    }
    if (repaint) update();
    event->accept();
}

void KeyAssignmentDialog::mouseReleaseEvent(QMouseEvent* event) {
    mousePressed_ = false;
    if (event->button() == Qt::LeftButton) dispatchClick(event->position().toPoint());
    event->accept();
}

void KeyAssignmentDialog::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape never close the dialog.
    event->accept();
}

void KeyAssignmentDialog::closeEvent(QCloseEvent* event) {
    // Closed by the system: as Cancel.
    if (isVisible() && request_ != nullptr) {
        clearKeys();
        done(QDialog::Rejected);
    }
    event->accept();
}

void KeyAssignmentDialog::done(int result) {
    endCapture();
    QDialog::done(result);
}

// ---- Clicks --------------------------------------------------------------------------

void KeyAssignmentDialog::dispatchClick(QPoint point) {
    if (request_ == nullptr || record_ == nullptr) return;
    const int region = regionAt(point);
    int result = -1;
    if (region >= 0) result = runRegion(variant_.roles[static_cast<std::size_t>(region)]);
    // The launch grid sees every click on its page, a Save click included.
    if (state_.page == LaunchPage) clickLaunchGrid(point);
    update();
    if (result >= 0) done(result);
}

int KeyAssignmentDialog::runRegion(KeyDialogRole role) {
    AssignmentRequest& q = *request_;
    switch (role) {
        case KeyDialogRole::Close:
        case KeyDialogRole::Cancel:
            clearKeys();
            return QDialog::Rejected;
        case KeyDialogRole::KeyTab: {
            state_.gridMark = -1;
            const bool elsewhere = state_.page != KeyPage;
            if (elsewhere) {
                clearKeys();
                keyBox_->showText({});
                combinationBox_->showText({});
                // Only the copy changes; the caller keeps it only when the dialog is confirmed.
                record_->type = static_cast<std::uint8_t>(AssignmentType::SingleKey);
                record_->count = 0;
                record_->data.fill(0);
                q.type = AssignmentType::SingleKey;
            }
            showPage(KeyPage);
            if (elsewhere) focusKeyBox();
            state_.launchKind = -1;
            return -1;
        }
        case KeyDialogRole::MacroTab:
            if (variant_.macroTabForNavigationKeysOnly && !isNavigationKey(key_)) return -1;
            openListPage(MacroPage, AssignmentType::Combination);
            return -1;
        case KeyDialogRole::FunctionTab:
            openListPage(FunctionPage, AssignmentType::Macro);
            return -1;
        case KeyDialogRole::LaunchTab:
            state_.gridMark = -1;
            if (state_.page != LaunchPage) {
                clearKeys();
                record_->type = static_cast<std::uint8_t>(AssignmentType::NothingChosen);
                record_->data.fill(0);
                keyBox_->showText({});
                combinationBox_->showText({});
                q.type = AssignmentType::NothingChosen;
                state_.launchKind = -1;
            }
            showPage(LaunchPage);
            return -1;
        case KeyDialogRole::Strip:
            return -1;
        case KeyDialogRole::DisableToggle:
            toggleDisable();
            return -1;
        case KeyDialogRole::Default:
            q.count = AssignmentRequest::kRestoreDefault;
            return QDialog::Accepted;
        case KeyDialogRole::Save:
            return save();
    }
    return -1;
}

void KeyAssignmentDialog::openListPage(Page page, AssignmentType interimType) {
    showPage(page);
    request_->type = interimType;
    state_.gridMark = -1;
    state_.launchKind = -1;
}

int KeyAssignmentDialog::save() {
    AssignmentRequest& q = *request_;
    if (state_.disableToggle) {
        // "Disable" ticked: the key does nothing, whatever the page shows.
        q.type = AssignmentType::Disable;
        clearKeys();
        return QDialog::Accepted;
    }
    switch (state_.page) {
        case KeyPage: {
            // Nothing chosen, or what the dialog opened with: nothing changes. Disable is
            // a choice of its own, never what an empty box means.
            const bool unchanged =
                !openingDisabled_ && q.type == opening_.type && q.keyList == opening_.keyList;
            const auto leading = std::find(q.keyList.begin(), q.keyList.end(), std::uint8_t{0});
            q.count = static_cast<std::uint32_t>(leading - q.keyList.begin());
            return q.count == 0 || unchanged ? QDialog::Rejected : QDialog::Accepted;
        }
        case LaunchPage:
            return QDialog::Accepted;
        case FunctionPage: {
            q.type = AssignmentType::NamedFunction;
            const QString chosen = state_.functionText;
            const bool category =
                std::any_of(variant_.categoryTexts.begin(), variant_.categoryTexts.end(),
                            [&](std::u16string_view c) { return chosen == toQString(c); });
            // Nothing selected is no function either.
            if (!chosen.isEmpty() && !category) {
                copyText(std::u16string_view(reinterpret_cast<const char16_t*>(chosen.utf16()),
                                             static_cast<std::size_t>(chosen.size())),
                         q.functionName);
                return QDialog::Accepted;
            }
            tell(QStringLiteral("请选择子项"));
            return -1;
        }
        case MacroPage: {
            // Without a macro selected the key stays as it is.
            const auto selected = macroList_->selectedItems();
            if (selected.isEmpty()) return QDialog::Rejected;
            q.type = AssignmentType::Macro;
            q.macroIndex = macroList_->row(selected.front());
            return QDialog::Accepted;
        }
    }
    return -1;
}

}  // namespace tq260
