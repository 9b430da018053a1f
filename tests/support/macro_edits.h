#pragma once

#include <cstdint>

#include "macro/macro_editor.h"

namespace tq260::testing {

inline constexpr unsigned kMacroEditKinds = 6;

// One edit of the event list, picked by number, on the line given: a delay edit to value,
// Insert Delay, Delete, Insert Before or After completed by typing key, or the macro's
// events shown again. Tests and the fuzzer drive the editor through it with any lines.
inline void runMacroEdit(MacroEditor& editor, unsigned pick, int line, int value,
                         std::uint8_t key) {
    editor.selectEventLine(line);
    const auto typeKey = [&] {
        if (!editor.state().hookInstalled) return;
        editor.hookKey(key, false);
        editor.hookKey(key, true);
    };
    switch (pick % kMacroEditKinds) {
        case 0:
            editor.editDelay(line, value);
            break;
        case 1:
            editor.insertDelay();
            break;
        case 2:
            editor.deleteLine();
            break;
        case 3:
            editor.insertBefore();
            typeKey();
            break;
        case 4:
            editor.insertAfter();
            typeKey();
            break;
        default:
            editor.selectMacro(0);
            break;
    }
}

}  // namespace tq260::testing
