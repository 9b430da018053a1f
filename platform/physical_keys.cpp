#include "platform/physical_keys.h"

#include <algorithm>
#include <array>

namespace tq260 {

namespace {

// Sorted by evdev code; the names are the kernel's.
constexpr EvdevKey kEvdevKeys[] = {
    {1, 0x1B},    // KEY_ESC
    {2, 0x31},    // KEY_1
    {3, 0x32},    // KEY_2
    {4, 0x33},    // KEY_3
    {5, 0x34},    // KEY_4
    {6, 0x35},    // KEY_5
    {7, 0x36},    // KEY_6
    {8, 0x37},    // KEY_7
    {9, 0x38},    // KEY_8
    {10, 0x39},   // KEY_9
    {11, 0x30},   // KEY_0
    {12, 0xBD},   // KEY_MINUS
    {13, 0xBB},   // KEY_EQUAL
    {14, 0x08},   // KEY_BACKSPACE
    {15, 0x09},   // KEY_TAB
    {16, 0x51},   // KEY_Q
    {17, 0x57},   // KEY_W
    {18, 0x45},   // KEY_E
    {19, 0x52},   // KEY_R
    {20, 0x54},   // KEY_T
    {21, 0x59},   // KEY_Y
    {22, 0x55},   // KEY_U
    {23, 0x49},   // KEY_I
    {24, 0x4F},   // KEY_O
    {25, 0x50},   // KEY_P
    {26, 0xDB},   // KEY_LEFTBRACE
    {27, 0xDD},   // KEY_RIGHTBRACE
    {28, 0x0D},   // KEY_ENTER
    {29, 0xA2},   // KEY_LEFTCTRL
    {30, 0x41},   // KEY_A
    {31, 0x53},   // KEY_S
    {32, 0x44},   // KEY_D
    {33, 0x46},   // KEY_F
    {34, 0x47},   // KEY_G
    {35, 0x48},   // KEY_H
    {36, 0x4A},   // KEY_J
    {37, 0x4B},   // KEY_K
    {38, 0x4C},   // KEY_L
    {39, 0xBA},   // KEY_SEMICOLON
    {40, 0xDE},   // KEY_APOSTROPHE
    {41, 0xC0},   // KEY_GRAVE
    {42, 0xA0},   // KEY_LEFTSHIFT
    {43, 0xDC},   // KEY_BACKSLASH
    {44, 0x5A},   // KEY_Z
    {45, 0x58},   // KEY_X
    {46, 0x43},   // KEY_C
    {47, 0x56},   // KEY_V
    {48, 0x42},   // KEY_B
    {49, 0x4E},   // KEY_N
    {50, 0x4D},   // KEY_M
    {51, 0xBC},   // KEY_COMMA
    {52, 0xBE},   // KEY_DOT
    {53, 0xBF},   // KEY_SLASH
    {54, 0xA1},   // KEY_RIGHTSHIFT
    {55, 0x6A},   // KEY_KPASTERISK
    {56, 0xA4},   // KEY_LEFTALT
    {57, 0x20},   // KEY_SPACE
    {58, 0x14},   // KEY_CAPSLOCK
    {59, 0x70},   // KEY_F1
    {60, 0x71},   // KEY_F2
    {61, 0x72},   // KEY_F3
    {62, 0x73},   // KEY_F4
    {63, 0x74},   // KEY_F5
    {64, 0x75},   // KEY_F6
    {65, 0x76},   // KEY_F7
    {66, 0x77},   // KEY_F8
    {67, 0x78},   // KEY_F9
    {68, 0x79},   // KEY_F10
    {69, 0x90},   // KEY_NUMLOCK
    {70, 0x91},   // KEY_SCROLLLOCK
    {71, 0x67},   // KEY_KP7
    {72, 0x68},   // KEY_KP8
    {73, 0x69},   // KEY_KP9
    {74, 0x6D},   // KEY_KPMINUS
    {75, 0x64},   // KEY_KP4
    {76, 0x65},   // KEY_KP5
    {77, 0x66},   // KEY_KP6
    {78, 0x6B},   // KEY_KPPLUS
    {79, 0x61},   // KEY_KP1
    {80, 0x62},   // KEY_KP2
    {81, 0x63},   // KEY_KP3
    {82, 0x60},   // KEY_KP0
    {83, 0x6E},   // KEY_KPDOT
    {87, 0x7A},   // KEY_F11
    {88, 0x7B},   // KEY_F12
    {96, 0x6C},   // KEY_KPENTER: the keypad's Enter has a code of its own
    {97, 0xA3},   // KEY_RIGHTCTRL
    {98, 0x6F},   // KEY_KPSLASH
    {99, 0x2C},   // KEY_SYSRQ (Print Screen)
    {100, 0xA5},  // KEY_RIGHTALT
    {102, 0x24},  // KEY_HOME
    {103, 0x26},  // KEY_UP
    {104, 0x21},  // KEY_PAGEUP
    {105, 0x25},  // KEY_LEFT
    {106, 0x27},  // KEY_RIGHT
    {107, 0x23},  // KEY_END
    {108, 0x28},  // KEY_DOWN
    {109, 0x22},  // KEY_PAGEDOWN
    {110, 0x2D},  // KEY_INSERT
    {111, 0x2E},  // KEY_DELETE
    {114, 0xAE},  // KEY_VOLUMEDOWN
    {115, 0xAF},  // KEY_VOLUMEUP
    {119, 0x13},  // KEY_PAUSE
    {125, 0x5B},  // KEY_LEFTMETA
    {126, 0x5C},  // KEY_RIGHTMETA
    {127, 0x5D},  // KEY_COMPOSE (the menu key)
    {164, 0xB3},  // KEY_PLAYPAUSE
    {171, 0xB5},  // KEY_CONFIG: the keyboard's media key (consumer control configuration)
};

constexpr bool sortedByCode() {
    for (std::size_t i = 1; i < std::size(kEvdevKeys); ++i) {
        if (kEvdevKeys[i - 1].code >= kEvdevKeys[i].code) return false;
    }
    return true;
}
static_assert(sortedByCode());
static_assert(std::size(kEvdevKeys) == 108);

constexpr std::uint32_t kExtendedKey = 0x100;
constexpr std::uint32_t kRightShiftScanCode = 0x36;

// What the keypad's keys send while Num Lock is off (without the extended bit), and the
// keypad code they stand for.
constexpr std::array<std::pair<std::uint8_t, std::uint8_t>, 11> kKeypadWithoutNumLock = {{
    {0x2D, 0x60},  // Insert: 0
    {0x23, 0x61},  // End: 1
    {0x28, 0x62},  // Down: 2
    {0x22, 0x63},  // Page Down: 3
    {0x25, 0x64},  // Left: 4
    {0x0C, 0x65},  // Clear: 5
    {0x27, 0x66},  // Right: 6
    {0x24, 0x67},  // Home: 7
    {0x26, 0x68},  // Up: 8
    {0x21, 0x69},  // Page Up: 9
    {0x2E, 0x6E},  // Delete: .
}};

}  // namespace

std::span<const EvdevKey> evdevKeyTable() {
    return kEvdevKeys;
}

std::uint8_t virtualKeyFromEvdev(std::uint32_t code) {
    const auto found = std::lower_bound(
        std::begin(kEvdevKeys), std::end(kEvdevKeys), code,
        [](const EvdevKey& key, std::uint32_t wanted) { return key.code < wanted; });
    return found != std::end(kEvdevKeys) && found->code == code ? found->virtualKey : 0;
}

std::uint8_t virtualKeyFromLinuxScanCode(std::uint32_t scanCode) {
    return scanCode < 8 ? 0 : virtualKeyFromEvdev(scanCode - 8);
}

std::uint8_t virtualKeyFromWindows(std::uint32_t virtualKey, std::uint32_t scanCode) {
    const bool extended = (scanCode & kExtendedKey) != 0;
    switch (virtualKey) {
        case 0x10:  // Shift
            return (scanCode & 0xFF) == kRightShiftScanCode ? 0xA1 : 0xA0;
        case 0x11:  // Ctrl
            return extended ? 0xA3 : 0xA2;
        case 0x12:  // Alt
            return extended ? 0xA5 : 0xA4;
        case 0x0D:  // Enter
            return extended ? 0x6C : 0x0D;
        default:
            break;
    }
    if (!extended) {
        for (const auto& [sent, keypad] : kKeypadWithoutNumLock) {
            if (virtualKey == sent) return keypad;
        }
    }
    return virtualKey <= 0xFF ? static_cast<std::uint8_t>(virtualKey) : 0;
}

}  // namespace tq260
