#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

#include "app/file_path.h"
#include "app/lighting_effects.h"
#include "app/main_window_buttons.h"
#include "app/main_window_hit_test.h"
#include "controls/resource_bitmaps.h"
#include "controls/skin_folder.h"
#include "controls/splash_screen.h"
#include "controls/window_messages.h"
#include "device/composite_operations.h"
#include "device/device_commands.h"
#include "keys/apply_assignment.h"
#include "keys/factory_key_map.h"
#include "keys/key_layout.h"
#include "keys/key_light_bit.h"
#include "keys/keymap_file.h"
#include "keys/launch_for_key.h"
#include "keys/modified_marks.h"
#include "macro/macro_blocks.h"
#include "macro/macro_file.h"

namespace tq260 {

namespace {

constexpr int kEffectPauseMs = 300;
constexpr QPoint kBrightnessSliderAt(28, 229);
constexpr QPoint kSpeedSliderAt(28, 277);

bool within(QPoint p, int left, int top, int right, int bottom) {
    return p.x() >= left && p.x() <= right && p.y() >= top && p.y() <= bottom;
}

}  // namespace

// The device link's reports, arriving on the main thread.
class CGameKeyboardDlg::Notifications final : public DeviceEvents {
  public:
    explicit Notifications(CGameKeyboardDlg& window) : window_(window) {}
    void settingsLoaded() override {
        sendWindowMessage(&window_, WM_SETTINGS_LOADED, 0, 0);
        window_.mainThread_.post([window = &window_] { window->watchLaunchKeys(); });
    }
    void keyboardNotAnswering() override {
        // Told after the reader has ended, so the message box holds no worker.
        window_.mainThread_.post([window = &window_] {
            window->tellKeyboardProblem(KeyboardOperation::Read, OperationResult::NotAnswering);
        });
    }
    void lightingChanged(std::uint8_t effect) override {
        sendWindowMessage(&window_, WM_LIGHTING_CHANGED, effect, 0);
    }
    void keyboardRemoved() override { window_.onKeyboardRemoved(); }
    void keyboardHeld() override { window_.onKeyboardHeld(); }
    void hideWindow() override {
        if (window_.launchKeys_) window_.launchKeys_->stop();
        if (window_.initialising_) {
            window_.startHidden_ = true;
        } else if (window_.hasNotificationArea()) {
            window_.hide();
        } else {
            // Nowhere to come back from: the window stays and says why it cannot be used.
            window_.showNotice(kNoKeyboardText, 0);
        }
    }
    void registrationFailed() override {
        window_.services_.messages.warn(toU16(QString::fromLatin1(kRegistrationFailedText)),
                                        toU16(QString::fromLatin1(kTitle)));
    }

