#include "cli/tool_commands.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <fstream>
#include <variant>

#include "cli/key_target_text.h"
#include "cli/keyboard_list.h"
#include "cli/running_program.h"
#include "cli/tool_keyboard.h"
#include "config/config_apply.h"
#include "config/config_json.h"
#include "config/config_reader.h"
#include "config/profile_convert.h"
#include "config/shared_messages.h"
#include "config/text_encoding.h"
#include "device/block_codec.h"
#include "device/composite_operations.h"
#include "device/device_commands.h"
#include "device/device_link.h"
#include "device/lighting_effect_table.h"
#include "device/setting_limits.h"
#include "emulator/virtual_keyboard.h"
#include "keys/keymap_file.h"
#include "keys/named_function_table.h"
#include "macro/macro_file.h"
#include "platform/atomic_file.h"

namespace tq260 {

namespace {

// Writes what the tool prints to the file named. A regular file is replaced in one step,
// through the links to it so that they stay links (as every save does); anything else (a
// terminal, a pipe, /dev/stdout) cannot be replaced and is written as it is.
bool writeOutput(const std::filesystem::path& path, std::string_view text) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_type type = fs::status(path, error).type();
    // A descriptor by name (/dev/stdout, /dev/fd/N, /proc/self/fd/N) is what the shell opened,
    // perhaps a file it appends to: written at its end, never replaced or cut.
    const std::string name = path.generic_string();
    const bool descriptor = name.starts_with("/dev/") || name.starts_with("/proc/");
    if (descriptor || (type != fs::file_type::regular && type != fs::file_type::not_found &&
                       type != fs::file_type::none && type != fs::file_type::directory)) {
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        return !out.fail();
    }
    return writeFileAtomically(path, text);
}

}  // namespace

void keepVirtualKeyboardMemory(ToolContext& context, VirtualKeyboard& keyboard) {
    // Told on whichever thread changed the memory, and only once until a save succeeds.
    auto failed = std::make_shared<std::atomic<bool>>(false);
    const std::filesystem::path file = context.dataFolder / "VirtualKeyboard.bin";
    keyboard.attachStorage(
        file, [failed](const std::filesystem::path&) { *failed = true; },
        [&context](const std::filesystem::path& damaged, const std::filesystem::path& keptAs) {
            context.err << "The virtual keyboard's memory was damaged and is kept as "
                        << utf8Of(keptAs)
                        << "; it starts from its factory settings: " << utf8Of(damaged) << "\n";
        });
    if (*failed) {
        context.err << "The virtual keyboard's memory could not be read or saved: " << utf8Of(file)
                    << "\n";
    }
    context.unsavedMemory = [failed, file]() -> std::optional<std::filesystem::path> {
        if (*failed) return file;
        return std::nullopt;
    };
}

