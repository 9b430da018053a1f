#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/device_settings.h"
#include "device/hid_trace.h"
#include "platform/clock.h"
#include "platform/hid_transport.h"

namespace tq260 {

// One keyboard as the tool lists it: its two channels and the firmware it reports.
struct ListedKeyboard {
    std::string commandPath;
    std::string eventPath;  // empty when the keyboard shows no event channel
    // Nothing when the keyboard did not answer the identity command.
    std::optional<FirmwareVersion> firmware;
    // Another program (the configuration program) holds the keyboard.
    bool inUse = false;
};

// Every keyboard present, in enumeration order. The platform does not say which interfaces
// belong to one device, so the n-th command channel goes with the n-th event channel, as the
// interfaces of one device are listed together.
std::vector<ListedKeyboard> listKeyboards(HidTransport& transport, Clock& clock,
                                          const std::shared_ptr<HidTrace>& trace);

// Whether another program holds the first keyboard's command channel.
bool keyboardHeldElsewhere(HidTransport& transport);

// The list as the tool prints it.
std::string describeKeyboards(const std::vector<ListedKeyboard>& keyboards);

}  // namespace tq260
