#include "macro/macro_blocks.h"

#include <algorithm>

namespace tq260 {

void buildMacroBlocks(const MacroTable& table, DeviceSettings& settings) {
    for (std::size_t i = 0; i < kKeyboardMacroSlots && !table[i].isFree(); ++i) {
        const MacroRecord& record = table[i];
        Block& block = settings.macroBlocks[i];
        block[0] = static_cast<std::uint8_t>(record.loopCount >> 8);
        block[1] = static_cast<std::uint8_t>(record.loopCount & 0xFF);
        std::copy_n(record.deviceEvents.begin(), kBlockSize - 2, block.begin() + 2);
    }
}

void emptyFreedMacroBlocks(const MacroTable& table,
                           const std::array<int, kKeyboardMacroSlots>& moves,
                           DeviceSettings& settings) {
    std::size_t named = 0;
    while (named < kKeyboardMacroSlots && !table[named].isFree()) ++named;
    for (std::size_t slot = named; slot < kKeyboardMacroSlots; ++slot) {
        if (moves[slot] != static_cast<int>(slot)) settings.macroBlocks[slot] = Block{};
    }
}

}  // namespace tq260
