#include "platform/physical_keys.h"

#include <gtest/gtest.h>

#if __has_include(<linux/input-event-codes.h>)
#include <linux/input-event-codes.h>
#endif

#include <map>
#include <set>

#include "keys/key_layout.h"
#include "keys/key_name_table.h"

namespace tq260 {
namespace {

// The kernel's names for the codes exist only where its headers do; the Windows rows below
// are checked everywhere.
#if defined(KEY_ESC)

// Every row the table must hold, written out with the kernel's own names for the codes.
const std::map<std::uint16_t, std::uint8_t> kExpected = {
    {KEY_ESC, 0x1B},        {KEY_F1, 0x70},         {KEY_F2, 0x71},         {KEY_F3, 0x72},
    {KEY_F4, 0x73},         {KEY_F5, 0x74},         {KEY_F6, 0x75},         {KEY_F7, 0x76},
    {KEY_F8, 0x77},         {KEY_F9, 0x78},         {KEY_F10, 0x79},        {KEY_F11, 0x7A},
    {KEY_F12, 0x7B},        {KEY_SYSRQ, 0x2C},      {KEY_SCROLLLOCK, 0x91}, {KEY_PAUSE, 0x13},
    {KEY_VOLUMEDOWN, 0xAE}, {KEY_CONFIG, 0xB5},     {KEY_PLAYPAUSE, 0xB3},  {KEY_VOLUMEUP, 0xAF},
    {KEY_GRAVE, 0xC0},      {KEY_1, 0x31},          {KEY_2, 0x32},          {KEY_3, 0x33},
    {KEY_4, 0x34},          {KEY_5, 0x35},          {KEY_6, 0x36},          {KEY_7, 0x37},
    {KEY_8, 0x38},          {KEY_9, 0x39},          {KEY_0, 0x30},          {KEY_MINUS, 0xBD},
    {KEY_EQUAL, 0xBB},      {KEY_BACKSPACE, 0x08},  {KEY_INSERT, 0x2D},     {KEY_HOME, 0x24},
    {KEY_PAGEUP, 0x21},     {KEY_NUMLOCK, 0x90},    {KEY_KPSLASH, 0x6F},    {KEY_KPASTERISK, 0x6A},
    {KEY_KPMINUS, 0x6D},    {KEY_TAB, 0x09},        {KEY_Q, 'Q'},           {KEY_W, 'W'},
    {KEY_E, 'E'},           {KEY_R, 'R'},           {KEY_T, 'T'},           {KEY_Y, 'Y'},
    {KEY_U, 'U'},           {KEY_I, 'I'},           {KEY_O, 'O'},           {KEY_P, 'P'},
    {KEY_LEFTBRACE, 0xDB},  {KEY_RIGHTBRACE, 0xDD}, {KEY_BACKSLASH, 0xDC},  {KEY_DELETE, 0x2E},
    {KEY_END, 0x23},        {KEY_PAGEDOWN, 0x22},   {KEY_KP7, 0x67},        {KEY_KP8, 0x68},
    {KEY_KP9, 0x69},        {KEY_KPPLUS, 0x6B},     {KEY_CAPSLOCK, 0x14},   {KEY_A, 'A'},
    {KEY_S, 'S'},           {KEY_D, 'D'},           {KEY_F, 'F'},           {KEY_G, 'G'},
    {KEY_H, 'H'},           {KEY_J, 'J'},           {KEY_K, 'K'},           {KEY_L, 'L'},
    {KEY_SEMICOLON, 0xBA},  {KEY_APOSTROPHE, 0xDE}, {KEY_ENTER, 0x0D},      {KEY_KP4, 0x64},
    {KEY_KP5, 0x65},        {KEY_KP6, 0x66},        {KEY_LEFTSHIFT, 0xA0},  {KEY_Z, 'Z'},
    {KEY_X, 'X'},           {KEY_C, 'C'},           {KEY_V, 'V'},           {KEY_B, 'B'},
    {KEY_N, 'N'},           {KEY_M, 'M'},           {KEY_COMMA, 0xBC},      {KEY_DOT, 0xBE},
    {KEY_SLASH, 0xBF},      {KEY_RIGHTSHIFT, 0xA1}, {KEY_UP, 0x26},         {KEY_KP1, 0x61},
    {KEY_KP2, 0x62},        {KEY_KP3, 0x63},        {KEY_KPENTER, 0x6C},    {KEY_LEFTCTRL, 0xA2},
    {KEY_LEFTMETA, 0x5B},   {KEY_LEFTALT, 0xA4},    {KEY_SPACE, 0x20},      {KEY_RIGHTALT, 0xA5},
    {KEY_RIGHTMETA, 0x5C},  {KEY_COMPOSE, 0x5D},    {KEY_RIGHTCTRL, 0xA3},  {KEY_LEFT, 0x25},
    {KEY_DOWN, 0x28},       {KEY_RIGHT, 0x27},      {KEY_KP0, 0x60},        {KEY_KPDOT, 0x6E},
};

TEST(PhysicalKeys, EveryRowOfTheTableIsTheKeyAtThatPosition) {
    std::size_t rows = 0;
    for (const EvdevKey& key : evdevKeyTable()) {
        SCOPED_TRACE(key.code);
        const auto expected = kExpected.find(key.code);
        ASSERT_NE(expected, kExpected.end()) << "a row nobody checked";
        EXPECT_EQ(key.virtualKey, expected->second);
        EXPECT_EQ(virtualKeyFromEvdev(key.code), expected->second);
        ++rows;
    }
    EXPECT_EQ(rows, kExpected.size());
}

TEST(PhysicalKeys, EveryKeyOfThePictureCanBeCapturedAndHasAName) {
    const KeyNameTable names;
    std::set<std::uint8_t> captured;
    for (const EvdevKey& key : evdevKeyTable()) {
        captured.insert(key.virtualKey);
        EXPECT_FALSE(names.name(key.virtualKey).empty()) << int(key.virtualKey);
    }
    for (const KeyLayoutEntry& key : KeyLayout) EXPECT_TRUE(captured.count(key.virtualKey));
}

TEST(PhysicalKeys, LinuxScanCodesAreTheEvdevCodesPlusEight) {
    EXPECT_EQ(virtualKeyFromLinuxScanCode(KEY_A + 8), 'A');
    EXPECT_EQ(virtualKeyFromLinuxScanCode(KEY_KPENTER + 8), 0x6C);
    EXPECT_EQ(virtualKeyFromLinuxScanCode(KEY_A), virtualKeyFromEvdev(KEY_A - 8));
    // No code: nothing, never a code of 0 passed on as a key.
    for (std::uint32_t code :
         {0U, 7U, 8U, unsigned{KEY_102ND} + 8, unsigned{KEY_MUTE} + 8, 300U, 0xFFFF'FFFFU}) {
        EXPECT_EQ(virtualKeyFromLinuxScanCode(code), 0) << code;
    }
}

#endif

struct WindowsKey {
    std::uint32_t virtualKey;
    std::uint32_t scanCode;  // with the extended-key bit 0x100
    std::uint8_t expected;
};

class WindowsKeys : public ::testing::TestWithParam<WindowsKey> {};

TEST_P(WindowsKeys, LeftAndRightAndTheKeypadStayApart) {
    const WindowsKey& key = GetParam();
    EXPECT_EQ(virtualKeyFromWindows(key.virtualKey, key.scanCode), key.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WindowsKeys,
    ::testing::Values(WindowsKey{0x10, 0x2A, 0xA0},   // left Shift
                      WindowsKey{0x10, 0x36, 0xA1},   // right Shift
                      WindowsKey{0x11, 0x1D, 0xA2},   // left Ctrl
                      WindowsKey{0x11, 0x11D, 0xA3},  // right Ctrl
                      WindowsKey{0x12, 0x38, 0xA4},   // left Alt
                      WindowsKey{0x12, 0x138, 0xA5},  // right Alt
                      WindowsKey{0x0D, 0x1C, 0x0D},   // Enter
                      WindowsKey{0x0D, 0x11C, 0x6C},  // the keypad's Enter
                      WindowsKey{0x24, 0x147, 0x24},  // Home of the navigation block
                      WindowsKey{0x24, 0x47, 0x67},   // keypad 7 with Num Lock off
                      WindowsKey{0x2E, 0x53, 0x6E},   // keypad . with Num Lock off
                      WindowsKey{0x0C, 0x4C, 0x65},   // keypad 5 with Num Lock off
                      WindowsKey{0x2D, 0x152, 0x2D},  // Insert
                      WindowsKey{0x41, 0x1E, 0x41},   // A
                      WindowsKey{0xA3, 0x11D, 0xA3},  // already told apart
                      WindowsKey{0, 0, 0},            // nothing
                      WindowsKey{0x1FF, 0, 0}));      // out of range

}  // namespace
}  // namespace tq260