  private:
    CGameKeyboardDlg& window_;
};

CGameKeyboardDlg::CGameKeyboardDlg(ApplicationState& state, MainWindowServices services,
                                   QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Window),
      state_(state),
      services_(services),
      mainThread_(this),
      timers_(services.timers != nullptr ? *services.timers : mainThread_),
      notifications_(std::make_unique<Notifications>(*this)),
      session_(std::make_unique<DeviceSession>(services.link, state.keyboard, mainThread_,
                                               *notifications_, services.diagnostics)) {
    setMouseTracking(true);
    // Clicks give the window the focus; Tab goes only to its places (focus stops).
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (services_.keyInput != nullptr) {
        launchKeys_ = std::make_unique<LaunchKeyWatcher>(
            *services_.keyInput, mainThread_, [this](std::uint8_t key) {
                // While a dialog is up the keys are the user's answer to it (a key being
                // assigned, a macro being recorded), not a launch.
                if (QApplication::activeModalWidget() == nullptr) onLaunchKey(key);
            });
    }
}

CGameKeyboardDlg::~CGameKeyboardDlg() {
    if (stops_ != nullptr) stops_->release();
    if (tray_) tray_->hideIcon();
    if (launchKeys_) launchKeys_->stop();
    session_->shutdown();
}

QString CGameKeyboardDlg::skinFolder() const {
    return tq260::skinFolder(state_.applicationFolder, SkinWindow::Main, state_.language);
}

QString CGameKeyboardDlg::text(const char* english, const char* chinese) const {
    return QString::fromUtf8(state_.language == Language::Chinese ? chinese : english);
}

std::u16string CGameKeyboardDlg::text16(const char* english, const char* chinese) const {
    return toU16(text(english, chinese));
}

DeviceSettings CGameKeyboardDlg::recordCopy() const {
    std::lock_guard lock(state_.keyboard.recordMutex);
    return state_.keyboard.settings;
}

// ---- Start-up ------------------------------------------------------------------------

void CGameKeyboardDlg::initialise() {
    initialising_ = true;
    setWindowTitle(text(kTitle, "TQ260 104vez星岚版"));
    setWindowIcon(applicationIcon());
    ui_ = MainWindowState{};
    buttons_ = mainWindowButtons();
    state_.installed = readInstalledVersion(state_.versionPath());
    // Fixed, so that tiling desktops (sway, i3) float the window at its size instead of
    // fitting it into a tile and cutting the picture off.
    setFixedSize(images_.image(skinFolder() + QStringLiteral("main.png")).size());
    state_.assignments.marks.fill(0);
    if (services_.watcher != nullptr) session_->registerForNotifications(*services_.watcher);
    setUpSliders();
    setUpFocusStops();
    // Read once the keyboard is held, so that a tool writing them for the keyboard just now
    // has finished; without a keyboard nobody writes them for it.
    session_->connectAtStart();
    if (!keymapFile_.loaded) loadDataFiles();
    setUpTrayIcon();
    {
        std::lock_guard lock(state_.keyboard.recordMutex);
        state_.keyboard.shadow.synchronise(state_.keyboard.settings);
        *state_.assignments.shadow = *state_.assignments.table;
    }
    // A hidden window is reached through the notification area; where there is none, the
    // window stays in view so the program is never out of reach.
    if (startHidden_ && !hasNotificationArea()) {
        startHidden_ = false;
        showNotice(kNoKeyboardText, 0);
    }
    initialising_ = false;
}

void CGameKeyboardDlg::setUpSliders() {
    const auto make = [this](int id, int maximum, int position) {
        auto* slider = new CBitSlider(this);
        slider->createThumbWindow();
        slider->loadChannelStrips();
        slider->notifyId = id;
        slider->setRange(0, maximum);
        slider->setSingleStep(1);
        slider->setPageStep(1);
        slider->setValue(position);
        slider->hide();
        return slider;
    };
    speed_ = make(kSpeedSliderId, 9, 0);
    speed_->move(kSpeedSliderAt);
    brightness_ = make(kBrightnessSliderId, 50, 1);
    brightness_->move(kBrightnessSliderAt);
    if (services_.showSplash) {
        CSplashScreen splash(state_.applicationFolder, state_.language);
        splash.exec();
    }
    reportRate_ = make(kReportRateSliderId, 3, 1);
}

// ---- Messages ------------------------------------------------------------------------

bool CGameKeyboardDlg::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) readLightingWithoutEvents();
    if (const auto* message = asWindowMessage(event)) {
        switch (message->message()) {
            case WM_SETTINGS_LOADED:
                onSettingsLoaded(message->lParam() == 1);
                return true;
            case WM_LIGHTING_CHANGED:
                onLightingChanged();
                return true;
            case WM_SLIDER_CHANGED:
                onSliderChanged(static_cast<int>(message->wParam()));
                return true;
            case WM_LAUNCH_KEY:
                onLaunchKey(static_cast<std::uint32_t>(message->wParam()));
                return true;
            case WM_TRAY_NOTIFY:
                onTrayNotify(message->lParam());
                return true;
            case WM_TRAY_BALLOON:
                onTrayBalloon(message->wParam());
                return true;
            default:
                break;
        }
    }
    return QWidget::event(event);
}

void CGameKeyboardDlg::moveSlidersToRecord() {
    const DeviceSettings record = recordCopy();
    brightness_->setValue(record.lighting.brightness);
    speed_->setValue(record.lighting.speed);
    reportRate_->setValue(record.reportRate);
}

