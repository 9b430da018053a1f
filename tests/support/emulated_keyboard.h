#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/device_link.h"
#include "emulator/emulator_transport.h"
#include "emulator/virtual_clock.h"

namespace tq260::testing {

// A connected virtual keyboard on virtual time, with an empty wire log and no waits yet.
class EmulatedKeyboardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(link.connect());
        keyboard.wireLog().clear();
        clock.clearWaits();
    }

    // The wire log as trace lines, times in ms from the start of the test.
    std::vector<std::string> wire() const { return keyboard.wireLog().lines(); }

    // Only the lines of one kind ("set", "get", "write", "read").
    std::vector<std::string> wire(const std::string& op) const {
        std::vector<std::string> selected;
        for (const std::string& line : wire()) {
            if (line.find(" " + op + " ") != std::string::npos) selected.push_back(line);
        }
        return selected;
    }

    VirtualClock clock;
    EmulatorTransport transport{clock};
    VirtualKeyboard& keyboard = transport.addKeyboard();
    DeviceLink link{transport, clock};
};

}  // namespace tq260::testing