bool answeredYes(ToolContext& context, const std::string& question) {
    context.out << question << " [y/N] " << std::flush;
    std::string answer;
    std::getline(context.in, answer);
    std::transform(answer.begin(), answer.end(), answer.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (answer == "y" || answer == "yes") return true;
    context.out << "Nothing was changed.\n";
    return false;
}

int runList(ToolContext& context) {
    // The program answers for the keyboard it holds, as the tool would find it.
    if (RunningProgram* program = throughProgram(context)) {
        const RunningProgram::Reply reply = program->keyboards();
        if (reply.failed()) return tellFailure(context, reply);
        context.out << reply.text;
        return tool_exit::kDone;
    }
    if (context.holdKeyboard && !context.holdKeyboard()) return keyboardInUse(context);
    const auto keyboards = listKeyboards(context.transport, context.clock, context.trace);
    if (keyboards.empty()) return noKeyboard(context);
    context.out << describeKeyboards(keyboards);
    return tool_exit::kDone;
}

int runNames(ToolContext& context) {
    const KeyNameTable names;
    const auto line = [&](const char* title, const std::vector<std::string>& list) {
        context.out << title << ":\n ";
        std::size_t width = 1;
        for (const std::string& name : list) {
            if (width + name.size() + 3 > 90) {
                context.out << "\n ";
                width = 1;
            }
            context.out << " \"" << name << "\"";
            width += name.size() + 3;
        }
        context.out << "\n";
    };
    std::vector<std::string> keys;
    for (std::size_t key = 0; key < kKeyCount; ++key) {
        if (!isMediaKey(key)) keys.push_back(pictureKeyName(names, key));
    }
    line("The keyboard's keys (the members of \"keys\")", keys);
    std::vector<std::string> targets;
    for (int code = 0; code < 256; ++code) {
        const auto vk = static_cast<std::uint8_t>(code);
        const std::string name = keyNameOf(names, vk);
        if (names.usage(vk) != 0 && !name.empty() &&
            std::find(targets.begin(), targets.end(), name) == targets.end()) {
            targets.push_back(name);
        }
    }
    line("Keys a key can send (\"key\", \"combination\", macro events)", targets);
    std::vector<std::string> functions;
    for (const NamedFunction& f : NamedFunctionTable) functions.push_back(toUtf8(f.english));
    line("Functions (\"function\")", functions);
    std::vector<std::string> effects;
    for (const LightingEffect& e : kLightingEffects) effects.push_back(e.english);
    line("Effects (\"lighting\": \"effect\")", effects);
    return tool_exit::kDone;
}

namespace {

// The configuration as dump prints it, read by the tool itself; or the exit code of what went
// wrong.
std::variant<std::string, int> dumpText(ToolContext& context) {
    if (RunningProgram* program = throughProgram(context)) {
        const RunningProgram::Reply reply = program->dump();
        if (reply.failed()) return tellFailure(context, reply);
        return reply.text;
    }
    HostConfiguration host;
    if (const auto failed = readConfiguration(
            context, host, "keys are shown as the keyboard holds them, without launch paths")) {
        return *failed;
    }
    // The macros' names are kept by the computer too.
    auto macros = std::make_unique<MacroTable>();
    const std::filesystem::path macroFile = context.dataFolder / kMacroFileName;
    std::error_code error;
    const auto macroBytes = std::filesystem::is_regular_file(macroFile, error)
                                ? readFileBytes(macroFile, sizeof(MacroTable))
                                : std::nullopt;
    if (macroBytes) loadMacroBytes(*macroBytes, *macros);
    const KeyNameTable names;
    const auto records =
        host.keymap == HostConfiguration::Keymap::Read ? host.assignments.table.get() : nullptr;
    return configurationToJson(host.settings, names, records, macroBytes ? macros.get() : nullptr)
               .dump(2) +
           "\n";
}

}  // namespace

int runDump(ToolContext& context, const std::string& outputFile) {
    const auto dumped = dumpText(context);
    if (const int* failed = std::get_if<int>(&dumped)) return *failed;
    const std::string& text = std::get<std::string>(dumped);
    if (outputFile.empty() || outputFile == "-") {
        context.out << text;
    } else if (!writeOutput(pathFromUtf8(outputFile), text)) {
        context.err << "Could not write " << outputFile << "\n";
        return tool_exit::kCannotWrite;
    }
    return tool_exit::kDone;
}

int runFactoryReset(ToolContext& context, bool confirmed) {
    // The keyboard first: a question about a keyboard that is not there helps nobody.
    RunningProgram* program = throughProgram(context);
    DeviceLink link(context.transport, context.clock, context.trace);
    if (program == nullptr) {
        if (const auto refused = connect(context, link)) return *refused;
    }
    if (!confirmed && !answeredYes(context,
                                   "Restore the keyboard's factory settings? Every key "
                                   "assignment, macro and light setting on it is replaced.")) {
        return tool_exit::kDeclined;
    }
    if (program != nullptr) {
        const RunningProgram::Reply reply = program->factoryReset();
        if (reply.failed()) return tellFailure(context, reply);
        context.out << "The keyboard has its factory settings again.\n";
        return tool_exit::kDone;
    }
    DeviceSettings reread;
    if (restoreFactorySettings(link, reread) != OperationResult::Done) {
        return notAnswering(context, "the factory settings may not have been restored");
    }
    link.close();
    if (const auto lost = changeNotKept(context)) return *lost;
    auto table = std::make_unique<AssignmentTable>();
    setAssignmentIdentities(*table);
    const std::filesystem::path keymap = context.dataFolder / "keymap.bin";
    if (!saveKeymapFile(keymap, reread, *table)) {
        context.err << "The keyboard has its factory settings again, but " << utf8Of(keymap)
                    << " could not be written.\n";
        return tool_exit::kCannotWrite;
    }
    context.out << "The keyboard has its factory settings again.\n";
    return tool_exit::kDone;
}

int runSetLighting(ToolContext& context, const LightingChange& change) {
    std::optional<std::uint8_t> effect;
    if (change.effect) {
        const LightingEffect* found = lightingEffectNamed(*change.effect);
        if (found == nullptr) {
            context.err << "--effect: \"" << excerpt(*change.effect)
                        << "\" is not an effect; the effects are " << effectNamesText() << ".\n";
            return tool_exit::kUsage;
        }
        effect = found->code;
    }
    const auto outside = [&](const char* option, const std::optional<int>& value, int low,
                             int high) {
        if (!value || (*value >= low && *value <= high)) return false;
        context.err << option << ": " << *value << " is outside " << low << ".." << high << ".\n";
        return true;
    };
    if (outside("--brightness", change.brightness, 0, 50) ||
        outside("--speed", change.speed, 0, 9) || outside("--direction", change.direction, 1, 4)) {
        return tool_exit::kUsage;
    }
    if (!effect && !change.brightness && !change.speed && !change.direction) {
        context.err << "set lighting: give at least one of --effect, --brightness, --speed, "
                       "--direction.\n";
        return tool_exit::kUsage;
    }

    if (RunningProgram* program = throughProgram(context)) {
        nlohmann::json lighting = nlohmann::json::object();
        if (change.effect) lighting["effect"] = *change.effect;
        if (change.brightness) lighting["brightness"] = *change.brightness;
        if (change.speed) lighting["speed"] = *change.speed;
        if (change.direction) lighting["direction"] = *change.direction;
        const nlohmann::json json{{"format", kConfigFormat}, {"lighting", lighting}};
        const RunningProgram::Reply reply = program->apply(json.dump(), false);
        if (reply.failed()) return tellFailure(context, reply);
        context.out << "Lighting set.\n";
        return tool_exit::kDone;
    }
    DeviceLink link(context.transport, context.clock, context.trace);
    if (const auto refused = connect(context, link)) return *refused;
    DeviceSettings settings;
    if (readLighting(link, settings) != OperationResult::Done) {
        return notAnswering(context, "its lighting could not be read");
    }
    LightingSettings& lighting = settings.lighting;
    if (effect) lighting.effect = *effect;
    if (change.brightness) lighting.brightness = static_cast<std::uint8_t>(*change.brightness);
    if (change.speed) lighting.speed = static_cast<std::uint8_t>(*change.speed);
    if (change.direction) lighting.direction = static_cast<std::uint8_t>(*change.direction);
    if (writeLighting(link, settings) != OperationResult::Done) {
        return notAnswering(context, "the lighting was not set");
    }
    if (const auto lost = changeNotKept(context)) return *lost;
    context.out << "Lighting set.\n";
    return tool_exit::kDone;
}

}  // namespace tq260