void CGameKeyboardDlg::onSettingsLoaded(bool afterProfiles) {
    if (!afterProfiles && !ui_.notice.isEmpty()) showNotice({}, 0);  // the keyboard is back
    moveSlidersToRecord();
    {
        std::lock_guard lock(state_.keyboard.recordMutex);
        if (!afterProfiles) keyboardLighting_ = state_.keyboard.settings.lighting;
        if (state_.keyboard.settings.lighting.effect >= kFirstCustomEffect) ui_.diyEditMode = true;
        recomputeMarksAfterRead(state_.keyboard.settings, *state_.assignments.table,
                                state_.assignments.marks);
    }
    // The reader has read the lighting once more for this (see SettingsReader).
    saveKeymap();
    update();
    if (!afterProfiles) checkFirmware();
}

void CGameKeyboardDlg::checkFirmware() {
    FirmwareVersion firmware;
    {
        std::lock_guard lock(state_.keyboard.recordMutex);
        firmware = state_.keyboard.identity.firmware;
    }
    const FirmwareUpdate update =
        firmwareUpdateFor(state_.installed, firmware.major, firmware.minor);
    if (update == FirmwareUpdate::None) return;
    if (!services_.messages.ask(text16("Update new firmware？", "更新到新的固件吗？"),
                                text16("Firmware Update", "固件更新"))) {
        return;
    }
    startUpdater(update == FirmwareUpdate::Flasher
                     ? QStringLiteral("Updraft")
                     : QStringLiteral("TQ377 Gaming Keyboard Zidaze_Viraru"));
}

void CGameKeyboardDlg::startUpdater(const QString& program) {
    // Named as programs are named where the program runs: "Updraft.exe" on Windows only.
#ifdef _WIN32
    const QString path = state_.applicationFolder + program + QStringLiteral(".exe");
#else
    const QString path = state_.applicationFolder + program;
#endif
    if (services_.programs.start(toU16(path), u"")) return;
    services_.messages.warn(
        toU16(text("The firmware updater could not be started. It is not installed here:\n%1",
                   "无法启动固件更新程序。此处未安装：\n%1")
                  .arg(QDir::toNativeSeparators(path))),
        text16(kTitle, "TQ260 104vez星岚版"));
}

void CGameKeyboardDlg::openMakerSite() {
    const QString site = QString::fromLatin1(kMakerSite);
    if (services_.programs.openWebPage(toU16(site))) return;
    // Nothing here opens web pages: the address is given so it can be opened elsewhere.
    services_.messages.warn(
        toU16(text("The maker's web site could not be opened. Its address is:\n%1",
                   "无法打开厂商网站。网址为：\n%1")
                  .arg(site)),
        text16(kTitle, "TQ260 104vez星岚版"));
}

void CGameKeyboardDlg::showAbout() {
    services_.messages.tell(
        text16("TQ260 104vez VANTOR\nVersion 1.0", "TQ260 104vez星岚版\n版本 1.0"),
        text16("About", "关于"));
}

void CGameKeyboardDlg::showNotice(const QString& notice, int ms) {
    ui_.notice = notice;
    ++noticeSerial_;
    if (ms > 0) {
        timers_.postAfter(ms, [this, serial = noticeSerial_] {
            if (serial == noticeSerial_) showNotice({}, 0);
        });
    }
    update();
}

void CGameKeyboardDlg::onKeyboardRemoved() {
    if (closing_) return;
    keyboardLighting_.reset();
    // Told where the user looks, and shown in the window until a keyboard is read again.
    showNotice(kNoKeyboardText, 0);
    if (hasNotificationArea()) sendWindowMessage(this, WM_TRAY_BALLOON, kNoKeyboardBalloon, 0);
}

void CGameKeyboardDlg::onLightingChanged() {
    const DeviceSettings record = recordCopy();
    keyboardLighting_ = record.lighting;
    brightness_->setValue(record.lighting.brightness);
    speed_->setValue(record.lighting.speed);
    // The tooltip says "(changed)" also while the window is hidden and paints nothing.
    if (tray_) tray_->setProfileLine(profileLine());
    update();
}

