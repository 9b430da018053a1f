#include "cli/tool_keyboard.h"

#include "cli/keyboard_list.h"
#include "config/shared_messages.h"
#include "config/text_encoding.h"
#include "device/block_codec.h"
#include "device/composite_operations.h"
#include "keys/keymap_file.h"
#include "platform/atomic_file.h"

namespace tq260 {

int noKeyboard(ToolContext& context) {
    context.err << kNoKeyboardText << "\n";
    return tool_exit::kNoKeyboard;
}

int keyboardInUse(ToolContext& context) {
    if (context.lockFileUnusable) {
        context.err << "The virtual keyboard's lock file "
                    << utf8Of(context.dataFolder / "VirtualKeyboard.lock")
                    << " could not be made or locked (it must be this user's own file): the "
                       "virtual keyboard cannot be used until it can.\n";
        return tool_exit::kCannotWrite;
    }
    if (context.heldByAnotherUser) {
        // Not a program of this user's to close: its lock file is only this user's to hold.
        const std::string& name = *context.heldByAnotherUser;
        context.err << "The virtual keyboard is held by another user"
                    << (name.empty() ? std::string() : " (" + name + ")")
                    << " through its lock file "
                    << utf8Of(context.dataFolder / "VirtualKeyboard.lock")
                    << ", which only this user's programs should hold: it cannot be used until "
                       "it is free.\n";
    } else {
        // Its transactions and ours would interleave on the command channel.
        context.err << "The keyboard is in use by another program (TQ260 104vez VANTOR): "
                       "close it and try again.\n";
    }
    return tool_exit::kInUse;
}

// Opens the keyboard, or says why not and gives the exit code.
std::optional<int> connect(ToolContext& context, DeviceLink& link) {
    const bool held = context.holdKeyboard && !context.holdKeyboard();
    if (!held && link.connect()) return std::nullopt;
    if (held || keyboardHeldElsewhere(context.transport)) return keyboardInUse(context);
    return noKeyboard(context);
}

int notAnswering(ToolContext& context, const char* what) {
    context.err << notAnsweringText(what) << "\n";
    return tool_exit::kNotAnswering;
}

// A change the keyboard took but could not save is gone when the tool ends: the exit code
// of that, or nothing.
std::optional<int> changeNotKept(ToolContext& context) {
    const auto file = context.unsavedMemory ? context.unsavedMemory() : std::nullopt;
    if (!file) return std::nullopt;
    context.err << "The virtual keyboard's memory could not be saved to " << utf8Of(*file)
                << ": the change was not kept.\n";
    return tool_exit::kCannotWrite;
}

// Reads keymap.bin where the program keeps it; never makes or changes it.
void loadKeymap(const ToolContext& context, HostConfiguration& host) {
    setAssignmentIdentities(*host.assignments.table);
    const std::filesystem::path file = context.dataFolder / kKeymapFileName;
    std::error_code error;
    if (!std::filesystem::exists(file, error)) return;
    const auto bytes = std::filesystem::is_regular_file(file, error)
                           ? readFileBytes(file, kKeymapFileSize)
                           : std::nullopt;
    if (!bytes) {
        host.keymap = HostConfiguration::Keymap::Unreadable;
        return;
    }
    loadKeymapBytes(*bytes, false, host.settings, *host.assignments.table);
    host.keymap = HostConfiguration::Keymap::Read;
}

// Reads the whole keyboard over what keymap.bin holds, as the program does at start; the link
// stays open for a write back. Nothing, or the exit code of what went wrong.
std::optional<int> readOverKeymap(ToolContext& context, DeviceLink& link, HostConfiguration& host,
                                  const char* notRead) {
    if (const auto refused = connect(context, link)) return refused;
    DeviceSettings read;
    DeviceIdentity identity;
    if (fullRead(link, read, identity) != OperationResult::Done) {
        return notAnswering(context, notRead);
    }
    takeKeyboardSettings(read, host.settings);
    return std::nullopt;
}

std::optional<int> readConfiguration(ToolContext& context, HostConfiguration& host,
                                     const char* unreadableMeans) {
    loadKeymap(context, host);
    DeviceLink link(context.transport, context.clock, context.trace);
    if (const auto failed =
            readOverKeymap(context, link, host, "its configuration could not be read")) {
        return failed;
    }
    link.close();
    if (host.keymap == HostConfiguration::Keymap::Unreadable) {
        context.err << "Note: " << utf8Of(context.dataFolder / kKeymapFileName)
                    << " could not be read; " << unreadableMeans << ".\n";
    }
    return std::nullopt;
}

KeyboardChange::KeyboardChange(ToolContext& context)
    : context_(context), link_(context.transport, context.clock, context.trace) {}

std::optional<int> KeyboardChange::begin() {
    const std::filesystem::path keymap = context_.dataFolder / kKeymapFileName;
    loadKeymap(context_, host_);
    if (host_.keymap == HostConfiguration::Keymap::Unreadable) {
        context_.err << "Could not read " << utf8Of(keymap)
                     << ", where the program keeps the key assignments; nothing was written.\n";
        return tool_exit::kBadFile;
    }
    if (const auto failed = readOverKeymap(
            context_, link_, host_, "its configuration could not be read; nothing was written")) {
        return failed;
    }
    shadow_.synchronise(host_.settings);
    return std::nullopt;
}

std::optional<int> KeyboardChange::finish(bool changed) {
    const std::filesystem::path keymap = context_.dataFolder / kKeymapFileName;
    // Kept before anything is sent: the combinations and launch paths live only in keymap.bin,
    // and a kill once the keyboard has their codes must not lose them. A key the keyboard
    // never got is read back as it holds it.
    if (changed && !saveKeymapFile(keymap, host_.settings, *host_.assignments.table)) {
        context_.err << "Could not write " << utf8Of(keymap)
                     << ", where the program keeps the key assignments; nothing was sent.\n";
        return tool_exit::kCannotWrite;
    }
    if (writeBack(link_, host_.settings, shadow_) != OperationResult::Done) {
        return notAnswering(context_, "not everything was written; run the command again");
    }
    link_.close();
    if (!changed) return std::nullopt;
    if (const auto lost = changeNotKept(context_)) return lost;
    return std::nullopt;
}

}  // namespace tq260
