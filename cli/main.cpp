// tq260ctl: the keyboard's configuration from the command line.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/doctor.h"
#include "cli/keyboard_list.h"
#include "cli/profile_commands.h"
#include "cli/rules_commands.h"
#include "cli/running_program.h"
#include "cli/tool_commands.h"
#include "config/text_encoding.h"
#include "emulator/emulator_transport.h"
#include "platform/data_folder.h"
#include "platform/device_claim.h"
#ifdef _WIN32
#include <windows.h>

#include "platform/windows_command_line.h"
#endif
#if !defined(_WIN32) || defined(TQ260_HIDAPI)
#include "platform/hidapi_transport.h"
#endif
#include "platform/real_clock.h"

namespace {

// Whole numbers in decimal only: "020" is twenty, never sixteen, and "0x10" is refused.
const CLI::Validator kDecimal(
    [](std::string& text) {
        const std::size_t digits = text.rfind('-', 0) == 0 ? 1 : 0;
        if (text.size() == digits || text.size() > digits + 9 ||
            text.find_first_not_of("0123456789", digits) != std::string::npos) {
            return "\"" + tq260::excerpt(text) + "\" is not a whole number";
        }
        text = std::to_string(std::stol(text));
        return std::string();
    },
    "N");

// A mistyped subcommand is named, rather than reported as a missing one.
std::optional<std::string> unknownSubcommand(CLI::App& app, int argc, char** argv) {
    static const std::string kTakesAValue[] = {"--hid-trace", "--output",     "--to",
                                               "--effect",    "--brightness", "--speed",
                                               "--direction", "--root"};
    CLI::App* current = &app;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--") break;
        if (std::find(std::begin(kTakesAValue), std::end(kTakesAValue), word) !=
            std::end(kTakesAValue)) {
            ++i;
            continue;
        }
        if (word.rfind("-", 0) == 0) continue;
        const auto subcommands = current->get_subcommands({});
        if (subcommands.empty()) break;
        const auto found =
            std::find_if(subcommands.begin(), subcommands.end(),
                         [&](const CLI::App* sub) { return sub->get_name() == word; });
        if (found == subcommands.end()) return word;
        current = *found;
    }
    return std::nullopt;
}

#ifdef _WIN32
// Windows hands main its arguments in the ANSI code page, where a Chinese file name becomes
// "?"; the wide command line has them whole. The tool works in UTF-8 throughout, and so does
// the console it writes to.
struct Utf8Arguments {
    std::vector<std::string> texts;
    std::vector<char*> pointers;

    Utf8Arguments() {
        for (const std::u16string& argument : tq260::windowsCommandLine())
            texts.push_back(tq260::toUtf8(argument));
        for (std::string& text : texts) pointers.push_back(text.data());
        pointers.push_back(nullptr);
        SetConsoleOutputCP(CP_UTF8);
    }
};
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    Utf8Arguments utf8;
    if (!utf8.texts.empty()) {
        argc = static_cast<int>(utf8.texts.size());
        argv = utf8.pointers.data();
    }
