#include "keys/key_name_table.h"

#include <algorithm>
#include <cstdio>

#include "keys/key_usage.h"

namespace tq260 {

namespace {

struct ListedName {
    std::uint8_t vk;
    const char16_t* name;
};

constexpr ListedName kListedNames[] = {
    {0x08, u"Back "},
    {0x09, u"Tab "},
    {0x0D, u"Enter "},
    {0x13, u"Pause "},
    {0x14, u"Caps "},
    {0x1B, u"Esc "},
    {0x20, u"Space "},
    {0x21, u"PgUp "},
    {0x22, u"PgDn "},
    {0x23, u"End "},
    {0x24, u"Home "},
    {0x25, u"Left "},
    {0x26, u"Up "},
    {0x27, u"Right "},
    {0x28, u"Down "},
    {0x2C, u"Prscr "},
    {0x2D, u"Inst "},
    {0x2E, u"Del "},
    {0x5B, u"LWin "},
    {0x5C, u"RWin "},
    {0x5D, u"Apps "},
    {0x6A, u"* "},
    {0x6B, u"+ "},
    {0x6C, u"Enter "},
    {0x6D, u"- "},
    {0x6E, u". "},
    {0x6F, u"/ "},
    {0x90, u"Num "},
    {0x91, u"Scrol "},
    {0xA0, u"LShift "},
    {0xA1, u"RShift "},
    {0xA2, u"LCtrl "},
    {0xA3, u"RCtrl "},
    {0xA4, u"LAlt "},
    {0xA5, u"RAlt "},
    {0xAE, u"Volume DOWN "},
    {0xAF, u"Volume UP "},
    {0xB3, u"Play/Pause"},
    {0xB5, u"Media "},
    {0xBA, u"; "},
    {0xBB, u"= "},
    {0xBC, u", "},
    {0xBD, u"- "},
    {0xBE, u". "},
    {0xBF, u"/ "},
    {0xC0, u"` "},
    {0xDB, u"[ "},
    {0xDC, u"\\ "},
    {0xDD, u"] "},
    {0xDE, u"' "},
    // Mouse codes: the index is the code itself.
    {0xF0, u"MsLB"},
    {0xF1, u"MsRB"},
    {0xF2, u"MsMB"},
    {0xF5, u"Mouse Pointer Right"},
    {0xF6, u"Mouse Pointer Up"},
    {0xF7, u"Mouse pointer Down"},
    {0xF8, u"Mouse Wheel Up"},
    {0xF9, u"Mouse Wheel Down"},
};

template <typename... Args>
std::u16string formatted(const char* format, Args... args) {
    char text[16];
    const int length = std::snprintf(text, sizeof text, format, args...);
    return {text, text + std::clamp(length, 0, int(sizeof text) - 1)};
}

}  // namespace

KeyNameTable::KeyNameTable() {
    for (int vk = 0; vk < 256; ++vk) {
        entries_[vk].vk = static_cast<std::uint8_t>(vk);
        entries_[vk].usage = keyUsage(static_cast<std::uint8_t>(vk));
    }
    for (int vk = 'A'; vk <= 'Z'; ++vk) entries_[vk].name = formatted("%c ", vk);
    for (int vk = '1'; vk <= '9'; ++vk) entries_[vk].name = formatted("%c ", vk);
    entries_['0'].name = formatted("%d", 0);  // the one digit without a trailing space
    for (int vk = 0x70; vk <= 0x7B; ++vk) entries_[vk].name = formatted("F%d ", vk - 0x6F);
    for (int vk = 0x60; vk <= 0x69; ++vk) entries_[vk].name = formatted("%d-num ", vk - 0x60);
    for (const ListedName& listed : kListedNames) entries_[listed.vk].name = listed.name;
}

}  // namespace tq260
