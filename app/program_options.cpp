#include "app/program_options.h"

#include <QCommandLineParser>

namespace tq260 {

ProgramOptions parseProgramOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption virtualKeyboard(
        QStringLiteral("virtual-keyboard"),
        QStringLiteral("Run on the virtual keyboard instead of a real one."));
    const QCommandLineOption hidTrace(QStringLiteral("hid-trace"),
                                      QStringLiteral("Append every HID report to FILE."),
                                      QStringLiteral("FILE"));
    parser.addOption(virtualKeyboard);
    parser.addOption(hidTrace);
    parser.parse(arguments);

    ProgramOptions options;
    options.virtualKeyboard = parser.isSet(virtualKeyboard);
    options.hidTraceFile = parser.value(hidTrace);
    return options;
}

}  // namespace tq260
