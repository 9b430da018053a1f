// Any "MacroDefine.bin", and any event strings in it: loading, listing the events, mapping
// lines to offsets and building the keyboard's blocks stay inside the 190-byte strings.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "macro/macro_blocks.h"
#include "macro/macro_event.h"
#include "macro/macro_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tq260;
    static const KeyNameTable keyNames;
    auto table = std::make_unique<MacroTable>();
    loadMacroBytes(std::span<const std::uint8_t>(data, size), *table);

    // Fuzz inputs are short: let the input also fill the event strings of the first record
    // directly, so that strings of every shape are walked.
    MacroRecord& first = (*table)[0];
    for (std::size_t i = 0; i < size && i < 2 * kEventStringSize; ++i) {
        (i < kEventStringSize ? first.keyEvents : first.deviceEvents)[i % kEventStringSize] =
            data[i];
    }
    for (std::size_t r = 0; r < kKeyboardMacroSlots; ++r) {
        const MacroRecord& record = (*table)[r];
        const auto lines = macroEventLines(record, keyNames);
        for (std::size_t line = 0; line <= lines.size() + 1; ++line) {
            LineMapping::eventStartingAt(record.keyEvents, line);
            LineMapping::eventEndingAt(record.keyEvents, line);
        }
        eventStringLength(record.deviceEvents);
        static_cast<void>(record.nameText());
    }
    DeviceSettings settings;
    buildMacroBlocks(*table, settings);

    EventString device{};
    EventString keys{};
    std::size_t offset = 0;
    for (std::size_t i = 0; i + 2 < size; i += 3) {
        const MacroEvent event{(data[i] & 1) != 0, data[i + 1],
                               static_cast<std::uint16_t>(data[i + 2] * 300)};
        offset += writeMacroEvent(device, keys, offset, event, keyNames);
    }
    return 0;
}
