#include "device/keyboard_listing.h"

#include <sstream>

#include "device/device_commands.h"
#include "device/device_link.h"
#include "device/operation_result.h"

namespace tq260 {

namespace {

// The transport with only one keyboard's two paths in it, so the device link, which takes
// the first keyboard it finds, opens that one.
class OneKeyboard final : public HidTransport {
  public:
    OneKeyboard(HidTransport& transport, std::vector<HidInterfaceInfo> paths)
        : transport_(transport), paths_(std::move(paths)) {}
    std::vector<HidInterfaceInfo> enumerate() override { return paths_; }
    std::unique_ptr<HidDevice> open(const std::string& path, ReportIds ids) override {
        return transport_.open(path, ids);
    }

  private:
    HidTransport& transport_;
    std::vector<HidInterfaceInfo> paths_;
};

}  // namespace

std::vector<ListedKeyboard> listKeyboards(HidTransport& transport, Clock& clock,
                                          const std::shared_ptr<HidTrace>& trace,
                                          const ListingKnowledge& known) {
    std::vector<HidInterfaceInfo> commands;
    std::vector<HidInterfaceInfo> events;
    for (const HidInterfaceInfo& info : transport.enumerate()) {
        if (isKeyboardChannel(info, InterfaceFilter::CommandChannel)) commands.push_back(info);
        if (isKeyboardChannel(info, InterfaceFilter::EventChannel)) events.push_back(info);
    }
    std::vector<ListedKeyboard> keyboards;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        ListedKeyboard keyboard;
        keyboard.commandPath = commands[i].path;
        std::vector<HidInterfaceInfo> paths{commands[i]};
        if (i < events.size()) {
            keyboard.eventPath = events[i].path;
            paths.push_back(events[i]);
        }
        if (!known.heldCommandPath.empty() && keyboard.commandPath == known.heldCommandPath) {
            // Opened again, its transactions would interleave with the holder's own.
            keyboard.firmware = known.heldFirmware;
            keyboards.push_back(std::move(keyboard));
            continue;
        }
        OneKeyboard one(transport, std::move(paths));
        DeviceLink link(one, clock, trace);
        if (link.connect()) {
            DeviceIdentity identity;
            if (readIdentity(link, identity) == OperationResult::Done) {
                keyboard.firmware = identity.firmware;
            }
            link.close();
        } else {
            keyboard.inUse = known.heldElsewhere && known.heldElsewhere(keyboard.commandPath);
        }
        keyboards.push_back(std::move(keyboard));
    }
    return keyboards;
}

std::string describeKeyboards(const std::vector<ListedKeyboard>& keyboards) {
    std::ostringstream text;
    for (std::size_t i = 0; i < keyboards.size(); ++i) {
        const ListedKeyboard& keyboard = keyboards[i];
        text << "keyboard " << i + 1 << "\n"
             << "  command channel: " << keyboard.commandPath << "\n"
             << "  event channel:   " << (keyboard.eventPath.empty() ? "none" : keyboard.eventPath)
             << "\n"
             << "  firmware:        ";
        if (keyboard.inUse) {
            text << "in use by another program\n";
        } else if (keyboard.firmware) {
            text << static_cast<int>(keyboard.firmware->major) << "."
                 << static_cast<int>(keyboard.firmware->minor) << "\n";
        } else {
            text << "not answering\n";
        }
    }
    return text.str();
}

}  // namespace tq260
