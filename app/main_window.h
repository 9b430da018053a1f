#pragma once

#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/application_state.h"
#include "app/dialog_launcher.h"
#include "app/panel_layout.h"
#include "app/qt_platform.h"
#include "app/tray_icon.h"
#include "config/bus_names.h"
#include "config/config_apply.h"
#include "config/profile_use.h"
#include "controls/bit_slider.h"
#include "controls/button_image_set.h"
#include "controls/focus_stop.h"
#include "controls/skin_image_cache.h"
#include "device/background_operation.h"
#include "device/device_events.h"
#include "device/device_link.h"
#include "device/device_session.h"
#include "device/operation_result.h"
#include "keys/apply_assignment.h"
#include "keys/launch_key_watcher.h"
#include "platform/atomic_file.h"
#include "platform/diagnostics.h"
#include "platform/hot_plug_watcher.h"
#include "platform/key_input_source.h"
#include "profiles/profile_image.h"

namespace tq260 {

// What the main window uses from outside.
struct MainWindowServices {
    DeviceLink& link;
    MessageBoxes& messages;
    ProgramStarter& programs;
    ShellLauncher& shell;
    DialogLauncher& dialogs;
    Diagnostics& diagnostics;
    HotPlugWatcher* watcher = nullptr;
    bool showSplash = true;
    bool trayIcon = true;
    // The keyboard's own keystrokes, for its launch keys; none on the virtual keyboard.
    KeyInputSource* keyInput = nullptr;
    // Where the window's timed tasks wait (the pause before an effect is written, how long
    // news stays): Qt's timers unless given, so tests can run them on virtual time.
    MainThreadQueue* timers = nullptr;
};

// The interaction state of the main window.
// A Save or factory reset running with the keyboard, as the window shows it.
struct OperationDisplay {
    enum class Kind { None, Saving, Resetting, Saved };
    Kind kind = Kind::None;
    OperationProgress progress;
};

struct MainWindowState {
    bool effectListOpen = false;
    bool responseListOpen = false;
    bool helpMenuOpen = false;
    bool diyEditMode = false;
    PanelSections sections;
    bool mousePressed = false;
    int hoverButton = -1;
    int hoverKey = -1;
    int selectedKey = -1;
    // The key whose dialog is open, drawn lit until it closes.
    int dialogKey = -1;
    // The key the keyboard's arrows are on in the keyboard picture.
    int focusKey = -1;
    int effectListHoverRow = -1;
    int responseListHoverRow = -1;
    OperationDisplay operation;
    // A line at the bottom of the window where there is no notification area to tell it.
    QString notice;
};

// The program's main window: the keyboard picture, the lighting and performance column
// and the bottom buttons, all painted from the skin; everything else arrives as mouse
// clicks and program messages.
class CGameKeyboardDlg final : public QWidget {
  public:
    static constexpr const char* kTitle = "TQ260 104vez VANTOR";
    static constexpr const char* kMakerSite = "http://www.tq260-gaming.com";
    static constexpr int kSpeedSliderId = 1007;
    static constexpr int kReportRateSliderId = 1010;
    static constexpr int kBrightnessSliderId = 1017;

    CGameKeyboardDlg(ApplicationState& state, MainWindowServices services,
                     QWidget* parent = nullptr);
    ~CGameKeyboardDlg() override;

    // The start-up sequence; afterwards the window is shown unless startsHidden().
    void initialise();
    bool startsHidden() const { return startHidden_; }
    // Whether the window can hide to a notification-area icon and come back from it.
    bool hasNotificationArea() const;

    const MainWindowState& windowState() const { return ui_; }
    const std::vector<ButtonImageSet>& buttons() const { return buttons_; }
    CBitSlider* speedSlider() const { return speed_; }
    CBitSlider* brightnessSlider() const { return brightness_; }
    CBitSlider* reportRateSlider() const { return reportRate_; }
    DeviceSession& session() { return *session_; }
    // True while a Save or factory reset runs with the keyboard.
    bool keyboardBusy() const { return operation_.busy(); }
    // The whole window as the next paint draws it.
    QImage renderWindow();

