// tq260ctl: the keyboard's configuration from the command line.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/tool_commands.h"
#include "emulator/emulator_transport.h"
#include "platform/data_folder.h"
#include "platform/hidapi_transport.h"
#include "platform/real_clock.h"

namespace {

// The folder of this executable: the virtual keyboard's memory and the program's data files
// are found where the program keeps them, so both see the same keyboard.
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
    CLI::App* apply = app.add_subcommand(
        "apply", "Check a JSON file, then write what differs from the keyboard, as Save does.");
    std::string applyFile;
    bool dryRun = false;
    apply->add_option("FILE", applyFile, "The configuration (format 1).")->required();
    apply->add_flag("--dry-run", dryRun, "Only say what would change.");
    CLI::App* set = app.add_subcommand("set", "Change part of the configuration.");
    set->require_subcommand(1);
    CLI::App* lighting =
        set->add_subcommand("lighting", "Change the lighting; the fields not given stay.");
    tq260::LightingChange change;
    lighting->add_option("--effect", change.effect, "An effect of the list, e.g. Wave, DIY1.")
        ->option_text("NAME");
    lighting->add_option("--brightness", change.brightness, "0..50.")->option_text("N");
    lighting->add_option("--speed", change.speed, "0..9.")->option_text("N");
    lighting->add_option("--direction", change.direction, "1..4.")->option_text("N");
    CLI::App* key = set->add_subcommand(
        "key",
        "Assign a key: KEY=TARGET, TARGET one of default, disabled, NAME, "
        "combination:NAME+NAME, function:NAME, macro:1..6, launch:KIND:PATH, or JSON.");
    std::string keyAssignment;
    key->add_option("KEY=TARGET", keyAssignment, "e.g. Caps=LCtrl, F1=macro:2.")->required();
    key->add_flag("--dry-run", dryRun, "Only say what would change.");
    CLI::App* convert = app.add_subcommand(
        "convert", "Turn a profile file or keymap.bin into JSON, or JSON back into one.");
    std::string convertFrom;
    std::string convertTo;
    convert->add_option("FILE", convertFrom, "PROFILE.bin or FILE.json.")->required();
    convert->add_option("--to", convertTo, "FILE.json or PROFILE.bin.")
        ->option_text("FILE")
        ->required();
    CLI::App* reset = app.add_subcommand("reset", "Restore the keyboard's factory settings.");
    bool factory = false;
    bool yes = false;
    reset->add_flag("--factory", factory, "The factory settings (required).")->required();
    reset->add_flag("--yes", yes, "Do not ask first.");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::ParseError& error) {
        app.exit(error);
        return tq260::tool_exit::kUsage;
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
    tq260::ToolContext context{*transport, clock,     trace,   dataFolder,
                               std::cout,  std::cerr, std::cin};
    if (list->parsed()) return tq260::runList(context);
    if (dump->parsed()) return tq260::runDump(context, output);
    if (apply->parsed()) return tq260::runApply(context, applyFile, dryRun);
    if (lighting->parsed()) return tq260::runSetLighting(context, change);
    if (key->parsed()) return tq260::runSetKey(context, keyAssignment, dryRun);
    if (convert->parsed()) return tq260::runConvert(context, convertFrom, convertTo);
    if (reset->parsed() && factory) return tq260::runFactoryReset(context, yes);
    return tq260::tool_exit::kUsage;
}
