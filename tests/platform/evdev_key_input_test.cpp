#include "platform/evdev_key_input.h"

#include <gtest/gtest.h>
#include <linux/input.h>
#include <unistd.h>

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

// The value of a key event tells a press (1), a held key's repeat (2) and a release (0);
// other values and other events are no key input.
TEST(EvdevKeyInput, PressRepeatAndReleaseAreToldApart) {
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    EvdevKeyInput input(0x04D9, 0xA12F);
    input.addEventStream(pipe[0]);
    const auto event = [](std::uint16_t type, std::uint16_t code, std::int32_t value) {
        input_event e{};
        e.type = type;
        e.code = code;
        e.value = value;
        return e;
    };
    const input_event events[] = {
        event(EV_MSC, MSC_SCAN, 0x70004), event(EV_KEY, KEY_A, 1), event(EV_SYN, SYN_REPORT, 0),
        event(EV_KEY, KEY_A, 2),          event(EV_KEY, KEY_A, 0), event(EV_KEY, KEY_B, 7),
        event(EV_KEY, KEY_F1, 1),
    };
    ASSERT_EQ(::write(pipe[1], events, sizeof events), static_cast<ssize_t>(sizeof events));
    using Kind = KeyInput::Kind;
    for (const KeyInput expected : {KeyInput{'A', Kind::Down}, KeyInput{'A', Kind::Repeat},
                                    KeyInput{'A', Kind::Up}, KeyInput{0x70, Kind::Down}}) {
        EXPECT_EQ(input.next(), expected);
    }
    ::close(pipe[1]);  // the device went: the wait ends
    EXPECT_EQ(input.next(), std::nullopt);
}

TEST(EvdevKeyInput, AStopBeforeTheWaitEndsIt) {
    EvdevKeyInput input(0x04D9, 0xA12F);
    input.stop();
    EXPECT_EQ(input.next(), std::nullopt);
}

}  // namespace
}  // namespace tq260
