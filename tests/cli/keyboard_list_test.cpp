#include "cli/keyboard_list.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "device/device_link.h"
#include "emulator/emulator_transport.h"
#include "emulator/virtual_clock.h"
#include "platform/device_claim.h"
#include "support/temporary_folder.h"

namespace tq260 {
namespace {

using testing::TemporaryFolder;
using testing::writeRawFile;

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

// The program answers for the keyboard it holds without opening it again.
TEST_F(KeyboardList, TheKeyboardTheCallerHoldsIsListedAsItKnowsIt) {
    VirtualKeyboard& held = transport.addKeyboard();
    transport.addKeyboard().editMemory([](KeyboardMemory& m) { m.firmware = {3, 1}; });
    const auto keyboards =
        listKeyboards(transport, clock, nullptr, {"/dev/virtual-hidraw3", std::nullopt, {}});
    ASSERT_EQ(keyboards.size(), 2u);
    EXPECT_EQ(keyboards[0].firmware, std::nullopt);  // its read failed: "not answering"
    EXPECT_EQ(keyboards[1].firmware, (FirmwareVersion{3, 1}));
    EXPECT_TRUE(held.wireLog().lines().empty());
}

TEST_F(KeyboardList, OtherDevicesAndKeyboardsWithoutACommandChannelAreNotListed) {
    transport.addOtherDevice({"/dev/hidraw-mouse", 0x046D, 0xC077, 0, 0, 1});
    EXPECT_TRUE(listKeyboards(transport, clock, nullptr).empty());
    VirtualKeyboardPresence noCommand;
    noCommand.withoutCommandInterface = true;
    transport.addKeyboard(noCommand);
    EXPECT_TRUE(listKeyboards(transport, clock, nullptr).empty());
}

#ifndef _WIN32
// The device lock is POSIX; Windows opens HID devices for sharing.
// The configuration program holding the keyboard: a process that claims the node and waits.
class OtherHolder {
  public:
    explicit OtherHolder(const std::string& node) {
        int toChild[2], toParent[2];
        if (pipe(toChild) != 0 || pipe(toParent) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            std::unique_ptr<DeviceClaim> claim;
            const char held = DeviceClaim::take(node, claim) == DeviceClaim::Outcome::Claimed;
            [[maybe_unused]] auto w = write(toParent[1], &held, 1);
            char done = 0;
            [[maybe_unused]] auto r = read(toChild[0], &done, 1);
            _exit(0);
        }
        release_ = toChild[1];
        char held = 0;
        holding_ = read(toParent[0], &held, 1) == 1 && held == 1;
        close(toChild[0]);
        close(toParent[0]);
        close(toParent[1]);
    }
    ~OtherHolder() {
        const char done = 1;
        [[maybe_unused]] auto w = write(release_, &done, 1);
        close(release_);
        waitpid(pid_, nullptr, 0);
    }
    bool holding() const { return holding_; }

  private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool holding_ = false;
};

TEST_F(KeyboardList, AKeyboardAnotherProgramHoldsIsSaidToBeInUse) {
    TemporaryFolder folder;
    const std::string node = (folder / "hidraw3").string();
    writeRawFile(node, {});
    // The virtual keyboard's transport cannot open this path, as hidapi cannot while it is held.
    transport.addOtherDevice({node, kKeyboardVendorId, kKeyboardProductId, 3, 0, 1});
    EXPECT_FALSE(keyboardHeldElsewhere(transport));
    {
        OtherHolder program(node);
        ASSERT_TRUE(program.holding());
        EXPECT_TRUE(keyboardHeldElsewhere(transport));
        const std::vector<ListedKeyboard> keyboards = listKeyboards(transport, clock, nullptr);
        ASSERT_EQ(keyboards.size(), 1u);
        EXPECT_TRUE(keyboards[0].inUse);
        EXPECT_NE(
            describeKeyboards(keyboards).find("  firmware:        in use by another program\n"),
            std::string::npos);
    }
    EXPECT_FALSE(keyboardHeldElsewhere(transport));
    EXPECT_FALSE(listKeyboards(transport, clock, nullptr)[0].inUse);
}

#endif

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
