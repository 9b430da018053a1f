#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "cli/tool_commands.h"

namespace tq260 {

// Where tq260ctl doctor looks, and the few things it asks the system; tests give a scratch
// tree and answers of their own.
struct DoctorProbes {
    // Where sys/, dev/, proc/, lib/udev/ and etc/udev/ are: "/" on a real system.
    std::filesystem::path root = "/";
    // Whether this user may open the node for reading and writing.
    std::function<bool(const std::filesystem::path&)> mayOpen;
    // Whether another process holds the node's lock (as the program holds the keyboard).
    std::function<bool(const std::filesystem::path&)> locked;
    // The process that owns the program's name on the session bus; nothing when none does.
    std::function<std::optional<std::uint32_t>()> busOwner;
    // The firmware version, "1.2", read from the free configuration channel; nothing when it
    // did not answer.
    std::function<std::optional<std::string>(const std::filesystem::path&)> firmware;
};

// The probes of the real system.
DoctorProbes systemProbes(ToolContext& context);

// Checks, reading only, what stands between this user and the keyboard, and says it in
// plain words: 0 when the keyboard can be used (by the tool itself or through the running
// program), 1 when something is in the way.
int runDoctor(ToolContext& context, const DoctorProbes& probes);

}  // namespace tq260
