#pragma once

#include <memory>
#include <vector>

#include "device/hid_trace.h"
#include "device/keyboard_listing.h"
#include "platform/clock.h"
#include "platform/hid_transport.h"

namespace tq260 {

// Every keyboard present, as the tool finds it by itself: one it cannot open is said to be
// in use when another program holds its command channel.
std::vector<ListedKeyboard> listKeyboards(HidTransport& transport, Clock& clock,
                                          const std::shared_ptr<HidTrace>& trace);

// Whether another program holds the first keyboard's command channel.
bool keyboardHeldElsewhere(HidTransport& transport);

}  // namespace tq260