void CGameKeyboardDlg::readLightingWithoutEvents() {
    if (services_.link.hasEventChannel() || !services_.link.isConnected() || closing_) return;
    if (lightingRead_.busy() || session_->reader().running() || !recordIsTheKeyboards()) return;
    auto read = std::make_shared<DeviceSettings>(recordCopy());
    const LightingSettings shown = read->lighting;
    const std::optional<LightingSettings> before = keyboardLighting_;
    lightingRead_.start(
        [this, read](const ProgressListener&) { return readLighting(services_.link, *read); },
        [](const OperationProgress&) {},
        [this, read, before, shown](OperationResult result) {
            // An edit, preview or Save meanwhile knows better than a read that may predate it.
            if (result != OperationResult::Done || keyboardLighting_ != before ||
                operation_.busy() || keyboardLighting_ == read->lighting) {
                return;
            }
            {
                std::lock_guard lock(state_.keyboard.recordMutex);
                if (state_.keyboard.settings.lighting != shown) return;
                state_.keyboard.settings.lighting = read->lighting;
            }
            onLightingChanged();
        });
}

void CGameKeyboardDlg::onSliderChanged(int id) {
    CBitSlider* slider = id == kSpeedSliderId        ? speed_
                         : id == kBrightnessSliderId ? brightness_
                         : id == kReportRateSliderId ? reportRate_
                                                     : nullptr;
    if (slider == nullptr) return;
    int& lastHandled = id == kSpeedSliderId        ? lastHandledSpeed_
                       : id == kBrightnessSliderId ? lastHandledBrightness_
                                                   : lastHandledReportRate_;
    if (slider->value() == lastHandled) return;
    lastHandled = slider->value();
    syncSliderWithKeyboard(id);
    update();
}

void CGameKeyboardDlg::syncSliderWithKeyboard(int id) {
    if (id == kReportRateSliderId) {
        std::lock_guard lock(state_.keyboard.recordMutex);
        state_.keyboard.settings.reportRate = static_cast<std::uint8_t>(reportRate_->value());
        return;
    }
    const int speed = speed_->value();
    const int brightness = brightness_->value();
    DeviceSettings record;
    {
        std::lock_guard lock(state_.keyboard.recordMutex);
        state_.keyboard.settings.lighting.speed = static_cast<std::uint8_t>(speed);
        state_.keyboard.settings.lighting.brightness = static_cast<std::uint8_t>(brightness);
        record = state_.keyboard.settings;
    }
    // Only a value that changed since the last write reaches the keyboard.
    int& lastWritten = id == kSpeedSliderId ? lastWrittenSpeed_ : lastWrittenBrightness_;
    const int value = id == kSpeedSliderId ? speed : brightness;
    if (value == lastWritten) return;
    lastWritten = value;
    showLightingOnKeyboard(record);
}

void CGameKeyboardDlg::showLightingOnKeyboard(const DeviceSettings& record) {
    // While Save or a reset holds the keyboard, a preview would wait for it; Save ends by
    // sending what moved meanwhile.
    if (!services_.link.answering() || operation_.busy()) return;
    if (writeLighting(services_.link, record) == OperationResult::Done) {
        keyboardLighting_ = record.lighting;
        // The sliders showing these values have nothing more to send.
        lastWrittenSpeed_ = record.lighting.speed;
        lastWrittenBrightness_ = record.lighting.brightness;
    } else {
        keyboardLighting_.reset();
    }
}

void CGameKeyboardDlg::undoLightingPreview(const DeviceSettings& shown) {
    ++effectSerial_;  // an effect chosen a moment ago is not previewed any more
    if (keyboardLighting_ != shown.lighting) showLightingOnKeyboard(shown);
}

