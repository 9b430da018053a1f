#pragma once

#include <QDialog>
#include <QImage>
#include <QListWidget>
#include <span>
#include <vector>

#include "controls/button_image_set.h"
#include "controls/focus_stop.h"
#include "controls/skin_image_cache.h"
#include "controls/vivid_tree.h"
#include "dialogs/key_capture_box.h"
#include "dialogs/key_dialog_layout.h"
#include "keys/key_assignment.h"
#include "keys/key_name_table.h"
#include "macro/macro_record.h"
#include "platform/file_pickers.h"
#include "platform/key_hook.h"
#include "platform/message_boxes.h"

namespace tq260 {

// What a key dialog reads and talks through.
struct KeyDialogContext {
    QString applicationFolder;
    Language language = Language::English;
    const KeyNameTable& keyNames;
    const MacroTable& savedMacros;  // the macro page lists these
    KeyHook& hook;
    MessageBoxes& messages;
    FilePickers& pickers;
};

// The skinned, borderless dialog in which the user picks a new function for one key: a
// captured key (or a stored combination), a macro, a media function, or a stored launch,
// on four pages. It fills the request and never touches a file or the keyboard; the record
// it is given is a copy that the caller keeps only when the dialog is confirmed.
class KeyAssignmentDialog : public QDialog {
  public:
    enum Page { KeyPage = 0, MacroPage = 1, FunctionPage = 2, LaunchPage = 3 };

    struct State {
        Page page = KeyPage;
        bool hookInstalled = false;
        // Set when the dialog opens on a stored key or combination, so that the first focus
        // on its box keeps the shown text.
        bool firstFocus = false;
        bool disableToggle = false;
        int launchKind = -1;   // -1 none, 0 mp3, 1 exe, 2 txt, 3 folder
        int gridMark = -1;     // marked choice cell of the launch grid: 0, 4, 8, 12 or -1
        QString functionText;  // the selected tree item's text
    };

    ~KeyAssignmentDialog() override;

    // Opens the dialog on a key: shows its record (and "Disable" ticked for a key that does
    // nothing now), prepares the request and installs the key hook. Record and request stay
    // in use until the dialog closes.
    void prepare(std::size_t keyIndex, KeyAssignment& record, AssignmentRequest& request,
                 bool disabled = false);
    // Closes the dialog; the key hook goes with it.
    void done(int result) override;

    const KeyDialogVariant& variant() const { return variant_; }
    const State& state() const { return state_; }
    VividTree* tree() const { return tree_; }
    KeyCaptureBox* keyBox() const { return keyBox_; }
    KeyCaptureBox* combinationBox() const { return combinationBox_; }
    QListWidget* macroList() const { return macroList_; }
    const std::vector<ButtonImageSet>& buttons() const { return buttons_; }
    // The region (index into buttons()) a point hits, or -1.
    int regionAt(QPoint point) const;
    // The window as the next paint draws it, controls included.
    QImage render();
    // The places Tab reaches (key_assignment_dialog_focus.cpp).
    FocusStops& focusStops() { return *stops_; }
    // Whether the box takes every key now.
    bool capturing() const { return state_.hookInstalled; }

  protected:
    KeyAssignmentDialog(const KeyDialogVariant& variant, KeyDialogContext context, QWidget* parent);

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // Opening.
    void fillTree();
    void fillMacroList();
    void showPage(Page page);

    // Messages.
    void onHookKey(std::uint8_t virtualKey, bool release);
    void onBoxFocused(bool combination);
    // The user chose something: Disable no longer holds.
    void choiceMade();
    // Disable ticked or unticked by the user.
    void toggleDisable();
    // The request becomes these keys (one: a key, more: a combination), as the box shows.
    void chooseKeys(std::span<const std::uint8_t> keys);

    // Clicks.
    void dispatchClick(QPoint point);
    // The action of a region; the result the dialog closes with, or -1 to stay open.
    int runRegion(KeyDialogRole role);
    int save();
    // The macro or function page; the request's type stands in until Save.
    void openListPage(Page page, AssignmentType interimType);
    void clearKeys();
    void focusKeyBox();
    // The box takes every key from now until one key or chord has gone down and up again;
    // then the focus moves on to Save.
    void startCapture();
    void endCapture();
    std::vector<FocusStop> focusStopsNow();

    // The launch page.
    void clickLaunchGrid(QPoint point);
    bool runPicker(int row);
    std::u16string pickerFolder() const;
    bool takeLaunchPath(const std::u16string& path);

    // Painting.
    QImage compose();
    void paintLaunchPage(QPainter& painter);

    QString text(const DialogText& text) const;
    QString text(std::u16string_view english, std::u16string_view chinese) const;
    QString keyName(std::uint8_t virtualKey) const;
    // The names of the keys that are set, joined with "+ ".
    QString namesOf(std::span<const std::uint8_t> keys) const;
    static QString pathText(const std::array<char16_t, kLaunchPathCapacity>& path);
    // A message box with the program's name as its caption.
    void tell(const QString& message);
    // A failure, told with the warning icon.
    void warn(const QString& message);
    QString skinFolder() const;
    // The button of the role, or null where the dialog shows none.
    const ButtonImageSet* shownButton(KeyDialogRole role) const;

    const KeyDialogVariant& variant_;
    KeyDialogContext context_;
    std::vector<ButtonImageSet> buttons_;
    SkinImageCache images_;
    State state_;
    std::size_t key_ = 0;
    KeyAssignment* record_ = nullptr;
    AssignmentRequest* request_ = nullptr;
    // Pressed and not yet released, in the order they went down: a chord, and repeats.
    std::vector<std::uint8_t> heldKeys_;
    // The request as the dialog opened: a Save that finds it unchanged changes nothing.
    AssignmentRequest opening_;
    bool openingDisabled_ = false;
    // Set while the dialog itself fills or selects, so that only the user's choices count.
    bool filling_ = false;
    int hoverLaunchCell_ = -1;
    bool mousePressed_ = false;
    FocusStops* stops_ = nullptr;
    // A key went down since the capture started.
    bool captured_ = false;
    VividTree* tree_ = nullptr;
    KeyCaptureBox* keyBox_ = nullptr;
    KeyCaptureBox* combinationBox_ = nullptr;
    QListWidget* macroList_ = nullptr;
};

}  // namespace tq260
