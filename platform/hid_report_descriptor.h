#pragma once

#include <cstdint>
#include <span>

namespace tq260 {

// Number of top-level collections a HID report descriptor declares: Collection items at
// nesting depth 0. Malformed descriptors are read as far as they go.
int countTopLevelCollections(std::span<const std::uint8_t> descriptor);

}  // namespace tq260
