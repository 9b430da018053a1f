#include "keys/named_function_table.h"

#include <gtest/gtest.h>

namespace tq260 {
namespace {

TEST(NamedFunctionTable, EveryRowIsFoundInItsOwnLanguageBothWays) {
    for (const NamedFunction& function : NamedFunctionTable) {
        EXPECT_EQ(findNamedFunction(function.english, Language::English), function.entry);
        EXPECT_EQ(findNamedFunction(function.chinese, Language::Chinese), function.entry);
        EXPECT_EQ(namedFunctionName(function.entry, Language::English), function.english);
        EXPECT_EQ(namedFunctionName(function.entry, Language::Chinese), function.chinese);
    }
}

TEST(NamedFunctionTable, MatchingIsExactAndLanguageBound) {
    EXPECT_FALSE(findNamedFunction(u"Play/Pause", Language::Chinese));
    EXPECT_EQ(findNamedFunction(u"暂停-播放", Language::Chinese), (KeyEntry{3, 0, 0xCD, 0}));
    EXPECT_FALSE(findNamedFunction(u"暂停-播放", Language::English));
    EXPECT_FALSE(findNamedFunction(u"vol+", Language::English));
    EXPECT_FALSE(findNamedFunction(u"Vol", Language::English));
    EXPECT_FALSE(findNamedFunction(u"Vol+ ", Language::English));
    EXPECT_FALSE(namedFunctionName({3, 0, 0xE9, 1}, Language::English));
}

TEST(NamedFunctionTable, RowsAndEntries) {
    ASSERT_EQ(NamedFunctionTable.size(), 23U);
    EXPECT_EQ(NamedFunctionTable[0].english, u"Media Player");
    EXPECT_EQ(NamedFunctionTable[kMediaFunctionCount - 1].english, u"Mute");
    EXPECT_EQ(findNamedFunction(u"Vol+", Language::English), (KeyEntry{3, 0, 0xE9, 0}));
    EXPECT_EQ(findNamedFunction(u"Homepage", Language::English), (KeyEntry{3, 0, 0x23, 2}));
    EXPECT_EQ(findNamedFunction(u"Task Management", Language::English),
              (KeyEntry{0, 0xE0, 0xE2, 0x4C}));
    EXPECT_EQ(findNamedFunction(u"最小化", Language::Chinese), (KeyEntry{0, 0xE2, 0x2C, 0x11}));
}

}  // namespace
}  // namespace tq260
