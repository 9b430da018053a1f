#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tq260 {

inline constexpr std::size_t kKeyCount = 108;

// A key of the keyboard picture: its virtual-key code and its slot in the key table.
struct KeyLayoutEntry {
    std::uint8_t virtualKey;
    std::uint8_t slot;
};

// The 108 keys in picture order (key index 0..107).
inline constexpr std::array<KeyLayoutEntry, kKeyCount> KeyLayout = {{
    // Function key row: Esc, F1..F12, Prscr, Scrol, Pause, the four media keys.
    {0x1B, 0},
    {0x70, 2},
    {0x71, 3},
    {0x72, 4},
    {0x73, 5},
    {0x74, 6},
    {0x75, 7},
    {0x76, 8},
    {0x77, 9},
    {0x78, 10},
    {0x79, 11},
    {0x7A, 12},
    {0x7B, 13},
    {0x2C, 14},
    {0x91, 15},
    {0x13, 16},
    {0xAE, 17},
    {0xB5, 18},
    {0xB3, 19},
    {0xAF, 20},
    // Number row: `, 1..9, 0, -, =, Back, Inst, Home, PgUp, Num, keypad / * -.
    {0xC0, 21},
    {0x31, 22},
    {0x32, 23},
    {0x33, 24},
    {0x34, 25},
    {0x35, 26},
    {0x36, 27},
    {0x37, 28},
    {0x38, 29},
    {0x39, 30},
    {0x30, 31},
    {0xBD, 32},
    {0xBB, 33},
    {0x08, 34},
    {0x2D, 35},
    {0x24, 36},
    {0x21, 37},
    {0x90, 38},
    {0x6F, 39},
    {0x6A, 40},
    {0x6D, 41},
    // Tab row: Tab, Q..P, [, ], \, Del, End, PgDn, keypad 7 8 9, keypad +.
    {0x09, 42},
    {'Q', 43},
    {'W', 44},
    {'E', 45},
    {'R', 46},
    {'T', 47},
    {'Y', 48},
    {'U', 49},
    {'I', 50},
    {'O', 51},
    {'P', 52},
    {0xDB, 53},
    {0xDD, 54},
    {0xDC, 55},
    {0x2E, 56},
    {0x23, 57},
    {0x22, 58},
    {0x67, 59},
    {0x68, 60},
    {0x69, 61},
    {0x6B, 83},
    // Caps row: Caps, A..L, ;, ', Enter, keypad 4 5 6.
    {0x14, 63},
    {'A', 64},
    {'S', 65},
    {'D', 66},
    {'F', 67},
    {'G', 68},
    {'H', 69},
    {'J', 70},
    {'K', 71},
    {'L', 72},
    {0xBA, 73},
    {0xDE, 74},
    {0x0D, 76},
    {0x64, 80},
    {0x65, 81},
    {0x66, 82},
    // Shift row: LShift, Z..M, , . /, RShift, Up, keypad 1 2 3, keypad Enter.
    {0xA0, 84},
    {'Z', 85},
    {'X', 86},
    {'C', 87},
    {'V', 88},
    {'B', 89},
    {'N', 90},
    {'M', 91},
    {0xBC, 92},
    {0xBE, 93},
    {0xBF, 94},
    {0xA1, 96},
    {0x26, 99},
    {0x61, 101},
    {0x62, 102},
    {0x63, 103},
    {0x6C, 125},
    // Bottom row: LCtrl, LWin, LAlt, Space, RAlt, the key right of RAlt (no usage of its
    // own), Apps, RCtrl, Left, Down, Right, keypad 0, keypad .
    {0xA2, 105},
    {0x5B, 106},
    {0xA4, 107},
    {0x20, 110},
    {0xA5, 114},
    {0x5D, 115},
    {0x5D, 116},
    {0xA3, 118},
    {0x25, 119},
    {0x28, 120},
    {0x27, 121},
    {0x60, 122},
    {0x6E, 124},
}};

// Inst, Home, PgUp, Del, End and PgDn: the keys whose dialog offers macros.
constexpr bool isNavigationKey(std::size_t key) {
    return (key >= 34 && key <= 36) || (key >= 55 && key <= 57);
}

// The four media keys are shown but cannot be reassigned.
constexpr bool isMediaKey(std::size_t key) {
    return key >= 16 && key <= 19;
}

}  // namespace tq260