namespace tq260 {

namespace {

bool endsWithJson(const std::string& name) {
    constexpr std::string_view kExtension = ".json";
    if (name.size() < kExtension.size()) return false;
    std::string tail = name.substr(name.size() - kExtension.size());
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == kExtension;
}

// The whole file if it can be read and is no larger than limit; otherwise says why.
std::optional<std::vector<std::uint8_t>> readInput(ToolContext& context, const std::string& file,
                                                   std::size_t limit) {
    std::error_code error;
    const std::filesystem::path path = pathFromUtf8(file);
    if (std::filesystem::is_directory(path, error)) {
        context.err << "Could not read " << file << ": it is a folder.\n";
        return std::nullopt;
    }
    // What the user names is read as it is, a pipe or /dev/stdin too.
    auto bytes = readFileBytes(path, limit + 1, FileKinds::Any);
    if (!bytes) {
        context.err << "Could not read " << file << ".\n";
        return std::nullopt;
    }
    if (bytes->size() > limit) {
        context.err << file << ": larger than " << limit << " bytes; nothing was written.\n";
        return std::nullopt;
    }
    return bytes;
}

std::string textOf(const std::vector<std::uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

int badFile(ToolContext& context, const std::string& file, const std::vector<ConfigError>& errors) {
    context.err << file << ": " << rejectionText(errors);
    return tool_exit::kBadFile;
}

// Reads the keyboard over the program's keymap.bin (as the program does at start), lets the
// request change that, and writes back what differs.
// json is the request as the program takes it, for when the change goes through it.
int changeConfiguration(ToolContext& context, const ConfigRequest& request, const std::string& json,
                        bool dryRun) {
    const auto summary = [&](bool nothing) {
        if (dryRun) {
            context.out << (nothing ? "Nothing would change" : "Dry run")
                        << ": no change was written.\n";
        } else {
            context.out << (nothing ? "Nothing to change.\n" : "Written.\n");
        }
        return tool_exit::kDone;
    };
    if (RunningProgram* program = throughProgram(context)) {
        const RunningProgram::Reply reply = program->apply(json, dryRun);
        if (reply.failed()) return tellFailure(context, reply);
        for (const std::string& line : reply.lines) context.out << line << "\n";
        return summary(reply.lines.empty());
    }
    KeyboardChange change(context);
    if (const auto failed = change.begin()) return *failed;
    const KeyNameTable names;
    const auto changes =
        applyConfiguration(request, change.host().settings, change.host().assignments, names);
    context.out << describeChanges(changes);
    // A dry run sends nothing; the read itself turned game mode on, as every full read does.
    if (dryRun) return summary(changes.empty());
    if (const auto failed = change.finish(!changes.empty())) return *failed;
    return summary(changes.empty());
}

}  // namespace

int runApply(ToolContext& context, const std::string& file, bool dryRun) {
    const auto bytes = readInput(context, file, kMaxConfigBytes);
    if (!bytes) return tool_exit::kBadFile;
    const ConfigReading reading = readConfiguration(textOf(*bytes), ValueRange::Keyboard);
    if (!reading.request) return badFile(context, file, reading.errors);
    return changeConfiguration(context, *reading.request, textOf(*bytes), dryRun);
}

int runSetKey(ToolContext& context, const std::string& assignment, bool dryRun) {
    const auto parts = splitKeyAssignment(assignment);
    if (!parts) {
        context.err << "set key: write KEY=TARGET, e.g. Caps=LCtrl or F1=macro:2.\n";
        return tool_exit::kUsage;
    }
    const KeyNameTable names;
    const auto key = pictureKeyNamed(parts->first, names);
    if (!key) {
        context.err << "set key: \"" << excerpt(parts->first)
                    << "\" is not a key of the keyboard.\n";
        return tool_exit::kUsage;
    }
    std::string error;
    const auto value = keyTargetFromText(parts->second, names, error);
    std::vector<ConfigError> errors;
    auto target = value ? readKeyTarget(*value, keyPath(parts->first), errors) : std::nullopt;
    if (target) {
        // Refused here, before either way to the keyboard, so both say the same.
        if (auto refused = keyTargetRefusal(*key, *target)) {
            errors.push_back({keyPath(pictureKeyName(names, *key)), std::move(*refused)});
            target.reset();
        }
    }
    if (!target) {
        context.err << "set key: " << (value ? describeErrors(errors) : error + "\n");
        return tool_exit::kUsage;
    }
    ConfigRequest request;
    request.keys.emplace_back(*key, *target);
    const nlohmann::json json{{"format", kConfigFormat},
                              {"keys", {{pictureKeyName(names, *key), *value}}}};
    return changeConfiguration(context, request, json.dump(), dryRun);
}

int runConvert(ToolContext& context, const std::string& from, const std::string& to) {
    const bool toJson = endsWithJson(to);
    if (toJson == endsWithJson(from)) {
        context.err << "convert: one of the two files must end in .json, the other not.\n";
        return tool_exit::kUsage;
    }
    const KeyNameTable names;
    std::string text;
    if (toJson) {
        const auto bytes = readInput(context, from, kMaxProfileBytes);
        if (!bytes) return tool_exit::kBadFile;
        std::vector<ConfigError> errors;
        const auto json = profileToJson(*bytes, names, errors);
        if (!json) return badFile(context, from, errors);
        if (bytes->size() != sizeof(DeviceSettings) && bytes->size() != kKeymapFileSize) {
            context.err << "Note: " << from << " is " << bytes->size()
                        << " bytes; the program's profiles are " << sizeof(DeviceSettings) << " or "
                        << kKeymapFileSize
                        << " bytes. It was converted as it is; members it does not reach show "
                           "zeros.\n";
        }
        text = json->dump(2) + "\n";
    } else {
        const auto bytes = readInput(context, from, kMaxConfigBytes);
        if (!bytes) return tool_exit::kBadFile;
        const ConfigReading reading = readConfiguration(textOf(*bytes), ValueRange::ProfileFile);
        if (!reading.request) return badFile(context, from, reading.errors);
        // A member left out would become zeros in the profile: every key disabled.
        if (const auto missing = missingForProfile(*reading.request, names); !missing.empty()) {
            return badFile(context, from, missing);
        }
        const auto profile = profileFromRequest(*reading.request, names);
        text.assign(profile.begin(), profile.end());
    }
    if (!writeFileAtomically(pathFromUtf8(to), std::string_view(text))) {
        context.err << "Could not write " << to << "\n";
        return tool_exit::kCannotWrite;
    }
    return tool_exit::kDone;
}

}  // namespace tq260
