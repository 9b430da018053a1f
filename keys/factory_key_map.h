#pragma once

#include <array>

#include "device/key_entry.h"

namespace tq260 {

// The keyboard's factory content of its 128 key slots.
const std::array<KeyEntry, kKeySlotCount>& factoryKeyMap();

}  // namespace tq260
