// tq260ctl: the keyboard's configuration from the command line.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/config_json.h"
#include "cli/keyboard_list.h"
#include "device/composite_operations.h"
#include "device/device_link.h"
#include "device/hid_trace.h"
#include "emulator/emulator_transport.h"
#include "keys/keymap_file.h"
#include "macro/macro_file.h"
#include "platform/atomic_file.h"
#include "platform/data_folder.h"
#include "platform/hidapi_transport.h"
#include "platform/real_clock.h"

namespace {

// Exit codes: what scripts can tell apart.
constexpr int kExitNoKeyboard = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNotAnswering = 3;
constexpr int kExitCannotWrite = 4;
constexpr int kExitInUse = 5;

// The folder of this executable: the virtual keyboard's memory is kept where the program
// keeps it, so both see the same keyboard.
std::filesystem::path executableFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path() : self.parent_path();
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Reads and changes the configuration of the TQ260 104vez VANTOR keyboard."};
    app.name("tq260ctl");
    app.require_subcommand(1);
    bool virtualKeyboard = false;
    std::string traceFile;
    app.add_flag("--virtual-keyboard", virtualKeyboard,
                 "Use the virtual keyboard instead of a real one.");
    app.add_option("--hid-trace", traceFile, "Append every HID report to FILE.")
        ->option_text("FILE");
    CLI::App* list =
        app.add_subcommand("list", "List the keyboards with their channels and firmware.");
    CLI::App* dump =
        app.add_subcommand("dump", "Print the keyboard's whole configuration as JSON (format 1).");
    std::string output;
    dump->add_option("--output", output, "Write it to FILE instead.")->option_text("FILE");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::ParseError& error) {
        app.exit(error);
        return kExitUsage;
    }

    const std::filesystem::path dataFolder = tq260::dataFolderFor(executableFolder());
    tq260::RealClock clock;
    std::shared_ptr<tq260::HidTrace> trace =
        traceFile.empty() ? tq260::HidTrace::fromEnvironment(clock)
                          : std::make_shared<tq260::HidTrace>(traceFile, clock);
    std::unique_ptr<tq260::HidTransport> transport;
    if (virtualKeyboard) {
        auto emulator = std::make_unique<tq260::EmulatorTransport>(clock);
        emulator->addKeyboard().attachStorage(
            dataFolder / "VirtualKeyboard.bin", [](const std::filesystem::path& file) {
                std::cerr << "The virtual keyboard's memory could not be read or saved: "
                          << file.string() << "\n";
            });
        transport = std::move(emulator);
    } else {
        transport = std::make_unique<tq260::HidapiTransport>();
    }

    if (list->parsed()) {
        const auto keyboards = tq260::listKeyboards(*transport, clock, trace);
        if (keyboards.empty()) {
            std::cerr << "No TQ260 keyboard found.\n";
            return kExitNoKeyboard;
        }
        std::cout << tq260::describeKeyboards(keyboards);
        return 0;
    }

    tq260::DeviceLink link(*transport, clock, trace);
    if (!link.connect()) {
        if (tq260::keyboardHeldElsewhere(*transport)) {
            // Its transactions and ours would interleave on the command channel.
            std::cerr << "The keyboard is in use by another program (TQ260 104vez VANTOR): "
                         "close it and try again.\n";
            return kExitInUse;
        }
        std::cerr << "No TQ260 keyboard found.\n";
        return kExitNoKeyboard;
    }
    tq260::DeviceSettings settings;
    tq260::DeviceIdentity identity;
    if (tq260::fullRead(link, settings, identity) != tq260::OperationResult::Done) {
        std::cerr << "The keyboard is not answering: its configuration could not be read.\n";
        return kExitNotAnswering;
    }
    if (dump->parsed()) {
        const tq260::KeyNameTable names;
        // The paths launch keys open are kept by the computer, in keymap.bin; the tool reads
        // it where the program keeps it, and never makes it.
        auto records = std::make_unique<tq260::AssignmentTable>();
        const std::filesystem::path keymap = dataFolder / "keymap.bin";
        bool haveRecords = false;
        if (std::error_code error; std::filesystem::is_regular_file(keymap, error)) {
            tq260::DeviceSettings image;
            haveRecords =
                tq260::LoadKeymapFile(keymap, false, image, *records) == tq260::DataFileLoad::Read;
        }
        auto macros = std::make_unique<tq260::MacroTable>();
        const std::filesystem::path macroFile = dataFolder / "MacroDefine.bin";
        bool haveMacros = false;
        if (std::error_code error; std::filesystem::is_regular_file(macroFile, error)) {
            haveMacros = tq260::loadMacroFile(macroFile, *macros) == tq260::DataFileLoad::Read;
        }
        const std::string text =
            tq260::configurationToJson(settings, names, haveRecords ? records.get() : nullptr,
                                       haveMacros ? macros.get() : nullptr)
                .dump(2) +
            "\n";
        if (output.empty()) {
            std::cout << text;
        } else if (!tq260::writeFileAtomically(
                       output, std::span(reinterpret_cast<const std::uint8_t*>(text.data()),
                                         text.size()))) {
            std::cerr << "Could not write " << output << "\n";
            return kExitCannotWrite;
        }
    }
    return 0;
}
