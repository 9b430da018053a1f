#include <QCoreApplication>
#include <QDir>
#include <QTextStream>
#include <memory>

#include "app/configuration_text.h"
#include "app/program_options.h"
#include "device/composite_operations.h"
#include "device/device_link.h"
#include "emulator/emulator_transport.h"
#include "platform/hidapi_transport.h"
#include "platform/real_clock.h"

using namespace tq260;

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const ProgramOptions options = parseProgramOptions(QCoreApplication::arguments());

    RealClock clock;
    std::unique_ptr<HidTransport> transport;
    if (options.virtualKeyboard) {
        auto emulator = std::make_unique<EmulatorTransport>(clock);
        // The virtual keyboard keeps its memory beside the program, as a keyboard keeps its flash.
        const QString memoryFile = QDir(QCoreApplication::applicationDirPath())
                                       .filePath(QStringLiteral("VirtualKeyboard.bin"));
        emulator->addKeyboard().attachStorage(memoryFile.toStdString());
        transport = std::move(emulator);
    } else {
        transport = std::make_unique<HidapiTransport>();
    }

    std::shared_ptr<HidTrace> trace =
        options.hidTraceFile.isEmpty()
            ? HidTrace::fromEnvironment(clock)
            : std::make_shared<HidTrace>(options.hidTraceFile.toStdString(), clock);
    DeviceLink link(*transport, clock, trace);

    QTextStream out(stdout);
    if (!link.connect()) {
        out << "No Gaming Keyboard Detected!\n";
        return 1;
    }
    DeviceSettings settings;
    DeviceIdentity identity;
    fullRead(link, settings, identity);
    out << (options.virtualKeyboard ? "Virtual keyboard" : "Keyboard") << " connected\n"
        << configurationText(settings, identity);
    link.close();
    return 0;
}
