#include "platform/evdev_key_input.h"

#include <gtest/gtest.h>

#include "support/normal_user.h"
#include "support/temporary_folder.h"

namespace tq260 {
namespace {

using testing::TemporaryFolder;
using testing::writeRawFile;

// What opening the keyboard's nodes tells the program: whether there is nothing to read or
// the user lacks the permission, which the program explains.
TEST(EvdevKeyInput, NodesThatAreNotKeyInputDevicesGiveNoKeyboard) {
    TemporaryFolder folder;
    writeRawFile(folder / "event7", {1, 2, 3, 4});
    EvdevKeyInput input(0x04D9, 0xA12F);
    EXPECT_EQ(input.openNodes({}), KeyInputSource::Opened::NoKeyboard);
    EXPECT_EQ(input.openNodes({(folder / "event7").string(), (folder / "gone").string()}),
              KeyInputSource::Opened::NoKeyboard);
    // Nothing open: the watcher ends at once instead of waiting forever.
    EXPECT_EQ(input.next(), std::nullopt);
}

TEST(EvdevKeyInput, ANodeThisUserMayNotReadGivesNoPermissionAsANormalUser) {
    if (!testing::permissionsStopThisProcess()) GTEST_SKIP() << "root reads files of mode 000";
    TemporaryFolder folder;
    writeRawFile(folder / "event3", {});
    std::filesystem::permissions(folder / "event3", std::filesystem::perms::none);
    EvdevKeyInput input(0x04D9, 0xA12F);
    EXPECT_EQ(input.openNodes({(folder / "event3").string()}),
              KeyInputSource::Opened::NoPermission);
    // One node refused among others that are not key devices is still a permission matter.
    writeRawFile(folder / "event4", {0});
    EXPECT_EQ(input.openNodes({(folder / "event4").string(), (folder / "event3").string()}),
              KeyInputSource::Opened::NoPermission);
}

TEST(EvdevKeyInput, AStopBeforeTheWaitEndsIt) {
    EvdevKeyInput input(0x04D9, 0xA12F);
    input.stop();
    EXPECT_EQ(input.next(), std::nullopt);
}

}  // namespace
}  // namespace tq260
