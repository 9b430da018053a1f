#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTextStream>
#include <QTimer>
#include <memory>

#include "app/application_state.h"
#include "app/instance_messages.h"
#include "app/main_window.h"
#include "app/program_options.h"
#include "app/qt_platform.h"
#include "app/single_instance.h"
#include "app/start_up_report.h"
#include "device/device_link.h"
#include "emulator/emulator_transport.h"
#include "emulator/virtual_hot_plug_watcher.h"
#include "platform/debug_output.h"
#include "platform/hidapi_transport.h"
#include "platform/real_clock.h"
#include "platform/udev_hot_plug_watcher.h"

using namespace tq260;

namespace {

// What a later copy of the program asks the running one.
QString messageFor(const ProgramOptions& options) {
    if (options.launchKey) return QStringLiteral("launch-key %1").arg(*options.launchKey);
    return QStringLiteral("show");
}

}  // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(CGameKeyboardDlg::kTitle));
    QApplication::setQuitOnLastWindowClosed(false);
    const ProgramOptions options = parseProgramOptions(QCoreApplication::arguments());

    SingleInstance instance;
    if (!instance.becomeFirst()) {
        // The running copy does the work; this one only passes the request on.
        return instance.sendToFirst(messageFor(options)) ? 0 : 1;
    }
    if (options.launchKey) {
        QTextStream(stderr) << "TQ260 104vez VANTOR is not running.\n";
        return 1;
    }

    ApplicationState state;
    state.language = languageFromSetting(readLanguageSetting());
    state.applicationFolder = QCoreApplication::applicationDirPath() + QDir::separator();

    RealClock clock;
    std::unique_ptr<HidTransport> transport;
    std::unique_ptr<HotPlugWatcher> watcher;
    if (options.virtualKeyboard) {
        auto emulator = std::make_unique<EmulatorTransport>(clock);
        // The virtual keyboard keeps its memory beside the program, as a keyboard keeps its flash.
        emulator->addKeyboard().attachStorage(
            (state.applicationFolder + "VirtualKeyboard.bin").toStdString());
        watcher = std::make_unique<VirtualHotPlugWatcher>(*emulator);
        transport = std::move(emulator);
    } else {
        transport = std::make_unique<HidapiTransport>();
        watcher = std::make_unique<UdevHotPlugWatcher>();
    }
    std::shared_ptr<HidTrace> trace =
        options.hidTraceFile.isEmpty()
            ? HidTrace::fromEnvironment(clock)
            : std::make_shared<HidTrace>(options.hidTraceFile.toStdString(), clock);
    DeviceLink link(*transport, clock, trace);

    QtMessageBoxes messages;
    QtProgramStarter programs;
    QtShellLauncher shell;
    NoDialogs dialogs;
    DebugOutput diagnostics;
    MainWindowServices services{link,    messages,    programs,     shell,
                                dialogs, diagnostics, watcher.get()};
    services.showSplash = !options.noSplash;

    CGameKeyboardDlg window(state, services);
    messages.setOwner(&window);
    instance.onMessage = [&window](const QString& message) {
        handleInstanceMessage(window, message);
    };
    QElapsedTimer splash;
    window.initialise();
    if (!window.startsHidden()) window.show();

    if (options.startUpReport) {
        // Reported once the window has painted; then the program ends.
        QTimer::singleShot(0, &window, [&] {
            QTextStream(stdout) << startUpReport(sinceStart.elapsed(), options.noSplash);
            window.closeFromButton();
        });
    }
    return QApplication::exec();
}
