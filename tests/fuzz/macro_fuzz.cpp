// Any "MacroDefine.bin", and any event strings in it: loading, listing the events, mapping
// lines to offsets, building the keyboard's blocks and every edit of the macro manager stay
// inside the 190-byte strings.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "macro/macro_blocks.h"
#include "macro/macro_editor.h"
#include "macro/macro_event.h"
#include "macro/macro_file.h"
#include "support/macro_edits.h"

namespace {

// The editor's hook and clock, driven by the input.
class FuzzHook final : public tq260::KeyHook {
  public:
    bool install(tq260::WindowHandle, int) override { return true; }
    void remove() override {}
};
class FuzzClock final : public tq260::Clock {
  public:
    std::int64_t nowUs() const override { return now; }
    void sleepMs(int ms) override { now += ms * 1000; }
    void blockUs(std::int64_t us) override { now += us; }
    std::int64_t now = 0;
};

// Every editing operation, on lines and values the input picks.
void edit(tq260::MacroTable& table, const std::uint8_t* data, std::size_t size) {
    using namespace tq260;
    static const KeyNameTable keyNames;
    FuzzHook hook;
    FuzzClock clock;
    MacroEditor editor(keyNames, hook, clock);
    editor.open(table, WindowHandle{1});
    for (std::size_t i = 0; i + 2 < size; i += 3) {
        const int line = static_cast<int>(data[i + 1]) - 2;
        clock.blockUs(data[i + 2] * 997);
        const unsigned pick = data[i] % 12;
        if (pick < testing::kMacroEditKinds) {
            testing::runMacroEdit(editor, pick, line, data[i + 2] * 300, data[i + 2]);
            continue;
        }
        switch (pick) {
            case 6:
                editor.toggleRecording();
                editor.hookKey(data[i + 2], (data[i + 1] & 1) != 0);
                break;
            case 7:
                editor.toggleRecordDelay();
                break;
            case 8:
                editor.newMacro();
                break;
            case 9:
                editor.deleteSelected();
                break;
            case 10:
                editor.selectMacro(line);
                break;
            default:
                editor.setLoopsText(std::u16string(1, static_cast<char16_t>(data[i + 2])));
                break;
        }
    }
    editor.close();
}

}  // namespace

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
    edit(*table, data, size);
    return 0;
}
