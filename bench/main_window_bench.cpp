// A full repaint of the main window, every section open and a list showing, against one
// plain copy of the decoded "main.png" in the same run; at the screen's density (run with
// QT_SCALE_FACTOR=2 for a dense screen, where both sides have four times the pixels).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <chrono>

#include "against_plain_copy.h"
#include "app/main_window.h"
#include "controls/skin_image.h"
#include "emulator/emulator_transport.h"
#include "emulator/virtual_clock.h"
#include "ui_heartbeat.h"
#include "window_services.h"

namespace tq260 {
namespace {

using Clock = std::chrono::steady_clock;

QString applicationFolder;

void FullRepaintOfTheMainWindow(benchmark::State& state) {
    QTemporaryDir scratch;
    QFile::link(applicationFolder + "png", scratch.filePath("png"));
    VirtualClock clock;
    EmulatorTransport transport(clock);
    transport.addKeyboard();
    DeviceLink link(transport, clock, nullptr);
    ApplicationState appState;
    appState.applicationFolder = scratch.path() + "/";
    BenchServices quiet;
    NoDialogs dialogs;
    MainWindowServices services{link, quiet, quiet, quiet, dialogs, quiet, nullptr, false, false};
    CGameKeyboardDlg window(appState, services);
    window.initialise();
    window.show();
    while (window.session().reader().running()) QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    for (int y : {115, 363, 443, 523}) clickWindow(window, 100, y);  // every section open
    clickWindow(window, 100, 438 + 32);                              // and the response time list

    const bool dense = window.devicePixelRatioF() > 1;
    state.SetLabel(dense ? "2x" : "1x");
    std::chrono::nanoseconds paints{0};
    for (auto _ : state) {
        const auto start = Clock::now();
        const QImage picture = window.renderWindow();
        QImage screen(picture.size(), QImage::Format_RGB32);
        screen.setDevicePixelRatio(picture.devicePixelRatio());
        QPainter(&screen).drawImage(0, 0, picture);
        paints += Clock::now() - start;
    }
    const QString main = dense ? "png/english/main@2x.png" : "png/english/main.png";
    reportAgainstPlainCopies(state, paints, SkinImage::load(applicationFolder + main).image(),
                             "repaint_ms", "repaint_over_copy");
}
BENCHMARK(FullRepaintOfTheMainWindow)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace tq260

TQ260_QT_BENCHMARK_MAIN(tq260::applicationFolder, "/../application/")
