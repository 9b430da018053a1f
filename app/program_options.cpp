#include "app/program_options.h"

#include <QCommandLineParser>

#include "keys/launch_for_key.h"

namespace tq260 {

ProgramOptions parseProgramOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption virtualKeyboard(
        QStringLiteral("virtual-keyboard"),
        QStringLiteral("Run on the virtual keyboard instead of a real one."));
    const QCommandLineOption faults(
        QStringLiteral("virtual-keyboard-faults"),
        QStringLiteral("Run on the virtual keyboard and make it misbehave: %1.")
            .arg(QString::fromLatin1(kKeyboardFaultsSyntax)),
        QStringLiteral("FAULTS"));
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
    const QCommandLineOption hidden(
        QStringLiteral("hidden"),
        QStringLiteral("Start hidden in the notification area (minimised where there is none)."));
    parser.addOptions(
        {virtualKeyboard, faults, hidTrace, launchKey, hidden, noSplash, startUpReport});
    parser.setApplicationDescription(
        QStringLiteral("Configures the TQ260 104vez VANTOR gaming keyboard (USB 04d9:a12f)."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show these options and end."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the program's version and end."));
    parser.addOptions({help, version});
    ProgramOptions options;
    if (!parser.parse(arguments)) options.error = parser.errorText();
    options.virtualKeyboard = parser.isSet(virtualKeyboard);
    options.hidTraceFile = parser.value(hidTrace);
    if (parser.isSet(faults)) {
        std::string error;
        options.keyboardFaults = parseKeyboardFaults(parser.value(faults).toStdString(), error);
        options.virtualKeyboard = true;
        if (!options.keyboardFaults && options.error.isEmpty()) {
            options.error =
                QStringLiteral("--virtual-keyboard-faults: %1. It takes %2.")
                    .arg(QString::fromStdString(error), QString::fromLatin1(kKeyboardFaultsSyntax));
        }
    }
    if (parser.isSet(launchKey)) {
        const QString value = parser.value(launchKey);
        if (const auto key = parseVirtualKeyCode(value.toStdString())) {
            options.launchKey = *key;
        } else if (options.error.isEmpty()) {
            options.error =
                QStringLiteral("--launch-key takes a virtual-key code from 0 to 255, not \"%1\".")
                    .arg(value);
        }
    }
    if (parser.isSet(help)) {
        // The parser's own help text names the program by its file; it is started as tq260.
        const QString text = parser.helpText();
        options.answer = QStringLiteral("Usage: tq260 [options]") + text.mid(text.indexOf('\n'));
    } else if (parser.isSet(version)) {
        options.answer =
            QStringLiteral("TQ260 104vez VANTOR %1\n").arg(QStringLiteral(TQ260_VERSION));
    }
    options.hidden = parser.isSet(hidden);
    options.noSplash = parser.isSet(noSplash);
    options.startUpReport = parser.isSet(startUpReport);
    return options;
}

}  // namespace tq260