void CGameKeyboardDlg::onLaunchKey(std::uint32_t virtualKey) {
    const LaunchOutcome outcome =
        launchForKey(*state_.assignments.table, virtualKey, services_.shell);
    if (outcome.kind != LaunchOutcome::NotFound && outcome.kind != LaunchOutcome::Failed) return;
    const QString message = outcome.kind == LaunchOutcome::NotFound
                                ? text("The file or folder this key opens no longer exists:\n%1",
                                       "此按键打开的文件或文件夹已不存在：\n%1")
                                : text("The file or folder this key opens could not be opened:\n%1",
                                       "无法打开此按键的文件或文件夹：\n%1");
    services_.messages.warn(toU16(message.arg(toQString(outcome.path))),
                            text16(kTitle, "TQ260 104vez星岚版"));
}

void CGameKeyboardDlg::watchLaunchKeys() {
    if (!launchKeys_ || launchKeys_->watching() || closing_) return;
    if (launchKeys_->start() != KeyInputSource::Opened::NoPermission) return;
    // Said once, and only to someone it concerns: a key that opens something is stored.
    if (launchPermissionTold_ || !hasLaunchAssignment(*state_.assignments.table)) return;
    launchPermissionTold_ = true;
    services_.messages.tell(
        text16("Keys that open a file or folder need to read this keyboard's key presses, "
               "which this user may not do. To allow it, run once:\n\n"
               "sudo tq260-launch-keys on\n\nEverything else works without it.",
               "打开文件或文件夹的按键需要读取此键盘的按键，而当前用户没有此权限。"
               "如需允许，请运行一次：\n\nsudo tq260-launch-keys on\n\n其他功能不受影响。"),
        text16(kTitle, "TQ260 104vez星岚版"));
}

// ---- Mouse and keys ------------------------------------------------------------------

void CGameKeyboardDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) ui_.mousePressed = true;
    event->accept();
}

void CGameKeyboardDlg::mouseMoveEvent(QMouseEvent* event) {
    if (dragOffset_) {
        move(event->globalPosition().toPoint() - *dragOffset_);
        event->accept();
        return;
    }
    const QPoint p = event->position().toPoint();
    if (!(event->buttons() & Qt::LeftButton)) ui_.mousePressed = false;
    const MainWindowState before = ui_;
    bool repaint = false;
    if (ui_.effectListOpen) {
        ui_.effectListHoverRow = within(p, 28, 173, 248, 413) ? (p.y() - 173) / 20 : -1;
        repaint = ui_.effectListHoverRow != before.effectListHoverRow;
    } else if (ui_.responseListOpen) {
        const int top = layout().responseListTop;
        ui_.responseListHoverRow = within(p, 27, top, 247, top + 199) ? (p.y() - top) / 20 : -1;
        repaint = ui_.responseListHoverRow != before.responseListHoverRow;
    }
    applyPanelLayout(layout(), buttons_);
    const int button = buttonHitCode(
        buttons_, {ui_.sections, recordCopy().lighting.effect >= kFirstCustomEffect}, p);
    const int hoverable = button >= 0 && button < static_cast<int>(buttons_.size()) ? button : -1;
    if (hoverable != ui_.hoverButton) {
        for (ButtonImageSet& set : buttons_) set.state = 0;
        if (hoverable >= 0) buttons_[static_cast<std::size_t>(hoverable)].state = 1;
        ui_.hoverButton = hoverable;
        repaint = true;
    }
    ui_.hoverKey = keyHitTest(p, ui_.diyEditMode);
    const bool anyList = ui_.effectListOpen || ui_.responseListOpen;
    if (ui_.mousePressed && button < 0 && ui_.hoverKey < 0 && !anyList &&
        windowHandle() != nullptr) {
        ui_.mousePressed = false;
        // Where the desktop offers no move of its own, the window follows the pointer itself.
        if (!windowHandle()->startSystemMove()) {
            dragOffset_ = event->globalPosition().toPoint() - pos();
        }
    }
    if (ui_.hoverKey != before.hoverKey) repaint = true;
    if (repaint) update();
    event->accept();
}

void CGameKeyboardDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        // The end of a drag is not a click.
        if (dragOffset_) {
            dragOffset_.reset();
        } else {
            dispatchClick(event->position().toPoint());
        }
    }
    event->accept();
}

