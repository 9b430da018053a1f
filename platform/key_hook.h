#pragma once

#include <cstdint>

namespace tq260 {

// A window as the platform knows it. The core only passes it on; the hook's backend knows
// what it stands for (a window object of the user interface).
enum class WindowHandle : std::uintptr_t { None = 0 };

// Reports every key press and release of the PC's keyboard to one window while installed.
// Each report reaches that window on its own thread as the window message WM_HOOK_KEY
// (0x6F3): wParam the key's virtual-key code (0x01..0xFF, never 0), lParam with bit 31 set
// for a release. A held key repeats as further presses. Keys are told apart by their
// position on the keyboard, not by the character the layout gives them.
class KeyHook {
  public:
    // What the caller will do with the reports; both modes deliver the same reports.
    enum Mode : int { KeyCapture = 0, MacroRecording = 1 };

    static constexpr std::uint32_t kReleaseFlag = 0x8000'0000U;

    virtual ~KeyHook() = default;
    // True when installed. A second install redirects the reports to the new window.
    virtual bool install(WindowHandle window, int mode) = 0;
    // After this, no further report arrives. Harmless when nothing is installed.
    virtual void remove() = 0;
};

}  // namespace tq260
