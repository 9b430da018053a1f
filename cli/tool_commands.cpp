#include "cli/tool_commands.h"

#include <algorithm>

#include "cli/config_json.h"
#include "cli/keyboard_list.h"
#include "device/composite_operations.h"
#include "device/device_commands.h"
#include "device/device_link.h"
#include "device/lighting_effect_table.h"
#include "keys/keymap_file.h"
#include "macro/macro_file.h"
#include "platform/atomic_file.h"

namespace tq260 {

namespace {

int noKeyboard(ToolContext& context) {
    context.err << "No TQ260 keyboard found.\n";
    return tool_exit::kNoKeyboard;
}

// Opens the keyboard, or says why not and gives the exit code.
std::optional<int> connect(ToolContext& context, DeviceLink& link) {
    if (link.connect()) return std::nullopt;
    if (keyboardHeldElsewhere(context.transport)) {
        // Its transactions and ours would interleave on the command channel.
        context.err << "The keyboard is in use by another program (TQ260 104vez VANTOR): "
                       "close it and try again.\n";
        return tool_exit::kInUse;
    }
    return noKeyboard(context);
}

int notAnswering(ToolContext& context, const char* what) {
    context.err << "The keyboard is not answering: " << what << ".\n";
    return tool_exit::kNotAnswering;
}

// The paths launch keys open and the macros' names are kept by the computer; they are read
// where the program keeps them, and never made.
template <typename Table, typename Load>
std::unique_ptr<Table> hostFile(const std::filesystem::path& file, Load load) {
    auto table = std::make_unique<Table>();
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return nullptr;
    return load(file, *table) == DataFileLoad::Read ? std::move(table) : nullptr;
}

}  // namespace

int runList(ToolContext& context) {
    const auto keyboards = listKeyboards(context.transport, context.clock, context.trace);
    if (keyboards.empty()) return noKeyboard(context);
    context.out << describeKeyboards(keyboards);
    return tool_exit::kDone;
}

int runDump(ToolContext& context, const std::string& outputFile) {
    DeviceLink link(context.transport, context.clock, context.trace);
    if (const auto refused = connect(context, link)) return *refused;
    DeviceSettings settings;
    DeviceIdentity identity;
    if (fullRead(link, settings, identity) != OperationResult::Done) {
        return notAnswering(context, "its configuration could not be read");
    }
    link.close();
    const auto records = hostFile<AssignmentTable>(
        context.dataFolder / "keymap.bin", [](const auto& file, AssignmentTable& table) {
            DeviceSettings image;
            return LoadKeymapFile(file, false, image, table);
        });
    const auto macros = hostFile<MacroTable>(
        context.dataFolder / "MacroDefine.bin",
        [](const auto& file, MacroTable& table) { return loadMacroFile(file, table); });
    const KeyNameTable names;
    const std::string text =
        configurationToJson(settings, names, records.get(), macros.get()).dump(2) + "\n";
    if (outputFile.empty()) {
        context.out << text;
    } else if (!writeFileAtomically(outputFile, text)) {
        context.err << "Could not write " << outputFile << "\n";
        return tool_exit::kCannotWrite;
    }
    return tool_exit::kDone;
}

int runFactoryReset(ToolContext& context, bool confirmed) {
    if (!confirmed) {
        context.out << "Restore the keyboard's factory settings? Every key assignment, macro "
                       "and light setting on it is replaced. [y/N] "
                    << std::flush;
        std::string answer;
        std::getline(context.in, answer);
        if (answer != "y" && answer != "Y" && answer != "yes") {
            context.out << "Nothing was changed.\n";
            return tool_exit::kDeclined;
        }
    }
    DeviceLink link(context.transport, context.clock, context.trace);
    if (const auto refused = connect(context, link)) return *refused;
    DeviceSettings reread;
    if (restoreFactorySettings(link, reread) != OperationResult::Done) {
        return notAnswering(context, "the factory settings may not have been restored");
    }
    link.close();
    auto table = std::make_unique<AssignmentTable>();
    setAssignmentIdentities(*table);
    const std::filesystem::path keymap = context.dataFolder / "keymap.bin";
    if (!saveKeymapFile(keymap, reread, *table)) {
        context.err << "The keyboard has its factory settings again, but " << keymap.string()
                    << " could not be written.\n";
        return tool_exit::kCannotWrite;
    }
    context.out << "The keyboard has its factory settings again.\n";
    return tool_exit::kDone;
}

int runSetLighting(ToolContext& context, const LightingChange& change) {
    std::optional<std::uint8_t> effect;
    if (change.effect) {
        const auto* found =
            std::find_if(kLightingEffects.begin(), kLightingEffects.end(),
                         [&](const LightingEffect& e) { return *change.effect == e.english; });
        if (found == kLightingEffects.end()) {
            context.err << "--effect: \"" << *change.effect << "\" is not an effect. It takes";
            for (const LightingEffect& e : kLightingEffects)
                context.err << " \"" << e.english << "\"";
            context.err << ".\n";
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
    context.out << "Lighting set.\n";
    return tool_exit::kDone;
}

}  // namespace tq260
