#pragma once

#include <gmock/gmock.h>

#include <memory>
#include <string>
#include <vector>

#include "emulator/virtual_clock.h"
#include "macro/macro_editor.h"
#include "macro/macro_event.h"

namespace tq260::testing {

// A key hook without a window system: it keeps its calls and says whether it is installed,
// so that the fixture delivers keys only while a real hook would.
class CountingKeyHook final : public KeyHook {
  public:
    bool install(WindowHandle, int mode) override {
        modes.push_back(mode);
        installed = !refuse;
        return installed;
    }
    void remove() override {
        ++removals;
        installed = false;
    }
    bool installed = false;
    bool refuse = false;
    std::vector<int> modes;
    int removals = 0;
};

inline EventString eventBytes(std::initializer_list<std::uint8_t> bytes) {
    EventString string{};
    std::copy(bytes.begin(), bytes.end(), string.begin());
    return string;
}

inline std::vector<std::uint8_t> head(const EventString& string, std::size_t count) {
    return {string.begin(), string.begin() + static_cast<std::ptrdiff_t>(count)};
}

// The macro editor on an empty working table and virtual time.
class MacroEditorTest : public ::testing::Test {
  protected:
    void SetUp() override { editor.open(*table, WindowHandle{7}); }

    void press(std::uint8_t key) {
        if (hook.installed) editor.hookKey(key, false);
    }
    void release(std::uint8_t key) {
        if (hook.installed) editor.hookKey(key, true);
    }
    void type(std::uint8_t key) {
        press(key);
        release(key);
    }
    void waitMs(int ms) { clock.sleepMs(ms); }

    // A named macro at record index whose key string is given; the device string follows
    // from the key table.
    void putMacro(std::size_t index, const std::u16string& name,
                  std::initializer_list<std::uint8_t> keyString, std::uint16_t loops = 1) {
        MacroRecord& record = (*table)[index];
        record.setName(name);
        record.loopCount = loops;
        record.keyEvents = eventBytes(keyString);
        record.deviceEvents = record.keyEvents;
        for (std::size_t o = 0; macroEventAt(record.keyEvents, o);
             o += macroEventSize(record.keyEvents[o])) {
            record.deviceEvents[o + 1] = names.usage(record.keyEvents[o + 1]);
        }
    }
    void reopen() { editor.open(*table, WindowHandle{7}); }
    const MacroRecord& selected() const {
        return (*table)[static_cast<std::size_t>(editor.selectedMacro())];
    }
    std::vector<std::u16string> lines() const { return editor.eventLines(); }

    const KeyNameTable names;
    CountingKeyHook hook;
    VirtualClock clock;
    std::unique_ptr<MacroTable> table = std::make_unique<MacroTable>();
    MacroEditor editor{names, hook, clock};
};

}  // namespace tq260::testing
