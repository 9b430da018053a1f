#include <QApplication>
#include <QElapsedTimer>

#include "app/game_keyboard_app.h"
#include "app/program_options.h"

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TQ260 104vez VANTOR"));
    // The program ends with its main window, even while that window is hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    tq260::CGameKeyboardApp program(tq260::parseProgramOptions(QCoreApplication::arguments()),
                                    sinceStart);
    return program.run();
}
