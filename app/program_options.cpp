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
    const QCommandLineOption launchKey(
        QStringLiteral("launch-key"),
        QStringLiteral(
            "Tell the running program that the key with virtual-key code VK was pressed."),
        QStringLiteral("VK"));
    const QCommandLineOption noSplash(QStringLiteral("no-splash"),
                                      QStringLiteral("Start without the splash screen."));
    const QCommandLineOption startUpReport(
        QStringLiteral("startup-report"),
        QStringLiteral("Report start-up time and memory, then end."));
    parser.addOptions({virtualKeyboard, hidTrace, launchKey, noSplash, startUpReport});
    parser.parse(arguments);

    ProgramOptions options;
    options.virtualKeyboard = parser.isSet(virtualKeyboard);
    options.hidTraceFile = parser.value(hidTrace);
    if (parser.isSet(launchKey)) {
        bool number = false;
        const uint key = parser.value(launchKey).toUInt(&number, 0);
        if (number) options.launchKey = key;
    }
    options.noSplash = parser.isSet(noSplash);
    options.startUpReport = parser.isSet(startUpReport);
    return options;
}

}  // namespace tq260
