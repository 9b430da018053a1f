#pragma once

#include <QElapsedTimer>
#include <QTranslator>
#include <memory>
#include <optional>
#include <string>

#include "app/application_state.h"
#include "app/dialog_launcher.h"
#include "app/front_profiles.h"
#include "app/main_window.h"
#include "app/program_bus.h"
#include "app/program_options.h"
#include "app/qt_diagnostics.h"
#include "app/qt_dialogs.h"
#include "app/qt_key_hook.h"
#include "app/qt_platform.h"
#include "app/single_instance.h"
#include "emulator/virtual_keyboard.h"
#include "platform/device_claim.h"
#include "platform/key_input_source.h"
#include "platform/real_clock.h"

namespace tq260 {

// The application object: one copy per user session (a later start hands its request to
// the running copy and ends), then the main window for the rest of the run. It owns the
// program's state and everything the window talks through.
class CGameKeyboardApp {
  public:
    CGameKeyboardApp(ProgramOptions options, QElapsedTimer sinceStart);
    ~CGameKeyboardApp();

    // Runs the program to its end; the process's exit code.
    int run();

  private:
    bool startAsFirstCopy(int& exitCode);
    void openTheKeyboard();
    // Says that the virtual keyboard's memory file could not be read or written.
    void tellStorageFailure(const QString& path);
    // Says that its memory file held no memory image and where it was kept.
    void tellDamagedStorage(const QString& path, const QString& keptAs);

    ProgramOptions options_;
    QElapsedTimer sinceStart_;
    SingleInstance instance_;
    ApplicationState state_;
    // Qt's own texts in the interface's language; installed while the program runs.
    std::unique_ptr<QTranslator> qtTranslations_;
    RealClock clock_;
    std::unique_ptr<HidTransport> transport_;
    // Held while the program runs on the virtual keyboard, as a real keyboard's node is held
    // while connected, so the command-line tool does not interleave with it.
    std::unique_ptr<DeviceClaim> virtualKeyboardClaim_;
    VirtualKeyboard* virtualKeyboard_ = nullptr;
    static constexpr int kVirtualKeyboardRetryMs = 200;
    static constexpr int kVirtualKeyboardWaitMs = 5000;
    // Takes the lock if nobody else holds it; true while this process holds it.
    bool claimVirtualKeyboard();
    // Another user's name (empty when the system does not say) while another user holds the
    // lock or owns its file; whether that was said yet.
    std::optional<std::string> virtualKeyboardOtherUser_;
    bool toldOtherUser_ = false;
    bool virtualKeyboardLockUnusable_ = false;
    bool toldLockUnusable_ = false;
    // Says that another user holds the virtual keyboard; the window's bottom bar says only
    // that no keyboard is there.
    void tellHeldByAnotherUser(const QString& lockFile, const QString& user);
    void tellLockUnusable(const QString& lockFile);
    // Once held: the memory is read and the keyboard plugged in; until then, tried again.
    void holdVirtualKeyboard();
    std::unique_ptr<HotPlugWatcher> watcher_;
    std::unique_ptr<KeyInputSource> keyInput_;
    std::unique_ptr<DeviceLink> link_;
    QtMessageBoxes messages_;
    QtProgramStarter programs_;
    QtShellLauncher shell_;
    QtFilePickers pickers_;
    QtKeyHook hook_;
    std::unique_ptr<QtDialogs> dialogs_;
    QtDiagnostics diagnostics_;
    std::unique_ptr<CGameKeyboardDlg> window_;
    ProgramBus bus_;
    // Profiles by the application in front; gone before the window.
    std::unique_ptr<QtMainThreadQueue> frontTimers_;
    std::unique_ptr<FrontProfiles> frontProfiles_;
};

}  // namespace tq260
