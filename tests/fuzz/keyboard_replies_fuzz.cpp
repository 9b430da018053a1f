// What arrives from outside the program, in any shape: the keyboard's event report, the
// blocks of a full read, an interface's HID report descriptor, the virtual keyboard's memory
// file and the key code another copy of the program sends. Each is read within its bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "device/block_codec.h"
#include "device/event_report.h"
#include "emulator/keyboard_memory.h"
#include "keys/launch_for_key.h"
#include "platform/hid_report_descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tq260;
    const std::span<const std::uint8_t> bytes(data, size);

    LightingSettings lighting;
    applyEventReport(bytes, lighting);

    DeviceSettings settings;
    Block block{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), block.size()), block.begin());
    for (std::size_t index = 0; index < 2; ++index) decodeKeyBlock(block, index, settings);
    decodeCustomLightMasks(block, settings);
    static_cast<void>(swapMacroBytes(block));
    for (std::size_t index = 0; index < 2; ++index)
        static_cast<void>(encodeKeyBlock(settings, index));

    static_cast<void>(countTopLevelCollections(bytes));
    static_cast<void>(KeyboardMemory::parse(bytes));
    static_cast<void>(
        parseVirtualKeyCode(std::string_view(reinterpret_cast<const char*>(data), size)));
    return 0;
}