#endif
    CLI::App app{"Reads and changes the configuration of the TQ260 104vez VANTOR keyboard."};
    app.name("tq260ctl");
    app.require_subcommand(1);
    // The program's options may also follow the subcommand.
    app.fallthrough();
    app.footer(
        "Exit codes: 0 done, 1 no keyboard, 2 a wrong command line, 3 the keyboard did not "
        "answer, 4 a file could not be written, 5 the keyboard is in use by another program "
        "(or user), 6 a question answered no, 7 a file to read could not be read or is not "
        "valid.\n");
    bool virtualKeyboard = false;
    std::string traceFile;
    app.add_flag("--virtual-keyboard", virtualKeyboard,
                 "Use the virtual keyboard instead of a real one.");
    app.add_option("--hid-trace", traceFile, "Append every HID report to FILE.")
        ->option_text("FILE");
    bool direct = false;
    app.add_flag("--direct", direct,
                 "Talk to the keyboard only, never through the running program (refused, 5, "
                 "while the program holds it).");
    CLI::App* list =
        app.add_subcommand("list", "List the keyboards with their channels and firmware.");
    CLI::App* namesList = app.add_subcommand(
        "names", "List the key, function and effect names the JSON format takes.");
    CLI::App* dump =
        app.add_subcommand("dump", "Print the keyboard's whole configuration as JSON (format 1).");
    std::string output;
    dump->add_option("--output", output, "Write it to FILE instead (- for the output).")
        ->option_text("FILE");
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
    lighting->add_option("--brightness", change.brightness, "0..50.")->transform(kDecimal);
    lighting->add_option("--speed", change.speed, "0..9.")->transform(kDecimal);
    lighting->add_option("--direction", change.direction, "1..4.")->transform(kDecimal);
    CLI::App* key = set->add_subcommand(
        "key",
        "Assign a key: KEY=TARGET, TARGET one of default, disabled, NAME, "
        "combination:NAME+NAME, function:NAME, macro:1..6, launch:KIND:PATH, or JSON.");
    std::string keyAssignment;
    key->add_option("KEY=TARGET", keyAssignment,
                    "e.g. Caps=LCtrl, F1=macro:2, ==disabled for the = key; a KEY=TARGET that "
                    "begins with - follows --, as in: set key --dry-run -- -=A.")
        ->required();
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
    CLI::App* profile = app.add_subcommand(
        "profile",
        "The program's six profiles: list, use, save, show, rename or delete one by its name.");
    profile->require_subcommand(1);
    std::string profileName;
    std::string newProfileName;
    CLI::App* profileList =
        profile->add_subcommand("list", "The profiles, * before the one the keyboard was given.");
    CLI::App* profileUse = profile->add_subcommand(
        "use",
        "Give the keyboard the profile (only what differs is sent) and make it active; refused "
        "(5) where that would drop a configuration no profile holds, unless --keep or --discard.");
    CLI::App* profileSave = profile->add_subcommand(
        "save", "Save the keyboard's configuration into the profile, made when missing.");
    CLI::App* profileShow =
        profile->add_subcommand("show", "Print the profile as JSON (format 1).");
    CLI::App* profileRename = profile->add_subcommand(
        "rename", "Rename the profile; the active mark and the rules that name it follow.");
    CLI::App* profileDelete = profile->add_subcommand(
        "delete", "Delete the profile (asks first; the last profile is kept).");
    for (CLI::App* command : {profileUse, profileSave, profileShow, profileRename, profileDelete}) {
        command->add_option("NAME", profileName, "The profile's name.")->required();
    }
    profileRename->add_option("NEW", newProfileName, "Its new name.")->required();
    bool keep = false;
    bool discard = false;
    CLI::Option* keepOption = profileUse->add_flag(
        "--keep", keep,
        "Where the keyboard's configuration is in no profile: keep it first in the active "
        "profile (or, with none active, in a new one).");
    profileUse
        ->add_flag("--discard", discard,
                   "Where the keyboard's configuration is in no profile: let it go.")
        ->excludes(keepOption);
    profileDelete->add_flag("--yes", yes, "Do not ask first.");
    CLI::App* rules = app.add_subcommand(
        "rules",
        "The profile each application in front gets: list, add, remove, move, otherwise, on, off, "
        "notice.");
    rules->require_subcommand(1);
    tq260::RulesChange rulesChange;
    CLI::App* rulesList = rules->add_subcommand("list", "The rules, in the order they are tried.");
    CLI::App* rulesAdd = rules->add_subcommand(
        "add", "Give the application (its window class, app id or executable name) the profile.");
    rulesAdd->add_option("APPLICATION", rulesChange.application, "e.g. steam.")->required();
    rulesAdd->add_option("PROFILE", rulesChange.profile, "One of the program's profiles.")
        ->required();
    CLI::App* rulesRemove = rules->add_subcommand(
        "remove", "Take the application's rules away (with --path only that one).");
    rulesRemove->add_option("APPLICATION", rulesChange.application, "As it was added.")->required();
    CLI::App* rulesMove = rules->add_subcommand(
        "move", "Put the application's rule (with --path, that one) at place N of the list.");
    rulesMove->add_option("APPLICATION", rulesChange.application, "As it was added.")->required();
    rulesMove->add_option("--to", rulesChange.position, "The place, from 1 (see rules list).")
        ->option_text("N")
        ->transform(kDecimal)
        ->required();
    for (CLI::App* command : {rulesAdd, rulesRemove, rulesMove}) {
        command
            ->add_option("--path", rulesChange.executablePath,
                         "Only when the application runs this executable.")
            ->option_text("EXE");
    }
    CLI::App* rulesOtherwise = rules->add_subcommand(
        "otherwise", "The profile every other application gets; --leave to leave the keyboard.");
    rulesOtherwise->add_option("PROFILE", rulesChange.profile, "One of the program's profiles.");
    bool leave = false;
    rulesOtherwise->add_flag("--leave", leave, "Leave the keyboard as it is.");
    CLI::App* rulesOn = rules->add_subcommand("on", "Follow the application in front.");
    CLI::App* rulesOff = rules->add_subcommand("off", "Stop following it.");
    CLI::App* rulesNotice =
        rules->add_subcommand("notice", "on: say each switch (a notice from the tray); off: not.");
    std::string noticeSwitch;
    rulesNotice->add_option("SWITCH", noticeSwitch, "on or off.")
        ->check(CLI::IsMember({"on", "off"}))
        ->required();
    CLI::App* doctor = app.add_subcommand(
        "doctor", "Say what stands between this user and a real keyboard; reads only.");
    std::string doctorRoot;
    doctor->add_option("--root", doctorRoot, "Look at DIR instead of / (for tests).")
        ->option_text("DIR");
    if (const auto unknown = unknownSubcommand(app, argc, argv)) {
        std::cerr << "tq260ctl: \"" << tq260::excerpt(*unknown)
                  << "\" is not a subcommand; see tq260ctl --help (set takes lighting or key; "
                     "profile takes list, use, save, show, rename or delete; rules takes list, "
                     "add, remove, move, otherwise, on, off or notice).\n";
        return tq260::tool_exit::kUsage;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::ParseError& error) {
        app.exit(error);
        return tq260::tool_exit::kUsage;
    }

    // Where the program keeps its data files and the virtual keyboard's memory, so both see
    // the same keyboard.
    const std::filesystem::path dataFolder = tq260::dataFolderFor(tq260::executableFolder());
    tq260::RealClock clock;
    std::shared_ptr<tq260::HidTrace> trace =
        traceFile.empty()
            ? tq260::HidTrace::fromEnvironment(clock)
            : std::make_shared<tq260::HidTrace>(tq260::pathFromUtf8(traceFile), clock);
    if (!traceFile.empty() && !trace->isOpen()) {
        std::cerr << "Could not open the HID trace " << traceFile << "\n";
        return tq260::tool_exit::kCannotWrite;
    }
    // The virtual keyboard has no device node to hold; a lock file beside its memory stands
    // in for it, so two programs never interleave on it.
    std::unique_ptr<tq260::DeviceClaim> claim;
    std::optional<std::string> heldByAnotherUser;
    bool lockFileUnusable = false;
    const auto holdVirtualKeyboard = [&] {
        if (claim != nullptr) return true;
        std::string otherUser;
        const auto outcome = tq260::DeviceClaim::takeLockFile(
            tq260::utf8Of(dataFolder / "VirtualKeyboard.lock"), claim, &otherUser);
        if (outcome == tq260::DeviceClaim::Outcome::HeldByAnotherUser)
            heldByAnotherUser = otherUser;
        // Without a lock nothing keeps another program off it: refused as well.
        lockFileUnusable = outcome == tq260::DeviceClaim::Outcome::NotClaimable;
        return outcome == tq260::DeviceClaim::Outcome::Claimed;
    };
    std::unique_ptr<tq260::HidTransport> transport;
    tq260::VirtualKeyboard* virtualKeys = nullptr;
    if (virtualKeyboard) {
        auto emulator = std::make_unique<tq260::EmulatorTransport>(clock);
        virtualKeys = &emulator->addKeyboard();
        transport = std::move(emulator);
    } else {
#if defined(_WIN32) && !defined(TQ260_HIDAPI)
        // No hidapi for Windows in this build: the tool reaches the virtual keyboard only.
        // Converting and listing names need no keyboard; they get a transport with none.
        if (!convert->parsed() && !namesList->parsed() && !profileList->parsed() &&
            !profileShow->parsed() && !rules->parsed()) {
            std::cerr << "This build reaches the virtual keyboard only: add "
                         "--virtual-keyboard.\n";
            return tq260::tool_exit::kNoKeyboard;
        }
        transport = std::make_unique<tq260::EmulatorTransport>(clock);
#else
        transport = std::make_unique<tq260::HidapiTransport>();
#endif
    }
    tq260::ToolContext context{*transport, clock,     trace,   dataFolder,
                               std::cout,  std::cerr, std::cin};
    if (virtualKeys != nullptr) {
        // Its memory is read once it is held, so a program that wrote it just now has finished.
        context.holdKeyboard = [&, attached = false]() mutable {
            if (!holdVirtualKeyboard()) {
                context.heldByAnotherUser = heldByAnotherUser;
                context.lockFileUnusable = lockFileUnusable;
                return false;
            }
            if (!attached) tq260::keepVirtualKeyboardMemory(context, *virtualKeys);
            attached = true;
            return true;
        };
    }
    // While the program holds the keyboard, the commands that need it go through the program
    // on the session bus; asked once, when a command first needs the keyboard.
    std::unique_ptr<tq260::RunningProgram> program;
    if (!direct) {
        context.program = [&, asked = false]() mutable {
            if (!asked) {
                asked = true;
                const bool held = virtualKeys != nullptr ? !holdVirtualKeyboard()
                                                         : tq260::keyboardHeldElsewhere(*transport);
                // Another user's program is not on this user's bus.
                if (held && !heldByAnotherUser && !lockFileUnusable) {
                    program = tq260::RunningProgram::reach(virtualKeys != nullptr);
                }
            }
            return program.get();
        };
    }
    if (doctor->parsed()) {
        if (virtualKeyboard) {
            std::cerr << "doctor looks at a real keyboard: leave out --virtual-keyboard.\n";
            return tq260::tool_exit::kUsage;
        }
        tq260::DoctorProbes probes = tq260::systemProbes(context);
        if (!doctorRoot.empty()) probes.root = tq260::pathFromUtf8(doctorRoot);
        return tq260::runDoctor(context, probes);
    }
    if (rulesList->parsed()) return tq260::runRulesList(context);
    if (rules->parsed()) {
        using Kind = tq260::RulesChange::Kind;
        rulesChange.kind = rulesAdd->parsed()      ? Kind::Add
                           : rulesRemove->parsed() ? Kind::Remove
                           : rulesMove->parsed()   ? Kind::Move
                           : rulesOn->parsed()     ? Kind::On
                           : rulesOff->parsed()    ? Kind::Off
                           : rulesNotice->parsed()
                               ? (noticeSwitch == "on" ? Kind::NoticeOn : Kind::NoticeOff)
                               : Kind::Otherwise;
        if (rulesOtherwise->parsed() && leave == rulesChange.profile.has_value()) {
            std::cerr << "rules otherwise: give a PROFILE or --leave, one of the two.\n";
            return tq260::tool_exit::kUsage;
        }
        return tq260::runRulesChange(context, rulesChange);
    }
    if (list->parsed()) return tq260::runList(context);
    if (namesList->parsed()) return tq260::runNames(context);
    if (dump->parsed()) return tq260::runDump(context, output);
    if (apply->parsed()) return tq260::runApply(context, applyFile, dryRun);
    if (lighting->parsed()) return tq260::runSetLighting(context, change);
    if (key->parsed()) return tq260::runSetKey(context, keyAssignment, dryRun);
    if (convert->parsed()) return tq260::runConvert(context, convertFrom, convertTo);
    if (reset->parsed() && factory) return tq260::runFactoryReset(context, yes);
    if (profileList->parsed()) return tq260::runProfileList(context);
    if (profileUse->parsed()) {
        return tq260::runProfileUse(context, profileName,
                                    keep      ? tq260::Unkept::Keep
                                    : discard ? tq260::Unkept::Discard
                                              : tq260::Unkept::Refuse);
    }
    if (profileSave->parsed()) return tq260::runProfileSave(context, profileName);
    if (profileShow->parsed()) return tq260::runProfileShow(context, profileName);
    if (profileRename->parsed()) {
        return tq260::runProfileRename(context, profileName, newProfileName);
    }
    if (profileDelete->parsed()) return tq260::runProfileDelete(context, profileName, yes);
    return tq260::tool_exit::kUsage;
}
