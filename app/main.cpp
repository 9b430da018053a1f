#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include "app/game_keyboard_app.h"
#include "app/program_options.h"
#include "app/single_instance.h"
#include "keys/instance_request.h"

#ifdef _WIN32
#include "platform/windows_command_line.h"
#endif

namespace {

// The command line as given: on Windows the wide one.
QStringList commandLine(int argc, char** argv) {
    QStringList arguments;
#ifdef _WIN32
    (void)argc;
    (void)argv;
    for (const std::u16string& argument : tq260::windowsCommandLine())
        arguments << QString::fromStdU16String(argument);
#else
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
#endif
    return arguments;
}

}  // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    // Read before any window exists, so --help, --version and mistakes are answered without
    // a display.
    tq260::ProgramOptions options = tq260::parseProgramOptions(commandLine(argc, argv));
    if (!options.answer.isEmpty() || !options.error.isEmpty()) {
        QTextStream(options.error.isEmpty() ? stdout : stderr)
            << (options.error.isEmpty() ? options.answer : options.error + "\n");
        return options.error.isEmpty() ? 0 : 2;
    }
    if (options.launchKey) {
        // Only handed to the running copy: no window, so no display is needed, and this copy
        // takes no lock and makes no channel of its own.
        const QCoreApplication core(argc, argv);
        const tq260::InstanceRequest request{tq260::InstanceRequest::Kind::LaunchKey,
                                             *options.launchKey};
        if (tq260::SingleInstance().sendToFirst(
                QString::fromStdString(tq260::instanceMessage(request)))) {
            return 0;
        }
        QTextStream(stderr) << "TQ260 104vez VANTOR is not running.\n";
        return 1;
    }
    QApplication application(argc, argv);
    // Docks and Wayland match the window with the menu entry of this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tq260.vantor"));
    QApplication::setApplicationName(QStringLiteral("TQ260 104vez VANTOR"));
    // The program ends with its main window, even while that window is hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    tq260::CGameKeyboardApp program(std::move(options), sinceStart);
    return program.run();
}
