#include "cli/keyboard_list.h"

#include "device/device_link.h"
#include "platform/device_claim.h"

namespace tq260 {

namespace {

bool heldElsewhere(const std::string& path) {
    std::unique_ptr<DeviceClaim> claim;
    return DeviceClaim::take(path, claim) == DeviceClaim::Outcome::HeldElsewhere;
}

}  // namespace

std::vector<ListedKeyboard> listKeyboards(HidTransport& transport, Clock& clock,
                                          const std::shared_ptr<HidTrace>& trace) {
    return listKeyboards(transport, clock, trace, {{}, {}, heldElsewhere});
}

bool keyboardHeldElsewhere(HidTransport& transport) {
    for (const HidInterfaceInfo& info : transport.enumerate()) {
        if (info.vendorId == kKeyboardVendorId && info.productId == kKeyboardProductId &&
            matchesFilter(info, InterfaceFilter::CommandChannel)) {
            return heldElsewhere(info.path);
        }
    }
    return false;
}

}  // namespace tq260
