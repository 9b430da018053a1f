#pragma once

#include <filesystem>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "device/hid_trace.h"
#include "platform/clock.h"
#include "platform/hid_transport.h"

namespace tq260 {

class RunningProgram;
class VirtualKeyboard;

// What scripts can tell apart.
namespace tool_exit {
inline constexpr int kDone = 0;
inline constexpr int kNoKeyboard = 1;
inline constexpr int kUsage = 2;
inline constexpr int kNotAnswering = 3;
inline constexpr int kCannotWrite = 4;
inline constexpr int kInUse = 5;
inline constexpr int kDeclined = 6;
// A file the command reads could not be read or is not valid; nothing was written.
inline constexpr int kBadFile = 7;
}  // namespace tool_exit

// What every subcommand works with: the keyboard, the data folder the program uses, and
// where to write its answer and its complaints.
struct ToolContext {
    HidTransport& transport;
    Clock& clock;
    std::shared_ptr<HidTrace> trace;
    std::filesystem::path dataFolder;
    std::ostream& out;
    std::ostream& err;
    // Where questions are answered.
    std::istream& in;
    // Takes the keyboard for this process just before it is opened, where the transport does
    // not (the virtual keyboard); false when another program holds it.
    std::function<bool()> holdKeyboard = {};
    // Set when holdKeyboard was refused because another user holds the keyboard: that user's
    // name, or empty when the system does not say.
    std::optional<std::string> heldByAnotherUser = std::nullopt;
    // Set when holdKeyboard was refused because no lock file could be made or locked (not
    // this user's regular file, or a folder it may not write): nothing keeps another program
    // off the keyboard, so it is not used.
    bool lockFileUnusable = false;
    // Where the keyboard's memory is kept in a file (the virtual keyboard's): that file, once
    // a change could not be saved to it. A command that changed the keyboard then fails.
    std::function<std::optional<std::filesystem::path>()> unsavedMemory = {};
    // The running program when it holds the keyboard and answers on the session bus: a
    // command that needs the keyboard then goes through it. Unset to go to the keyboard only.
    std::function<RunningProgram*()> program = {};
};

// Keeps the virtual keyboard's memory in the data folder, where the program keeps it too.
void keepVirtualKeyboardMemory(ToolContext& context, VirtualKeyboard& keyboard);

// Asks the question on out and reads the answer from in: only "y" or "yes" (in any case)
// goes on.
bool answeredYes(ToolContext& context, const std::string& question);

// The keyboards with their channels and firmware; through the program while it holds one.
int runList(ToolContext& context);
// The names the readable format takes: the keyboard's keys, the keys a key can send, the
// functions and the effects. No keyboard is needed.
int runNames(ToolContext& context);
// To out, or to the file when one is named.
int runDump(ToolContext& context, const std::string& outputFile);

// The lighting fields to change; the others stay as the keyboard has them.
struct LightingChange {
    std::optional<std::string> effect;  // a name of the effect list
    std::optional<int> brightness;      // 0..50
    std::optional<int> speed;           // 0..9
    std::optional<int> direction;       // 1..4
};
// Checks the whole change before anything is sent; then reads the lighting, changes the
// fields given and writes it.
int runSetLighting(ToolContext& context, const LightingChange& change);

// Reads the whole file and checks it; with any error nothing is sent. Then reads the keyboard
// over the program's keymap.bin, changes what the file asks for and writes back what differs,
// as Save does; keymap.bin keeps the assignments. A dry run says what would change and sends
// nothing.
int runApply(ToolContext& context, const std::string& file, bool dryRun);

// One key's assignment, written KEY=TARGET (see keyTargetFromText), the same way.
int runSetKey(ToolContext& context, const std::string& assignment, bool dryRun);

// A profile file (or keymap.bin) to the readable form, or back: the direction is given by
// which of the two names ends in ".json". No keyboard is needed.
int runConvert(ToolContext& context, const std::string& from, const std::string& to);

// Asks first unless confirmed; then restores the keyboard's factory settings and reads them
// back, and keymap.bin forgets the assignments as the window's factory reset makes it.
int runFactoryReset(ToolContext& context, bool confirmed);

}  // namespace tq260
