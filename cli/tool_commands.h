#pragma once

#include <filesystem>
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

}  // namespace tq260
