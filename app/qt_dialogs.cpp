#include "app/qt_dialogs.h"

#include "controls/modal_over.h"

namespace tq260 {

QtDialogs::QtDialogs(ApplicationState& state, KeyHook& hook, MessageBoxes& messages,
                     FilePickers& pickers, const Clock& clock) {
    const KeyDialogContext context{state.applicationFolder,
                                   state.language,
                                   state.keyNames,
                                   *state.macros.saved,
                                   hook,
                                   messages,
                                   pickers};
    keyMap_ = std::make_unique<CKeyMap>(context);
    keymapDlg2_ = std::make_unique<CKeymapDlg2>(context);
    macroManager_ = std::make_unique<CMacroRecordDlg>(MacroManagerContext{
        state.applicationFolder, state.language, state.keyNames, hook, messages, clock});
    profiles_ = std::make_unique<CConfigureDlg>(ProfileDialogContext{
        state.applicationFolder,
        state.dataPath(),
        state.language,
        {state.keyboard.settings, *state.assignments.table, state.keyboard.recordMutex},
        messages,
        pickers,
        state.profiles});
}

QtDialogs::~QtDialogs() = default;

void QtDialogs::placeOverOwner(QWidget& dialog) const {
    if (owner_ == nullptr) return;
    dialog.move(owner_->frameGeometry().center() - dialog.rect().center());
}

bool QtDialogs::runKeyDialog(KeyDialog dialog, std::size_t key, bool disabled,
                             KeyAssignment& record, AssignmentRequest& request) {
    KeyAssignmentDialog& window = dialog == KeyDialog::Navigation
                                      ? static_cast<KeyAssignmentDialog&>(*keyMap_)
                                      : static_cast<KeyAssignmentDialog&>(*keymapDlg2_);
    window.prepare(key, record, request, disabled);
    placeOverOwner(window);
    const ModalOver over(window, owner_);
    return window.exec() == QDialog::Accepted;
}

}  // namespace tq260

namespace tq260 {

void QtDialogs::runProfiles(const QRect& mainWindow,
                            const std::function<void(const std::u16string&)>& use,
                            const std::function<void()>& changed) {
    profiles_->setChangeListener(changed);
    const ModalOver over(*profiles_, owner_);
    profiles_->run(mainWindow, use);
    profiles_->setChangeListener({});
}

void QtDialogs::runProfileRules() {
    if (profileRules_) profileRules_(owner_);
}

void QtDialogs::setProfileRules(std::function<void(QWidget* owner)> run) {
    profileRules_ = std::move(run);
    // Over the profile dialog when opened from its menu.
    profiles_->setRulesOpener(
        profileRules_ ? std::function<void()>([this] { profileRules_(profiles_.get()); })
                      : std::function<void()>());
}

void QtDialogs::profilesChanged() {
    if (profiles_->isVisible()) profiles_->followDisk();
}

bool QtDialogs::runMacroManager(MacroTables& macros) {
    macroManager_->prepare(*macros.working);
    placeOverOwner(*macroManager_);
    const ModalOver over(*macroManager_, owner_);
    if (macroManager_->exec() != QDialog::Accepted) return false;
    macros.slotMoves = macroManager_->editor().slotMoves();
    return true;
}

}  // namespace tq260
