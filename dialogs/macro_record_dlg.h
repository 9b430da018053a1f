#pragma once

#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <vector>

#include "controls/button_image_set.h"
#include "controls/focus_stop.h"
#include "controls/skin_image_cache.h"
#include "controls/transparent_list_box.h"
#include "dialogs/macro_manager_layout.h"
#include "keys/key_name_table.h"
#include "macro/macro_editor.h"
#include "platform/clock.h"
#include "platform/key_hook.h"
#include "platform/message_boxes.h"

namespace tq260 {

// What the macro manager reads and talks through.
struct MacroManagerContext {
    QString applicationFolder;
    Language language = Language::English;
    const KeyNameTable& keyNames;
    KeyHook& hook;
    MessageBoxes& messages;
    const Clock& clock;  // measures the delays between recorded keys
};

// The macro manager: the macros by name, the events of the selected one, recording from
// the PC's keyboard, the options, and line-by-line editing from a context menu. Every change
// goes at once into the working table; the caller keeps it only on OK.
class CMacroRecordDlg final : public QDialog {
  public:
    explicit CMacroRecordDlg(MacroManagerContext context, QWidget* parent = nullptr);
    ~CMacroRecordDlg() override;

    // Opens on the working table (kept until the dialog closes) without running it.
    void prepare(MacroTable& working);
    // Opens and runs the dialog; true on OK.
    bool run(MacroTable& working);
    // Closes the dialog; the key hook goes with it.
    void done(int result) override;

    // The context menu's command (32790, 32791, 32793 or 32815).
    void runMenuCommand(int command);

    const MacroEditor& editor() const { return editor_; }
    CTransparentListBox* macroList() const { return macroList_; }
    CTransparentListBox* eventList() const { return eventList_; }
    QLineEdit* loopsField() const { return loopsField_; }
    QMenu* contextMenu() const { return menu_; }
    const std::vector<ButtonImageSet>& buttons() const { return buttons_; }
    // The hot area (MacroHotArea) under the point, or -1.
    int hotAreaAt(QPoint point) const;
    // The window as the next paint draws it, controls included.
    QImage render();
    // What Tab moves through and a screen reader names.
    FocusStops& focusStops() const { return *stops_; }

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void setUpList(CTransparentListBox* list, int mode, const QRect& geometry);
    void buildMenu();

    // The window shows what the editor holds.
    void showEditor();
    void showRows(CTransparentListBox* list, const std::vector<std::u16string>& lines,
                  int selected);
    // Names typed into the macro list go to the editor; a blank one is put back.
    void takeNames();

    void setHover(int area);
    void click(MacroHotArea area);
    void confirm();
    void openMenu(QPoint globalPoint);

    std::vector<FocusStop> focusStopsNow();
    // Record run from the keyboard: Escape alone then stops it, as a click would, and is not
    // recorded; a mouse user's recording takes Escape like any key.
    void recordFromKeyboard();
    // A hook report that belongs to the keyboard's own use of Record; true when taken.
    bool keyboardRecordingKey(std::uint8_t key, bool release);

    QImage compose();
    QString capacityText() const;

    QString text(const DialogText& text) const;
    QString text(std::u16string_view english, std::u16string_view chinese) const {
        return text(DialogText{english, chinese});
    }
    void tell(const DialogText& message, const DialogText& caption);
    QString skinFolder() const;

    MacroManagerContext context_;
    MacroEditor editor_;
    std::vector<ButtonImageSet> buttons_;
    SkinImageCache images_;
    CTransparentListBox* macroList_ = nullptr;
    CTransparentListBox* eventList_ = nullptr;
    QLineEdit* loopsField_ = nullptr;
    QMenu* menu_ = nullptr;
    QTimer nameSync_;
    FocusStops* stops_ = nullptr;
    bool escapeStops_ = false;          // recording began from the keyboard
    bool skipStartingRelease_ = false;  // the release of the Space or Enter that began it
    bool showing_ = false;              // the window is being brought in line with the editor
    bool mousePressed_ = false;
    int hoverArea_ = -1;
};

}  // namespace tq260
