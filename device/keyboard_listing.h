#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/device_settings.h"
#include "device/hid_trace.h"
#include "platform/clock.h"
#include "platform/hid_transport.h"

namespace tq260 {

// One keyboard as `tq260ctl list` shows it: its two channels and the firmware it reports.
struct ListedKeyboard {
    std::string commandPath;
    std::string eventPath;  // empty when the keyboard shows no event channel
    // Nothing when the keyboard did not answer the identity command.
    std::optional<FirmwareVersion> firmware;
    // Another program (the configuration program) holds the keyboard.
    bool inUse = false;
};

// What the lister is told rather than finds out by opening a keyboard.
struct ListingKnowledge {
    // The keyboard whose command channel the caller has open itself (the program answering
    // for the keyboard it holds) is not opened again: its firmware as the caller read it,
    // nothing when that read failed.
    std::string heldCommandPath;
    std::optional<FirmwareVersion> heldFirmware;
    // Whether another program holds a path that could not be opened.
    std::function<bool(const std::string&)> heldElsewhere;
};

// Every keyboard present, in enumeration order. The platform does not say which interfaces
// belong to one device, so the n-th command channel goes with the n-th event channel, as the
// interfaces of one device are listed together.
std::vector<ListedKeyboard> listKeyboards(HidTransport& transport, Clock& clock,
                                          const std::shared_ptr<HidTrace>& trace,
                                          const ListingKnowledge& known);

// The list as the tool prints it; the program answers with the same text.
std::string describeKeyboards(const std::vector<ListedKeyboard>& keyboards);

}  // namespace tq260
