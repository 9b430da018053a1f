#include "cli/keyboard_list.h"

#include "device/device_link.h"
#include "platform/device_claim.h"

namespace tq260 {

std::vector<ListedKeyboard> listKeyboards(HidTransport& transport, Clock& clock,
                                          const std::shared_ptr<HidTrace>& trace) {
    return listKeyboards(transport, clock, trace, {{}, {}, &DeviceClaim::heldElsewhere});
}

bool keyboardHeldElsewhere(HidTransport& transport) {
    for (const HidInterfaceInfo& info : transport.enumerate()) {
        if (isKeyboardChannel(info, InterfaceFilter::CommandChannel)) {
            return DeviceClaim::heldElsewhere(info.path);
        }
    }
    return false;
}

}  // namespace tq260