void CGameKeyboardDlg::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape never close the window.
    event->accept();
}

void CGameKeyboardDlg::focusOutEvent(QFocusEvent* event) {
    ui_.hoverButton = -1;
    ui_.hoverKey = -1;
    for (ButtonImageSet& set : buttons_) set.state = 0;
    update();
    QWidget::focusOutEvent(event);
}

void CGameKeyboardDlg::dispatchClick(QPoint p) {
    applyPanelLayout(layout(), buttons_);
    if (ui_.effectListOpen) {
        if (within(p, 28, 173, 248, 372)) chooseEffect((p.y() - 173) / 20);
        ui_.effectListOpen = false;
    } else if (!ui_.responseListOpen && !ui_.helpMenuOpen) {
        const bool userEffect = recordCopy().lighting.effect >= kFirstCustomEffect;
        runButtonAction(buttonHitCode(buttons_, {ui_.sections, userEffect}, p));
        runKeyAction(p);
    } else if (ui_.responseListOpen) {
        const int top = layout().responseListTop;
        if (within(p, 27, top, 247, top + 199)) {
            std::lock_guard lock(state_.keyboard.recordMutex);
            state_.keyboard.settings.responseTime =
                static_cast<std::uint8_t>((p.y() - top) / 20 + 1);
        }
        ui_.responseListOpen = false;
    } else {
        if (within(p, 830, 22, 996, 99)) {
            const int row = (p.y() - 22) / 25;
            if (row == 0) openMakerSite();
            if (row == 1) startUpdater(QStringLiteral("Updraft"));
            // The version row opens About, which is reachable without a notification area.
            if (row == 2) showAbout();
        }
        ui_.helpMenuOpen = false;
    }
    // At once, not at the next paint: the next click may come first.
    updateSliders(recordCopy());
    update();
}

void CGameKeyboardDlg::runButtonAction(int code) {
    switch (code) {
        case main_button::kHelp:
            ui_.helpMenuOpen = !ui_.helpMenuOpen;
            break;
        case main_button::kMinimize:
            // To the notification area where there is one, else to the task bar.
            if (hasNotificationArea()) {
                hide();
            } else {
                showMinimized();
            }
            break;
        case main_button::kClose:
            closeFromButton();
            break;
        case main_button::kEffectBar:
            if (!ui_.sections.lightingCollapsed) {
                ui_.effectListOpen = true;
                speed_->hide();
                brightness_->hide();
            }
            break;
        case 4:
        case 5:
        case 6:
        case 7: {
            static constexpr std::uint8_t kDirections[] = {3, 4, 2, 1};
            std::lock_guard lock(state_.keyboard.recordMutex);
            state_.keyboard.settings.lighting.direction = kDirections[code - 4];
            break;
        }
        case main_button::kMacroManager:
            runMacroManager();
            break;
        case main_button::kGameModeOn:
        case main_button::kGameModeOff: {
            std::lock_guard lock(state_.keyboard.recordMutex);
            state_.keyboard.settings.gameMode = code == main_button::kGameModeOn ? 1 : 0;
            break;
        }
        case main_button::kResponseBar:
            ui_.responseListOpen = true;
            break;
        case main_button::kProfiles:
            if (!operation_.busy()) runProfiles();
            break;
        case main_button::kFactoryReset:
            factoryReset();
            break;
        case main_button::kCancel:
            if (!operation_.busy()) cancel();
            break;
        case main_button::kSave:
            save();
            break;
        case main_button::kLightingHeader:
        case main_button::kGameModeHeader:
        case main_button::kResponseHeader:
        case main_button::kReportRateHeader:
            toggleSection(code);
            break;
        case kHitDiyKeymap:
            ui_.diyEditMode = false;
            break;
        case kHitDiyPaint:
            ui_.diyEditMode = true;
            break;
        default:
            break;
    }
}

