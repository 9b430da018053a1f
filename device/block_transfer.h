#pragma once

#include <cstddef>

#include "device/device_link.h"
#include "device/device_settings.h"

namespace tq260 {

// 128-byte blocks moved as four 33-byte reports right after their announcing feature
// report, as one transaction with the waits the keyboard needs. A report that does not
// arrive leaves its quarter of the block zero.

struct BlockTransfer {
    // Key block 0 holds slots 0..62, key block 1 slots 63..125.
    static void readKeyBlock(DeviceLink& link, std::size_t block, DeviceSettings& settings);
    static void writeKeyBlock(DeviceLink& link, std::size_t block, const DeviceSettings& settings);
    static void readKeyTable(DeviceLink& link, DeviceSettings& settings);
    static void writeKeyTable(DeviceLink& link, const DeviceSettings& settings);

    // index 0..5; other indices are ignored.
    static void readMacroBlock(DeviceLink& link, std::size_t index, DeviceSettings& settings);
    static void writeMacroBlock(DeviceLink& link, std::size_t index,
                                const DeviceSettings& settings);

    static void readCustomLightMasks(DeviceLink& link, DeviceSettings& settings);
    static void writeCustomLightMasks(DeviceLink& link, const DeviceSettings& settings);
};

}  // namespace tq260
