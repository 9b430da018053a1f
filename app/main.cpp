#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include "app/game_keyboard_app.h"
#include "app/program_options.h"

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    // Read before any window exists, so --help, --version and mistakes are answered without
    // a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    tq260::ProgramOptions options = tq260::parseProgramOptions(arguments);
    if (!options.answer.isEmpty() || !options.error.isEmpty()) {
        QTextStream(options.error.isEmpty() ? stdout : stderr)
            << (options.error.isEmpty() ? options.answer : options.error + "\n");
        return options.error.isEmpty() ? 0 : 2;
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
