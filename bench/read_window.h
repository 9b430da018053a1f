// The main window on the virtual keyboard and the real clock, its keyboard read, in a scratch
// data folder: what the benchmarks of the window's own work start from.
#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "app/main_window.h"
#include "bench_clocks.h"
#include "emulator/emulator_transport.h"
#include "window_services.h"

namespace tq260 {

struct ReadWindow {
    // applicationFolder: where the program's skins are.
    explicit ReadWindow(const QString& applicationFolder) {
        QFile::link(applicationFolder + "png", scratch.filePath("png"));
        appState.applicationFolder = scratch.path() + "/";
        appState.dataFolder = appState.applicationFolder;
        window.initialise();
        window.show();
        while (window.session().reader().running()) QCoreApplication::processEvents();
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    }

    QTemporaryDir scratch;
    MeasuringClock clock;
    EmulatorTransport transport{clock};
    // No event channel: the listener's pauses would count as the waits of what is measured.
    VirtualKeyboard& keyboard = transport.addKeyboard({false, false, true});
    DeviceLink link{transport, clock, nullptr};
    ApplicationState appState;
    BenchServices quiet;
    NoDialogs dialogs;
    MainWindowServices services{link, quiet, quiet, quiet, dialogs, quiet, nullptr, false, false};
    CGameKeyboardDlg window{appState, services};
};

}  // namespace tq260
