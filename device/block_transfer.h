#pragma once

#include <cstddef>

#include "device/device_link.h"
#include "device/device_settings.h"
#include "device/operation_result.h"

namespace tq260 {

// 128-byte blocks moved as four 33-byte reports right after their announcing feature
// report, as one transaction with the waits the keyboard needs. A report that does not
// arrive leaves its quarter of the block zero and ends the transfer; of a table of blocks,
// the blocks after it are not attempted.

struct BlockTransfer {
    // Key block 0 holds slots 0..62, key block 1 slots 63..125.
    static OperationResult readKeyBlock(DeviceLink& link, std::size_t block,
                                        DeviceSettings& settings);
    static OperationResult writeKeyBlock(DeviceLink& link, std::size_t block,
                                         const DeviceSettings& settings);
    static OperationResult readKeyTable(DeviceLink& link, DeviceSettings& settings);
    static OperationResult writeKeyTable(DeviceLink& link, const DeviceSettings& settings);

    // index 0..5; other indices are ignored (Done, nothing sent).
    static OperationResult readMacroBlock(DeviceLink& link, std::size_t index,
                                          DeviceSettings& settings);
    static OperationResult writeMacroBlock(DeviceLink& link, std::size_t index,
                                           const DeviceSettings& settings);

    static OperationResult readCustomLightMasks(DeviceLink& link, DeviceSettings& settings);
    static OperationResult writeCustomLightMasks(DeviceLink& link, const DeviceSettings& settings);
};

}  // namespace tq260
