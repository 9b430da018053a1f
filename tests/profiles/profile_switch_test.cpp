// A switch between two profiles as the window and the tool make it: the profile laid over
// the live configuration, then the write back against what the keyboard holds.
#include <gmock/gmock.h>

#include "device/composite_operations.h"
#include "profiles/profile_store.h"
#include "support/emulated_keyboard.h"
#include "support/temporary_folder.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;

class ProfileSwitch : public testing::EmulatedKeyboardTest {
  protected:
    void SetUp() override {
        EmulatedKeyboardTest::SetUp();
        DeviceIdentity identity;
        ASSERT_EQ(fullRead(link, settings, identity), OperationResult::Done);
        shadow.synchronise(settings);
        setAssignmentIdentities(*table);
        ASSERT_EQ(store.openIn(folder.path()).result, ProfileStore::Result::Done);
    }
    std::string at(std::int64_t ms, const std::string& rest) const {
        return std::to_string(startMs + ms) + " cmd " + rest;
    }

    testing::TemporaryFolder folder;
    DeviceSettings settings;
    SettingsShadow shadow;
    std::unique_ptr<AssignmentTable> table = std::make_unique<AssignmentTable>();
    RecordMutex lock;
    LiveConfiguration live{settings, *table, lock};
    ProfileStore store;
    std::int64_t startMs = 0;
};

// Two profiles that differ in one key and the lighting: the switch sends the four settings
// that always go and the two key blocks, nothing else, with the protocol's waits.
TEST_F(ProfileSwitch, SendsTheFourSettingsAndTheTwoKeyBlocksOnly) {
    ASSERT_EQ(store.saveAs(u"Game", live).result, ProfileStore::Result::Done);
    settings.keyTable[64] = {3, 0, 0xE9, 0};  // A becomes Volume up
    settings.lighting.effect = 6;
    settings.lighting.brightness = 10;
    (*table)[63].type = 3;
    ASSERT_EQ(store.saveAs(u"Desk", live).result, ProfileStore::Result::Done);
    ASSERT_EQ(store.use(*store.rowOf(u"Game"), live).result, ProfileStore::Result::Done);
    ASSERT_EQ(settings, shadow.record());  // the keyboard holds Game
    keyboard.wireLog().clear();
    clock.clearWaits();
    startMs = clock.nowUs() / 1000;

    ASSERT_EQ(store.use(*store.rowOf(u"Desk"), live).result, ProfileStore::Result::Done);
    ASSERT_EQ(writeBack(link, settings, shadow), OperationResult::Done);

    EXPECT_THAT(wire("set"), ElementsAre(at(100, "set 00 08 06 0a 06 01 00 00 94"),
                                         at(110, "set 00 0c 00 00 04 00 00 00 9b"),
                                         at(280, "set 00 0d 00 00 04 00 00 00 9a"),
                                         at(450, "set 00 01 03 00 00 00 00 00 8f"),
                                         at(460, "set 00 04 01 00 00 00 00 00 8e"),
                                         at(470, "set 00 02 01 00 00 00 00 00 88")));
    EXPECT_EQ(wire("write").size(), 8U);
    // Each key block: its announcement's 10 ms, then 40 ms after each of its four reports.
    EXPECT_THAT(clock.waits(),
                ElementsAre(100, 10, 10, 40, 40, 40, 40, 10, 40, 40, 40, 40, 10, 10, 20));
    EXPECT_EQ(keyboard.memory().keyBlocks[1][2], 0xE9);
    EXPECT_EQ((*table)[63].type, 3);
}

}  // namespace
}  // namespace tq260
