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
#include "platform/real_clock.h"
#include "ui_heartbeat.h"
#include "window_services.h"

namespace tq260 {
namespace {

using Clock = std::chrono::steady_clock;

QString applicationFolder;

// The main window on a virtual keyboard with every section open and the response time list
// showing: the most it ever paints.
class OpenMainWindow {
  public:
    OpenMainWindow() {
        QFile::link(applicationFolder + "png", scratch_.filePath("png"));
        transport_.addKeyboard();
        appState_.applicationFolder = scratch_.path() + "/";
        window.initialise();
        window.show();
        while (window.session().reader().running()) QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        for (int y : {115, 363, 443, 523}) clickWindow(window, 100, y);  // every section open
        clickWindow(window, 100, 438 + 32);  // and the response time list
    }

  private:
    QTemporaryDir scratch_;
    // Real time: the keyboard's listener then sleeps between its reads as it does in use,
    // where on virtual time it would spin and take a core from the paints measured.
    RealClock clock_;
    EmulatorTransport transport_{clock_};
    DeviceLink link_{transport_, clock_, nullptr};
    ApplicationState appState_;
    BenchServices quiet_;
    NoDialogs dialogs_;
    MainWindowServices services_{link_, quiet_, quiet_, quiet_, dialogs_, quiet_,
                                 nullptr, false, false};

  public:
    CGameKeyboardDlg window{appState_, services_};
};

void FullRepaintOfTheMainWindow(benchmark::State& state) {
    OpenMainWindow open;
    CGameKeyboardDlg& window = open.window;
    const bool dense = window.devicePixelRatioF() > 1;
    state.SetLabel(dense ? "2x" : "1x");
    std::chrono::nanoseconds paints{0};
    // The window's surface on the screen: kept between paints, as a backing store is.
    QImage screen;
    for (auto _ : state) {
        const auto start = Clock::now();
        const QImage picture = window.renderWindow();
        if (screen.size() != picture.size()) screen = QImage(picture.size(), QImage::Format_RGB32);
        screen.setDevicePixelRatio(picture.devicePixelRatio());
        QPainter(&screen).drawImage(0, 0, picture);
        paints += Clock::now() - start;
    }
    const QString main = dense ? "png/english/main@2x.png" : "png/english/main.png";
    reportAgainstPlainCopies(state, paints, SkinImage::load(applicationFolder + main).image(),
                             "repaint_ms", "repaint_over_copy");
}
BENCHMARK(FullRepaintOfTheMainWindow)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// What follows every paint of the window (a hover among them): its keyboard stops and their
// accessible descriptions (the 104 keys' included) built again and matched to its widgets.
void FocusStopsAfterAPaint(benchmark::State& state) {
    OpenMainWindow open;
    state.SetLabel(open.window.devicePixelRatioF() > 1 ? "2x" : "1x");
    for (auto _ : state) open.window.focusStops().sync();
}
BENCHMARK(FocusStopsAfterAPaint)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

}  // namespace
}  // namespace tq260

TQ260_QT_BENCHMARK_MAIN(tq260::applicationFolder, "/../application/")
