#include "cli/keyboard_list.h"

#include <gtest/gtest.h>

#include "emulator/emulator_transport.h"
#include "emulator/virtual_clock.h"

namespace tq260 {
namespace {

class KeyboardList : public ::testing::Test {
  protected:
    VirtualClock clock;
    EmulatorTransport transport{clock};
};

TEST_F(KeyboardList, EachKeyboardWithItsChannelsAndFirmware) {
    transport.addKeyboard().editMemory([](KeyboardMemory& m) { m.firmware = {2, 7}; });
    transport.addKeyboard();
    const std::vector<ListedKeyboard> keyboards = listKeyboards(transport, clock, nullptr);
    ASSERT_EQ(keyboards.size(), 2u);
    EXPECT_EQ(keyboards[0].commandPath, "/dev/virtual-hidraw3");
    EXPECT_EQ(keyboards[0].eventPath, "/dev/virtual-hidraw1");
    EXPECT_EQ(keyboards[1].commandPath, "/dev/virtual-hidraw7");
    EXPECT_EQ(keyboards[1].eventPath, "/dev/virtual-hidraw5");
    ASSERT_TRUE(keyboards[0].firmware && keyboards[1].firmware);
    EXPECT_EQ(*keyboards[0].firmware, (FirmwareVersion{2, 7}));
    EXPECT_EQ(*keyboards[1].firmware, (FirmwareVersion{1, 2}));
    EXPECT_EQ(describeKeyboards(keyboards),
              "keyboard 1\n"
              "  command channel: /dev/virtual-hidraw3\n"
              "  event channel:   /dev/virtual-hidraw1\n"
              "  firmware:        2.7\n"
              "keyboard 2\n"
              "  command channel: /dev/virtual-hidraw7\n"
              "  event channel:   /dev/virtual-hidraw5\n"
              "  firmware:        1.2\n");
}

TEST_F(KeyboardList, OtherDevicesAndKeyboardsWithoutACommandChannelAreNotListed) {
    transport.addOtherDevice({"/dev/hidraw-mouse", 0x046D, 0xC077, 0, 0, 1});
    EXPECT_TRUE(listKeyboards(transport, clock, nullptr).empty());
    VirtualKeyboardPresence noCommand;
    noCommand.withoutCommandInterface = true;
    transport.addKeyboard(noCommand);
    EXPECT_TRUE(listKeyboards(transport, clock, nullptr).empty());
}

TEST_F(KeyboardList, AKeyboardThatDoesNotAnswerIsListedAsSuch) {
    transport.addKeyboard().setSilent(true);
    const std::vector<ListedKeyboard> keyboards = listKeyboards(transport, clock, nullptr);
    ASSERT_EQ(keyboards.size(), 1u);
    EXPECT_FALSE(keyboards[0].firmware);
    EXPECT_NE(describeKeyboards(keyboards).find("  firmware:        not answering\n"),
              std::string::npos);
}

}  // namespace
}  // namespace tq260
