#include "keys/modified_marks.h"

#include <gtest/gtest.h>

#include "keys/factory_key_map.h"

namespace tq260 {
namespace {

constexpr std::size_t kA = 63;
constexpr std::size_t kS = 64;
constexpr std::size_t kBackslash = 54;
constexpr std::size_t kRightOfRightAlt = 100;

class ModifiedMarksTest : public ::testing::Test {
  protected:
    ModifiedMarksTest() {
        settings.keyTable = FactoryKeyMap;
        setAssignmentIdentities(*table);
        marks.fill(7);
    }
    KeyEntry& entryOf(std::size_t key) { return settings.keyTable[KeyLayout[key].slot]; }

    DeviceSettings settings;
    std::unique_ptr<AssignmentTable> table = std::make_unique<AssignmentTable>();
    ModifiedMarks marks{};
};

TEST_F(ModifiedMarksTest, FactoryStateMarksNothing) {
    recomputeMarksAfterRevert(settings, *table, marks);
    for (std::size_t key = 0; key < kKeyCount; ++key) EXPECT_EQ(marks[key], 0) << key;
    marks.fill(7);
    recomputeMarksAfterRead(settings, *table, marks);
    for (std::size_t key = 0; key < kKeyCount; ++key) EXPECT_EQ(marks[key], 0) << key;
}

TEST_F(ModifiedMarksTest, AfterRevertCodesTypesAndSingleKeysCount) {
    entryOf(kA).code = 0x05;
    (*table)[kS].type = 3;
    (*table)[kBackslash].count = 1;
    (*table)[kBackslash].data[0] = 'A';  // a single key that is not the key itself
    (*table)[0].count = 1;
    (*table)[0].data[0] = 0x1B;  // Esc assigned to itself
    entryOf(kRightOfRightAlt).code = 0x04;
    recomputeMarksAfterRevert(settings, *table, marks);
    EXPECT_EQ(marks[kA], 1);
    EXPECT_EQ(marks[kS], 1);
    EXPECT_EQ(marks[kBackslash], 1);
    EXPECT_EQ(marks[0], 0);
    EXPECT_EQ(marks[kRightOfRightAlt], 0);  // never shown as changed
}

TEST_F(ModifiedMarksTest, AfterReadReferencesAreFollowed) {
    settings.hostKeyData[9].code = 0x04;  // A's factory code
    entryOf(kA) = {0x10, 0, 9, 0};
    settings.hostKeyData[10].code = 0x2C;
    entryOf(kS) = {0x10, 0, 10, 0};
    entryOf(kBackslash) = {0x10, 0, 200, 0};  // out of the 64 host slots
    (*table)[0].count = 1;                    // counts only after a revert
    (*table)[0].data[0] = 'Q';
    recomputeMarksAfterRead(settings, *table, marks);
    EXPECT_EQ(marks[kA], 0);
    EXPECT_EQ(marks[kS], 1);
    EXPECT_EQ(marks[kBackslash], 1);
    EXPECT_EQ(marks[0], 0);
}

}  // namespace
}  // namespace tq260