    // The actions of the notification-area menu and of the close button.
    void exitFromTray();
    void closeFromButton();

    // Gives the keyboard the profile, through Save's path, after asking where the current
    // configuration would be lost; it is then the active one (main_window_profiles.cpp).
    void useProfile(const std::u16string& name);
    // "Profile: Game", with " (changed)" while the live configuration is not that profile's;
    // empty while no profile is active.
    QString profileLine();
    // The places Tab reaches, for the keyboard and screen readers (main_window_focus.cpp).
    FocusStops& focusStops() { return *stops_; }
    // The notification area's menu, also where the icon cannot be shown.
    TrayIcon& trayIcon() { return *tray_; }

    // Requests from other programs (the session bus), in main_window_bus.cpp.
    // Whether one may run now: no dialog of the program is up, no operation or read runs.
    bool freeForRequests() const;
    // Whether what the keyboard holds can be read now: no operation or read runs (a dialog
    // may be open).
    bool freeForReads() const;
    // Why the keyboard cannot be read or changed now; nothing when it can.
    std::optional<bus::Error> keyboardUnavailable() const;
    // Whether the window holds edits the keyboard does not have.
    bool hasUnsavedEdits() const;
    // What the keyboard holds, as format-1 JSON text, with the lighting it shows (a preview).
    std::string keyboardConfigurationJson() const;
    // The keyboards present as `tq260ctl list` prints them; the one held here is not opened
    // again. Empty when there is none.
    std::string keyboardListText() const;
    // Before the profile is used without asking: what becomes of a configuration that no
    // profile holds, decided as the tool decides it.
    UnkeptOutcome settleUnkeptBefore(const std::u16string& name, Unkept unkept);
    // Makes the configuration what the request asks, shows it and sends it as Save does;
    // then hears how the send ended. A dry run (against what the keyboard holds), or a
    // request that changes nothing, sends nothing and then is not called. The changes.
    std::vector<ConfigChange> applyRequest(const ConfigRequest& request, bool dryRun,
                                           std::function<void(OperationResult)> then);
    // Gives the keyboard the listed profile without asking; Done when it is being sent, and
    // then hears how that ended.
    ProfileStore::Outcome sendProfile(const std::u16string& name,
                                      std::function<void(OperationResult)> then);
    // Says the profile the rules gave the keyboard: a notice from the tray, or in the window.
    void noticeProfileUsed(const std::u16string& name);
    // Says news of the rules (a switch that waits, a rule that cannot work) the same way.
    void noticeFromRules(const QString& notice, QSystemTrayIcon::MessageIcon icon);
    // Saves what the keyboard holds (the lighting it shows) into the profile, made when
    // missing; it becomes active.
    ProfileStore::Outcome saveKeyboardInProfile(const std::u16string& name);
    // The factory reset without the question.
    void restoreFactory(std::function<void(OperationResult)> then);
    // Told when the keyboard was given something, and when the active profile changed.
    struct ChangeListener {
        std::function<void()> configurationChanged;
        std::function<void(const std::u16string&)> profileChanged;
    };
    void setChangeListener(ChangeListener listener) { changes_ = std::move(listener); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    class Notifications;

    static constexpr int kTrayDoubleClick = 0x203;  // the platform's left-button double click
    static constexpr int kNoKeyboardBalloon = 15;
    static constexpr int kBalloonMs = 5000;
    static constexpr const char* kNoKeyboardText = "No Gaming Keyboard Detected!";

    // Start-up.
    void setUpSliders();
    void setUpFocusStops();
    std::vector<FocusStop> focusStopsNow();
    FocusStop keyboardStop(const DeviceSettings& record);
    // A click's whole path, for a place activated from the keyboard.
    void clickAt(QPoint point);
    // A key that sends nothing; the caller holds the record's lock.
    bool keyDisabledLocked(std::size_t index) const;
    void setUpTrayIcon();
    void loadDataFiles();

    // Messages.
    void onSettingsLoaded(bool afterProfiles);
    void onLightingChanged();
    void onKeyboardRemoved();
    void onSliderChanged(int id);
    void onLaunchKey(std::uint32_t virtualKey);
    // Watches the keyboard's keys for launch assignments while it is connected.
    void watchLaunchKeys();
    void onTrayNotify(qintptr event);
    void onTrayBalloon(qintptr kind);

    // Clicks.
    void dispatchClick(QPoint point);
    void runButtonAction(int code);
    void runKeyAction(QPoint point);
    void chooseEffect(int row);
    // Device operations (main_window_operations.cpp).
    enum class KeyboardOperation { Read, Save, FactoryReset };
    // then hears how it ended, after the window has taken the result.
    void save(std::function<void(OperationResult)> then = {});
    void cancel();
    void factoryReset();
    ChangeListener changes_;
    // The active profile as last seen, to tell its changes.
    std::optional<std::u16string> toldProfile_;
    void tellKeyboardProblem(KeyboardOperation operation, OperationResult result);
    bool recordIsTheKeyboards() const;
    void finishSave(OperationResult result, const SettingsShadow& sent,
                    const std::function<void(OperationResult)>& then);
    void finishFactoryReset(OperationResult result, const DeviceSettings& reread,
                            const std::function<void(OperationResult)>& then);
    void showOperation(OperationDisplay::Kind kind, const OperationProgress& progress = {});
    void paintOperation(QPainter& painter);
    static constexpr int kOperationLineWidth = 360;
    static constexpr int kBottomButtonsLeft = 790;
    // Where the operation's line starts: clear of a dialog over the window.
    int operationLineLeft() const;
    QString stepName(OperationStep step) const;
    // Waits for a running Save or reset and takes its end, before the window goes.
    void finishRunningOperation();
    // Closing: the keyboard shows the saved lighting again and keymap.bin holds what was
    // saved; edits not saved are dropped.
    void leaveAsSaved();
    void runMacroManager();
    void runProfiles();
    // Profiles (main_window_profiles.cpp).
    LiveConfiguration liveConfiguration();
    // The store read again; the tray's list, its tooltip and an open profile dialog follow.
    void refreshProfiles();
    // Where the configuration is in no profile: asks whether to keep it first. False to stop.
    bool keepConfigurationBefore(const std::u16string& name);
    void warnAboutProfile(const QString& message);
    void tellProfileOutcome(const ProfileStore::Outcome& outcome);
    // The profile as the one the keyboard holds; a file that cannot remember it is said once.
    void rememberActive(const std::u16string& name);
    // Whether the active profile (if any) holds what the keyboard now has.
    bool activeProfileHolds(const DeviceSettings& held);
    CachedProfileImage activeImage_;
    // The profile being sent, named in the bottom bar until the keyboard has it or not.
    std::u16string sendingProfile_;
    void checkFirmware();
    // Starts an updater beside the program, or says that it is not there.
    void startUpdater(const QString& program);
    // The help menu's first row; says so, with the address, when nothing opens it.
    void openMakerSite();
    void showAbout();
    // ms 0: until replaced.
    void showNotice(const QString& notice, int ms);
    void toggleSection(int code);

    // Painting.
    QImage compose();
    void paintKeyboard(QPainter& painter, const DeviceSettings& record);
    void paintBottom(QPainter& painter);
    void paintPanel(QPainter& painter, const DeviceSettings& record);
    void paintLighting(QPainter& painter, const DeviceSettings& record);
    void paintLists(QPainter& painter);
    void paintTrack(QPainter& painter, CBitSlider* slider);
    void updateSliders(const DeviceSettings& record);
    // Where the open lists and menu lie.
    QRegion openPopups() const;
    void syncSliderWithKeyboard(int id);
    // The lighting written at once so the user sees it; skipped while the keyboard is not
    // answering (Save sends it then).
    void showLightingOnKeyboard(const DeviceSettings& record);
    // Cancel and Close: the keyboard shows the lighting the window shows (the saved one)
    // again, when a preview left it showing another.
    void undoLightingPreview(const DeviceSettings& shown);
    void moveSlidersToRecord();

    // Helpers.
    PanelLayout layout() const { return PanelLayout::of(ui_.sections); }
    DeviceSettings recordCopy() const;
    void saveKeymap();
    // What applying an assignment works on; used under the record's lock.
    AssignmentWorkspace assignmentWorkspace();
    void saveKeymapFromShadows();
    QString skinFolder() const;
    QString text(const char* english, const char* chinese) const;
    std::u16string text16(const char* english, const char* chinese) const;

    ApplicationState& state_;
    MainWindowServices services_;
    MainWindowState ui_;
    std::vector<ButtonImageSet> buttons_;
    SkinImageCache images_;
    QtMainThreadQueue mainThread_;
    MainThreadQueue& timers_;
    std::unique_ptr<Notifications> notifications_;
    std::unique_ptr<DeviceSession> session_;
    // Declared after the queue it posts to, so it is gone (its thread joined) first.
    BackgroundOperation operation_{mainThread_};
    // Reads the keyboard's lighting when the user comes back to the window, where the event
    // channel that would report its own lighting keys could not be opened.
    BackgroundOperation lightingRead_{mainThread_};
    void readLightingWithoutEvents();
    std::unique_ptr<LaunchKeyWatcher> launchKeys_;
    bool launchPermissionTold_ = false;
    bool activeFileFailureTold_ = false;
    FocusStops* stops_ = nullptr;
    int helpMenuRow_ = -1;
    CBitSlider* speed_ = nullptr;
    CBitSlider* brightness_ = nullptr;
    CBitSlider* reportRate_ = nullptr;
    int lastHandledSpeed_ = -1;
    int lastHandledBrightness_ = -1;
    int lastHandledReportRate_ = -1;
    int lastWrittenSpeed_ = -1;
    int lastWrittenBrightness_ = -1;
    int lastReportRateHeaderY_ = -1;
    // The lighting the keyboard shows, as far as the window knows: read, previewed, saved
    // or changed on the keyboard itself. Unknown after a write that failed.
    std::optional<LightingSettings> keyboardLighting_;
    // Tells a pending effect preview that Cancel has made it stale.
    int effectSerial_ = 0;
    std::unique_ptr<TrayIcon> tray_;
    bool startHidden_ = false;
    bool initialising_ = false;
    bool closing_ = false;
    // How often Exit has closed the open dialogs before it ends the program.
    int exitClosingRounds_ = 0;
    int noticeSerial_ = 0;
    // Pointer less window position while the window moves itself.
    std::optional<QPoint> dragOffset_;
    // A data file the window saves. One that exists but could not be read is never written
    // over; nor is one that changed on disk since this program read or wrote it (another
    // program wrote it): that is read again once the keyboard is held here. A save that
    // fails is said once, until one succeeds again.
    struct SavedFile {
        bool loaded = false;
        bool unreadable = false;
        bool failureTold = false;
        bool changeTold = false;
        std::optional<FileStamp> stamp;
    };
    SavedFile keymapFile_;
    SavedFile macroFile_;
    void loadKeymapFile();
    void loadMacroFile();
    // Once the keyboard is held: the files read for the first time, or again where another
    // program changed them while it was not held here.
    void onKeyboardHeld();
    void noteLoad(SavedFile& file, DataFileLoad load, const QString& path,
                  const std::filesystem::path& keptAside);
    void save(SavedFile& file, const QString& path, const std::function<bool()>& write);
};

}  // namespace tq260
