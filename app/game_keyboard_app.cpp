#include "app/game_keyboard_app.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include "app/file_path.h"
#include "app/instance_messages.h"
#include "app/qt_translations.h"
#include "app/start_up_report.h"
#include "emulator/emulator_transport.h"
#include "emulator/virtual_hot_plug_watcher.h"
#include "keys/instance_request.h"
#include "platform/data_folder.h"
#include "platform/hidapi_transport.h"
#ifdef _WIN32
#include "platform/windows_hot_plug_watcher.h"
#else
#include "platform/evdev_key_input.h"
#include "platform/udev_hot_plug_watcher.h"
#endif

namespace tq260 {

CGameKeyboardApp::CGameKeyboardApp(ProgramOptions options, QElapsedTimer sinceStart)
    : options_(std::move(options)), sinceStart_(sinceStart) {}

CGameKeyboardApp::~CGameKeyboardApp() {
    // The window goes first: it stops the workers before the link and transport go. What
    // reaches it from the bus goes before it.
    bus_.close();
    if (dialogs_) dialogs_->setProfileRules({});
    frontProfiles_.reset();
    window_.reset();
}

bool CGameKeyboardApp::startAsFirstCopy(int& exitCode) {
    // A launch key never gets here: main() hands it on before any window object exists.
    if (instance_.becomeFirst()) return true;
    // The running copy comes to the front; this one ends.
    exitCode =
        instance_.sendToFirst(QString::fromStdString(instanceMessage(InstanceRequest{}))) ? 0 : 1;
    return false;
}

void CGameKeyboardApp::tellStorageFailure(const QString& path) {
    const bool chinese = state_.language == Language::Chinese;
    const QString text =
        chinese ? QStringLiteral("无法读取或保存虚拟键盘的存储内容：\n%1")
                : QStringLiteral("The virtual keyboard's memory could not be read or saved:\n%1");
    messages_.warn(text.arg(path).toStdU16String(),
                   chinese ? u"TQ260 104vez星岚版" : u"TQ260 104vez VANTOR");
}

void CGameKeyboardApp::tellDamagedStorage(const QString& path, const QString& keptAs) {
    const bool chinese = state_.language == Language::Chinese;
    const QString text =
        chinese
            ? QStringLiteral("虚拟键盘的存储内容已损坏，保留为 %2。虚拟键盘从出厂设置开始：\n%1")
            : QStringLiteral(
                  "The virtual keyboard's memory was damaged and is kept as %2. "
                  "The virtual keyboard starts from its factory settings:\n%1");
    messages_.warn(text.arg(path, keptAs).toStdU16String(),
                   chinese ? u"TQ260 104vez星岚版" : u"TQ260 104vez VANTOR");
}

void CGameKeyboardApp::tellHeldByAnotherUser(const QString& lockFile, const QString& user) {
    const bool chinese = state_.language == Language::Chinese;
    const QString who =
        user.isEmpty() ? (chinese ? QStringLiteral("名称未知") : QStringLiteral("name unknown"))
                       : user;
    const QString text =
        chinese ? QStringLiteral(
                      "另一个用户（%1）占用了虚拟键盘的锁文件，该文件只应由本用户的程序使用；"
                      "在它被释放之前，虚拟键盘无法使用：\n%2")
                : QStringLiteral(
                      "Another user (%1) holds the virtual keyboard's lock file, which only "
                      "this user's programs should hold; the virtual keyboard cannot be "
                      "used until it is free:\n%2");
    messages_.warn(text.arg(who, lockFile).toStdU16String(),
                   chinese ? u"TQ260 104vez星岚版" : u"TQ260 104vez VANTOR");
}

void CGameKeyboardApp::tellLockUnusable(const QString& lockFile) {
    const bool chinese = state_.language == Language::Chinese;
    const QString text =
        chinese ? QStringLiteral(
                      "无法创建或锁定虚拟键盘的锁文件（它必须是本用户自己的文件）；"
                      "在此之前，虚拟键盘无法使用：\n%1")
                : QStringLiteral(
                      "The virtual keyboard's lock file could not be made or locked (it must "
                      "be this user's own file); the virtual keyboard cannot be used until it "
                      "can:\n%1");
    messages_.warn(text.arg(lockFile).toStdU16String(),
                   chinese ? u"TQ260 104vez星岚版" : u"TQ260 104vez VANTOR");
}

bool CGameKeyboardApp::claimVirtualKeyboard() {
    // Taken once: a second claim would be refused as another program's.
    if (virtualKeyboardClaim_ != nullptr) return true;
    const std::string lock = (state_.dataPath() + "VirtualKeyboard.lock").toStdString();
    std::string otherUser;
    const DeviceClaim::Outcome outcome =
        DeviceClaim::takeLockFile(lock, virtualKeyboardClaim_, &otherUser);
    virtualKeyboardOtherUser_.reset();
    if (outcome == DeviceClaim::Outcome::HeldByAnotherUser) virtualKeyboardOtherUser_ = otherUser;
    // Without a lock nothing keeps the tool off it: not used until one can be taken.
    virtualKeyboardLockUnusable_ = outcome == DeviceClaim::Outcome::NotClaimable;
    return outcome == DeviceClaim::Outcome::Claimed;
}

void CGameKeyboardApp::holdVirtualKeyboard() {
    if (!claimVirtualKeyboard()) {
        // Not a tool command of this user's that ends within seconds: said once, and taken
        // should that user let it go.
        if (virtualKeyboardOtherUser_ && !toldOtherUser_) {
            toldOtherUser_ = true;
            QMetaObject::invokeMethod(
                qApp,
                [this, user = QString::fromStdString(*virtualKeyboardOtherUser_),
                 lock = QDir::toNativeSeparators(state_.dataPath() + "VirtualKeyboard.lock")] {
                    tellHeldByAnotherUser(lock, user);
                },
                Qt::QueuedConnection);
        }
        if (virtualKeyboardLockUnusable_ && !toldLockUnusable_) {
            toldLockUnusable_ = true;
            QMetaObject::invokeMethod(
                qApp,
                [this, lock = QDir::toNativeSeparators(
                           state_.dataPath() + "VirtualKeyboard.lock")] { tellLockUnusable(lock); },
                Qt::QueuedConnection);
        }
        // A tool command holds it now and ends within seconds; the program starts anyway rather
        // than refuse, and takes it as soon as it is free. Until then the keyboard is not
        // there for the program: its memory is read, and plugged in, only once it is held.
        QTimer::singleShot(kVirtualKeyboardRetryMs, qApp, [this] { holdVirtualKeyboard(); });
        return;
    }
    const auto native = [](const std::filesystem::path& file) {
        return QDir::toNativeSeparators(QString::fromStdString(file.string()));
    };
    // Its failures are told on the main thread; the memory changes on the workers too.
    virtualKeyboard_->attachStorage(
        filePath(state_.dataPath() + "VirtualKeyboard.bin"),
        [this, native](const std::filesystem::path& file) {
            QMetaObject::invokeMethod(
                qApp, [this, path = native(file)] { tellStorageFailure(path); },
                Qt::QueuedConnection);
        },
        [this, native](const std::filesystem::path& file, const std::filesystem::path& keptAs) {
            QMetaObject::invokeMethod(
                qApp,
                [this, path = native(file), aside = native(keptAs.filename())] {
                    tellDamagedStorage(path, aside);
                },
                Qt::QueuedConnection);
        });
    virtualKeyboard_->plug();
}

void CGameKeyboardApp::openTheKeyboard() {
    if (options_.virtualKeyboard) {
        auto emulator = std::make_unique<EmulatorTransport>(clock_);
        // The virtual keyboard keeps its memory beside the program, as a keyboard keeps its flash.
        virtualKeyboard_ = &emulator->addKeyboard();
        if (options_.keyboardFaults)
            applyKeyboardFaults(*options_.keyboardFaults, *virtualKeyboard_);
        virtualKeyboard_->unplug();
        watcher_ = std::make_unique<VirtualHotPlugWatcher>(*emulator);
        transport_ = std::move(emulator);
        // A tool command holding it ends within seconds: waited for a while, so that the
        // window opens with the keyboard in it rather than without.
        const QDeadlineTimer deadline(kVirtualKeyboardWaitMs);
        while (!claimVirtualKeyboard() && !virtualKeyboardOtherUser_ &&
               !virtualKeyboardLockUnusable_ && !deadline.hasExpired()) {
            QThread::msleep(kVirtualKeyboardRetryMs);
        }
        holdVirtualKeyboard();
    } else {
        transport_ = std::make_unique<HidapiTransport>();
#ifdef _WIN32
        // Launch keys reach the program through --launch-key, started by the system.
        watcher_ = std::make_unique<WindowsHotPlugWatcher>();
#else
        watcher_ = std::make_unique<UdevHotPlugWatcher>();
        keyInput_ = std::make_unique<EvdevKeyInput>(kKeyboardVendorId, kKeyboardProductId);
#endif
    }
    std::shared_ptr<HidTrace> trace =
        options_.hidTraceFile.isEmpty()
            ? HidTrace::fromEnvironment(clock_)
            : std::make_shared<HidTrace>(filePath(options_.hidTraceFile), clock_);
    link_ = std::make_unique<DeviceLink>(*transport_, clock_, trace);
}

int CGameKeyboardApp::run() {
    if (!options_.error.isEmpty()) {
        QTextStream(stderr) << options_.error << "\n";
        return 2;
    }
    int exitCode = 0;
    if (!startAsFirstCopy(exitCode)) return exitCode;

    state_.language = languageFromSetting(readLanguageSetting());
    qtTranslations_ = loadQtTranslations(state_.language);
    if (qtTranslations_) QCoreApplication::installTranslator(qtTranslations_.get());
    state_.applicationFolder = QCoreApplication::applicationDirPath() + QDir::separator();
    // The data files stay beside the program where it may write, as in a build tree or a
    // portable folder; an installed program keeps them in the user's own data folder.
    const std::filesystem::path data = dataFolderFor(filePath(state_.applicationFolder));
    state_.dataFolder =
        QDir::toNativeSeparators(QDir(QString::fromStdU16String(data.u16string())).absolutePath()) +
        QDir::separator();
    bus_.offer(state_, options_.virtualKeyboard);
    openTheKeyboard();

    dialogs_ = std::make_unique<QtDialogs>(state_, hook_, messages_, pickers_, clock_);
    MainWindowServices services{*link_,    messages_,    programs_,     shell_,
                                *dialogs_, diagnostics_, watcher_.get()};
    services.showSplash = !options_.noSplash;
    services.keyInput = keyInput_.get();
    window_ = std::make_unique<CGameKeyboardDlg>(state_, services);
    messages_.setOwner(window_.get());
    dialogs_->setOwner(window_.get());
    instance_.onMessage = [this](const QString& message) {
        handleInstanceMessage(*window_, message);
    };
    frontTimers_ = std::make_unique<QtMainThreadQueue>(window_.get());
    frontProfiles_ = std::make_unique<FrontProfiles>(*window_, state_, *frontTimers_);
    const SessionDescription session = sessionFromEnvironment();
    const FrontSource source = chooseFrontSource(session);
    frontProfiles_->watch(source, makeFrontWatcher(source, session));
    dialogs_->setProfileRules(
        [this](QWidget* owner) { frontProfiles_->runRulesWindow(owner, messages_); });
    bus_.attach(*window_, *frontProfiles_);
    window_->initialise();
    if (options_.hidden && !window_->hasNotificationArea()) {
        // Nothing to come back from: out of the way, but within reach.
        window_->showMinimized();
    } else if (!window_->startsHidden() && !options_.hidden) {
        window_->show();
    }

    if (options_.startUpReport) {
        // Reported once the event loop runs (the window has been laid out); then the end.
        QTimer::singleShot(0, window_.get(), [this] {
            QTextStream(stdout) << startUpReport(sinceStart_.elapsed(), options_.noSplash);
            window_->closeFromButton();
        });
    }
    return QApplication::exec();
}

}  // namespace tq260
