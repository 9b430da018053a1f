#pragma once

#include <optional>

#include "cli/tool_commands.h"
#include "device/device_link.h"
#include "device/device_settings.h"
#include "keys/key_assignment.h"

namespace tq260 {

// What the commands that talk to the keyboard share: opening it, saying why not, and
// changing its configuration the way the window's Save does.

int noKeyboard(ToolContext& context);
int notAnswering(ToolContext& context, const char* what);
// Says who holds the keyboard: another program, or another user.
int keyboardInUse(ToolContext& context);

// Opens the keyboard; or says why not and gives the exit code.
std::optional<int> connect(ToolContext& context, DeviceLink& link);

// A change the keyboard took but could not save is gone when the tool ends: the exit code
// of that, or nothing.
std::optional<int> changeNotKept(ToolContext& context);

// What the program keeps beside the keyboard's own settings: keymap.bin's record and the
// assignment records (launch paths, and how each key was assigned).
struct HostConfiguration {
    DeviceSettings settings;
    Assignments assignments;
    enum class Keymap { Read, Absent, Unreadable } keymap = Keymap::Absent;
};

// Reads keymap.bin where the program keeps it; never makes or changes it.
void loadKeymap(const ToolContext& context, HostConfiguration& host);

// Reads the whole keyboard over what keymap.bin holds, as the program does at start; the link
// stays open for a write back. Nothing, or the exit code of what went wrong.
std::optional<int> readOverKeymap(ToolContext& context, DeviceLink& link, HostConfiguration& host,
                                  const char* notRead);

// The whole configuration as the program would show it: keymap.bin with the keyboard read
// over it, the keyboard let go afterwards. A keymap.bin that could not be read is noted with
// what that means for the answer. Nothing, or the exit code of what went wrong.
std::optional<int> readConfiguration(ToolContext& context, HostConfiguration& host,
                                     const char* unreadableMeans);

// A change made as Save makes it: begin() reads the keyboard over keymap.bin (refusing a
// keymap.bin it could not read, whose assignments it must not write over) and takes the
// shadow; the caller changes host; finish() writes back what differs and saves keymap.bin
// when something changed. Each gives nothing, or the exit code of what went wrong.
class KeyboardChange {
  public:
    explicit KeyboardChange(ToolContext& context);
    std::optional<int> begin();
    HostConfiguration& host() { return host_; }
    std::optional<int> finish(bool changed);

  private:
    ToolContext& context_;
    HostConfiguration host_;
    DeviceLink link_;
    SettingsShadow shadow_;
};

}  // namespace tq260
