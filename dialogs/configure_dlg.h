#pragma once

#include <QDialog>
#include <QMenu>
#include <functional>

#include "controls/focus_stop.h"
#include "controls/skin_image_cache.h"
#include "controls/transparent_list_box.h"
#include "dialogs/dialog_text.h"
#include "platform/file_pickers.h"
#include "platform/message_boxes.h"
#include "profiles/profile_store.h"

namespace tq260 {

// What the profile dialog reads and talks through.
struct ProfileDialogContext {
    QString applicationFolder;  // the skins
    QString dataFolder;         // "Configure" and the choosers' first folder
    Language language = Language::English;
    LiveConfiguration live;  // what Save stores and Load replaces
    MessageBoxes& messages;
    FilePickers& pickers;
    // The profiles, shared with the window and the notification area's menu.
    ProfileStore& store;
};

// The profile manager: up to six named profiles in the "Configure" folder, each a copy of the
// whole configuration, with Use, New, Copy, Save, Load, Delete and renaming in place; the
// profile the keyboard was last given is marked. It never talks to the keyboard: Use hands
// the profile to the main window, which sends it; the main window stores and shows what a
// Load changed.
class CConfigureDlg final : public QDialog {
  public:
    explicit CConfigureDlg(ProfileDialogContext context, QWidget* parent = nullptr);
    ~CConfigureDlg() override;

    // Opens on the profile folder, placed over the main window (its rectangle on the screen),
    // without running.
    void prepare(const QRect& mainWindow);
    // use: what Use and Enter call with the selected profile's name.
    void run(const QRect& mainWindow, std::function<void(const std::u16string&)> use);
    void done(int result) override;
    void setUser(std::function<void(const std::u16string&)> use) { use_ = std::move(use); }
    // Told after every change the dialog makes to the profiles or the active one, so that the
    // window, the tray and the bus follow at once, not when the dialog closes.
    void setChangeListener(std::function<void()> changed) { changed_ = std::move(changed); }
    // What the menu's "Use for applications…" opens; the item is there only with one.
    void setRulesOpener(std::function<void()> open);
    // The active profile changed: its row is marked, nothing else in the list changes.
    void markActive();
    // The profiles changed on disk (another program, the window keeping a configuration):
    // the list shows them again, the selection kept where it can be; a rename being typed is
    // left alone.
    void followDisk();

    // A command of the popup menu (32789 Use, 32785 New, 32817 Copy, 32786 Save,
    // 32787 Load, 32788 Delete).
    void runCommand(int command);

    const ProfileStore& store() const { return context_.store; }
    CTransparentListBox* list() const { return list_; }
    QMenu* menu() const { return menu_; }
    QImage render();
    // What Tab moves through and a screen reader names.
    FocusStops& focusStops() const { return *stops_; }

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    std::vector<FocusStop> focusStopsNow();
    // Fills the list from the store; the named profile, if any, is selected.
    void showProfiles(const std::u16string& select = {});
    // A rename still being typed is finished before anything else acts on the list, so no
    // operation works on rows that a rename is about to change.
    void settleRename();
    // The row the user selected, as the store counts it, or nothing.
    std::optional<std::size_t> selectedRow() const;
    void useProfile();
    void newProfile();
    void copyProfile();
    void saveProfile();
    void exportProfile();
    void loadProfile();
    void deleteProfile();
    // By the name the row showed: the store may have been read again since the edit began.
    void renameProfile(const std::u16string& oldName, const QString& newName);
    struct PendingRename {
        std::u16string oldName;
        QString newName;
    };
    std::optional<PendingRename> pendingRename_;
    // The names as the list shows them, row by row.
    std::vector<std::u16string> shown_;
    // Says what went wrong, if anything; true when the operation was done. name: the
    // profile concerned, for the messages that name it.
    bool report(const ProfileStore::Outcome& outcome, const QString& name = {});
    FilePickers::Request pickerRequest() const;
    // The program's own data files, which an export must never replace.
    std::vector<std::filesystem::path> ownDataFiles() const;
    // What the rules lose with the profile, for the delete question; empty when nothing.
    QString rulesLosing(const std::u16string& name) const;
    void tellChanged();

    QString text(const DialogText& text) const;
    void tell(const QString& message, const DialogText& caption);
    // A failure, or a name refused: told with the warning icon.
    void warn(const QString& message, const DialogText& caption);
    QString skinFolder() const;

    ProfileDialogContext context_;
    ProfileStore& store_;
    std::function<void(const std::u16string&)> use_;
    std::function<void()> changed_;
    // While the dialog tells its own change: the list shows it already.
    bool telling_ = false;
    SkinImageCache images_;
    CTransparentListBox* list_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* rulesSeparator_ = nullptr;
    QAction* rulesItem_ = nullptr;
    std::function<void()> openRules_;
    FocusStops* stops_ = nullptr;
};

}  // namespace tq260
