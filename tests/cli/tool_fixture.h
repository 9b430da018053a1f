#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "cli/tool_commands.h"
#include "emulator/emulator_transport.h"
#include "emulator/virtual_clock.h"
#include "support/temporary_folder.h"

namespace tq260::testing {

// The tool's subcommands on a virtual keyboard and virtual time; what they print is kept.
class ToolCommands : public ::testing::Test {
  protected:
    int run(const std::function<int(ToolContext&)>& command) {
        out.str({});
        err.str({});
        keyboard.wireLog().clear();
        clock.clearWaits();
        ToolContext context{transport, clock, nullptr, data.path(), out, err, in};
        return command(context);
    }

    VirtualClock clock;
    EmulatorTransport transport{clock};
    VirtualKeyboard& keyboard = transport.addKeyboard();
    TemporaryFolder data;
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in;
};

}  // namespace tq260::testing
