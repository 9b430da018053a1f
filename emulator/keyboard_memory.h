#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "device/device_settings.h"

namespace tq260 {

// What the virtual keyboard keeps in its flash, in the form it travels on the wire: key
// blocks as pairs, macro blocks byte-swapped, lighting with the speed one higher.
struct KeyboardMemory {
    std::uint8_t reportRate = 3;
    std::uint8_t responseTime = 1;
    // effect, brightness, speed + 1, direction, option
    std::array<std::uint8_t, 5> lighting{1, 50, 6, 1, 0};
    std::uint8_t gameMode = 0;
    std::array<Block, 2> keyBlocks{};
    std::array<Block, kMacroBlockCount> macroBlocks{};
    Block customLightMasks{};
    FirmwareVersion firmware{1, 2};

    // The state the factory reset restores; the firmware version stays.
    static KeyboardMemory factoryDefaults(FirmwareVersion firmware = {1, 2});

    // The memory file: a magic word, then the fields above in order.
    std::vector<std::uint8_t> serialise() const;
    // Nothing for a file of another size or without the magic word.
    static std::optional<KeyboardMemory> parse(std::span<const std::uint8_t> bytes);

    friend bool operator==(const KeyboardMemory&, const KeyboardMemory&) = default;
};

}  // namespace tq260