void CGameKeyboardDlg::toggleSection(int code) {
    PanelSections& s = ui_.sections;
    bool& flag = code == main_button::kLightingHeader   ? s.lightingCollapsed
                 : code == main_button::kGameModeHeader ? s.gameModeCollapsed
                 : code == main_button::kResponseHeader ? s.responseCollapsed
                                                        : s.reportRateCollapsed;
    flag = !flag;
}

void CGameKeyboardDlg::runKeyAction(QPoint p) {
    const int key = keyHitTest(p, ui_.diyEditMode);
    ui_.selectedKey = key;
    if (key < 0 || isMediaKey(static_cast<std::size_t>(key))) return;
    if (ui_.diyEditMode) {
        std::lock_guard lock(state_.keyboard.recordMutex);
        DeviceSettings& record = state_.keyboard.settings;
        const std::uint8_t effect = record.lighting.effect;
        if (effect >= kFirstCustomEffect && effect < kFirstCustomEffect + kCustomLightMaskCount) {
            CustomLightMask& mask = record.customLightMasks[effect - kFirstCustomEffect];
            const int bit = KeyLightBit[static_cast<std::size_t>(key)];
            mask.setBit(bit, !mask.bit(bit));
        }
        return;
    }
    {
        // Edits of an earlier cancelled dialog are dropped. A keymap.bin that cannot be read
        // leaves the records as they are.
        std::lock_guard lock(state_.keyboard.recordMutex);
        if (!keymapFile_.unreadable) {
            reloadAssignments(filePath(state_.keymapPath()), *state_.assignments.table);
        }
    }
    const auto index = static_cast<std::size_t>(key);
    state_.assignments.selectedKey = index;
    // The dialog works on a copy: a cancelled dialog leaves the record as it was.
    KeyAssignment record = (*state_.assignments.table)[index];
    AssignmentRequest request;
    const auto dialog = isNavigationKey(index) ? DialogLauncher::KeyDialog::Navigation
                                               : DialogLauncher::KeyDialog::Other;
    bool disabled = false;
    {
        std::lock_guard lock(state_.keyboard.recordMutex);
        disabled = keyDisabledLocked(index);
    }
    ui_.dialogKey = key;
    update();
    const bool confirmed = services_.dialogs.runKeyDialog(dialog, index, disabled, record, request);
    ui_.dialogKey = -1;
    update();
    // The pointer left the key while the dialog was open; the next move says where it is.
    ui_.hoverKey = -1;
    if (!confirmed) return;
    {
        std::lock_guard lock(state_.keyboard.recordMutex);
        (*state_.assignments.table)[index] = record;
        AssignmentWorkspace workspace = assignmentWorkspace();
        ApplyAssignment(request, workspace);
    }
    saveKeymap();
}

bool CGameKeyboardDlg::keyDisabledLocked(std::size_t index) const {
    const std::uint8_t slot = KeyLayout[index].slot;
    return (*state_.assignments.table)[index].type == 0 &&
           state_.keyboard.settings.keyTable[slot] == KeyEntry{} && FactoryKeyMap[slot].code != 0;
}

void CGameKeyboardDlg::chooseEffect(int row) {
    if (row < 0 || row >= static_cast<int>(kLightingEffects.size())) return;
    const std::uint8_t code = kLightingEffects[static_cast<std::size_t>(row)].code;
    ui_.diyEditMode = code >= kFirstCustomEffect;
    ui_.effectListOpen = false;
    speed_->show();
    {
        std::lock_guard lock(state_.keyboard.recordMutex);
        LightingSettings& lighting = state_.keyboard.settings.lighting;
        lighting.effect = code;
        lighting.brightness = static_cast<std::uint8_t>(brightness_->value());
        lighting.speed = static_cast<std::uint8_t>(speed_->value());
    }
    // The keyboard takes the new effect after a short pause; the window stays live meanwhile.
    timers_.postAfter(kEffectPauseMs, [this, serial = effectSerial_] {
        if (serial == effectSerial_) showLightingOnKeyboard(recordCopy());
    });
}

