#include "keys/key_name_table.h"

#include <gtest/gtest.h>

#include <string>

namespace tq260 {
namespace {

struct Expected {
    std::uint8_t vk;
    std::uint8_t usage;
    std::u16string name;
};

std::ostream& operator<<(std::ostream& out, const Expected& e) {
    return out << "vk 0x" << std::hex << int(e.vk);
}

class KeyNames : public ::testing::TestWithParam<Expected> {
  protected:
    static const KeyNameTable& table() {
        static const KeyNameTable built;
        return built;
    }
};

TEST_P(KeyNames, UsageAndName) {
    const Expected& e = GetParam();
    EXPECT_EQ(table().entry(e.vk).vk, e.vk);
    EXPECT_EQ(table().usage(e.vk), e.usage);
    EXPECT_EQ(table().name(e.vk), e.name);
}

INSTANTIATE_TEST_SUITE_P(ByRule, KeyNames,
                         ::testing::Values(Expected{'A', 0x04, u"A "}, Expected{'Z', 0x1D, u"Z "},
                                           Expected{'1', 0x1E, u"1 "}, Expected{'9', 0x26, u"9 "},
                                           Expected{'0', 0x27, u"0"},  // no trailing space
                                           Expected{0x70, 0x3A, u"F1 "},
                                           Expected{0x7B, 0x45, u"F12 "}));

INSTANTIATE_TEST_SUITE_P(
    OneByOne, KeyNames,
    ::testing::Values(Expected{0x08, 0x2A, u"Back "}, Expected{0x0D, 0x28, u"Enter "},
                      Expected{0x6C, 0x58, u"Enter "},  // keypad Enter: same name, its own code
                      Expected{0x13, 0x48, u"Pause "}, Expected{0x2C, 0x46, u"Prscr "},
                      Expected{0x5D, 0x65, u"Apps "}, Expected{0x60, 0x62, u"0-num "},
                      Expected{0x61, 0x59, u"1-num "}, Expected{0x69, 0x61, u"9-num "},
                      Expected{0x6B, 0x57, u"+ "}, Expected{0x6D, 0x56, u"- "},
                      Expected{0xBD, 0x2D, u"- "}, Expected{0x90, 0x53, u"Num "},
                      Expected{0xA2, 0xE0, u"LCtrl "}, Expected{0xA5, 0xE6, u"RAlt "},
                      Expected{0xAE, 0xEA, u"Volume DOWN "}, Expected{0xAF, 0xE9, u"Volume UP "},
                      Expected{0xB3, 0xCD, u"Play/Pause"}, Expected{0xB5, 0x83, u"Media "},
                      Expected{0xDC, 0x32, u"\\ "}, Expected{0xDE, 0x34, u"' "},
                      Expected{0xC0, 0x35, u"` "}));

INSTANTIATE_TEST_SUITE_P(MouseAndEmpty, KeyNames,
                         ::testing::Values(Expected{0xF0, 0xF0, u"MsLB"},
                                           Expected{0xF2, 0xF2, u"MsMB"}, Expected{0xF3, 0xF3, u""},
                                           Expected{0xF7, 0xF7, u"Mouse pointer Down"},
                                           Expected{0xF9, 0xF9, u"Mouse Wheel Down"},
                                           Expected{0x10, 0x00, u""}, Expected{0x00, 0x00, u""},
                                           Expected{0xFF, 0x00, u""}));

TEST(KeyNameTable, EveryNameFitsItsField) {
    const KeyNameTable table;
    for (int vk = 0; vk < 256; ++vk) {
        EXPECT_LT(table.name(static_cast<std::uint8_t>(vk)).size(), KeyNameTable::kNameCapacity);
    }
}

}  // namespace
}  // namespace tq260
