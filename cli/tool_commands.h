#pragma once

#include <filesystem>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "device/hid_trace.h"
#include "platform/clock.h"
#include "platform/hid_transport.h"

namespace tq260 {

// What scripts can tell apart.
namespace tool_exit {
inline constexpr int kDone = 0;
inline constexpr int kNoKeyboard = 1;
inline constexpr int kUsage = 2;
inline constexpr int kNotAnswering = 3;
inline constexpr int kCannotWrite = 4;
inline constexpr int kInUse = 5;
inline constexpr int kDeclined = 6;
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
};

int runList(ToolContext& context);
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

// Asks first unless confirmed; then restores the keyboard's factory settings and reads them
// back, and keymap.bin forgets the assignments as the window's factory reset makes it.
int runFactoryReset(ToolContext& context, bool confirmed);

}  // namespace tq260