AssignmentWorkspace CGameKeyboardDlg::assignmentWorkspace() {
    // The window saves keymap.bin itself afterwards, and says when that fails.
    return {state_.keyboard.settings, state_.assignments, state_.keyNames,
            *state_.macros.saved,     state_.language,    {}};
}

void CGameKeyboardDlg::runMacroManager() {
    state_.macros.openWorking();
    state_.macros.slotMoves = {0, 1, 2, 3, 4, 5};
    if (!services_.dialogs.runMacroManager(state_.macros)) return;
    state_.macros.commitWorking();
    {
        std::lock_guard lock(state_.keyboard.recordMutex);
        buildMacroBlocks(*state_.macros.saved, state_.keyboard.settings);
        emptyFreedMacroBlocks(*state_.macros.saved, state_.macros.slotMoves,
                              state_.keyboard.settings);
        AssignmentWorkspace workspace = assignmentWorkspace();
        followMacroMoves(state_.macros.slotMoves, workspace);
    }
    saveKeymap();
    save(macroFile_, state_.macroPath(),
         [this] { return saveMacroFile(filePath(state_.macroPath()), *state_.macros.saved); });
    update();  // keys whose macro was deleted are no longer marked
}

void CGameKeyboardDlg::runProfiles() {
    services_.dialogs.runProfiles(
        frameGeometry(), [this](const std::u16string& name) { useProfile(name); },
        [this] { refreshProfiles(); });
    // At once, not after a pause: the window's next paint writes the sliders into the record,
    // and would put the old brightness and speed back over a profile just loaded.
    sendWindowMessage(this, WM_SETTINGS_LOADED, 0, 1);
    refreshProfiles();
}

void CGameKeyboardDlg::finishRunningOperation() {
    if (!operation_.busy()) return;
    operation_.waitForWork();
    // Its end waits in the queue: handled now, so the shadows are what the keyboard took.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void CGameKeyboardDlg::leaveAsSaved() {
    finishRunningOperation();
    DeviceSettings saved;
    {
        // The reader takes a new shadow under the lock while it runs.
        std::lock_guard lock(state_.keyboard.recordMutex);
        saved = state_.keyboard.shadow.record();
    }
    undoLightingPreview(saved);
    saveKeymapFromShadows();
}

void CGameKeyboardDlg::closeFromButton() {
    leaveAsSaved();
    closing_ = true;
    close();
}

void CGameKeyboardDlg::exitFromTray() {
    // The menu stays usable while a dialog is open: each open dialog ends first, as its
    // Cancel ends it, and the exit follows once they are gone.
    // A dialog whose closing opens another is closed again, a few times at most; then the
    // program ends all the same.
    constexpr int kClosingRounds = 8;
    if (QApplication::activeModalWidget() != nullptr && exitClosingRounds_ < kClosingRounds) {
        ++exitClosingRounds_;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QDialog*>(window);
            if (dialog != nullptr && dialog->isVisible() && dialog->isModal()) dialog->close();
        }
        QTimer::singleShot(0, this, [this] { exitFromTray(); });
        return;
    }
    finishRunningOperation();
    DeviceSettings record;
    DeviceSettings held;
    {
        std::lock_guard lock(state_.keyboard.recordMutex);
        state_.keyboard.settings.lighting.effect = 1;
        record = state_.keyboard.settings;
        held = state_.keyboard.shadow.record();
    }
    showLightingOnKeyboard(record);
    // The keyboard is left on Breathing: unless the active profile has that lighting too, the
    // keyboard no longer holds it, and it is not remembered as the one it holds.
    held.lighting = record.lighting;
    // Nothing is said of a file that cannot take it: the program is ending.
    if (!activeProfileHolds(held)) state_.profiles.setActive({});
    closing_ = true;
    close();
}

void CGameKeyboardDlg::closeEvent(QCloseEvent* event) {
    // Closed by the system (not by the close button or Exit): as the close button does.
    if (!closing_) leaveAsSaved();
    closing_ = true;
    if (tray_) tray_->hideIcon();
    event->accept();
    // The program ends with this window, even while it is hidden.
    QCoreApplication::quit();
}

}  // namespace tq260
