#include "device/device_link.h"

#include <gmock/gmock.h>

#include <atomic>
#include <thread>

#include "device/block_transfer.h"
#include "device/device_commands.h"
#include "emulator/emulator_transport.h"
#include "emulator/virtual_clock.h"

namespace tq260 {
namespace {

using ::testing::HasSubstr;

class DeviceLinkDiscovery : public ::testing::Test {
  protected:
    FirmwareVersion firmwareSeenBy(DeviceLink& link) {
        DeviceIdentity identity;
        readIdentity(link, identity);
        return identity.firmware;
    }

    void giveFirmware(VirtualKeyboard& keyboard, FirmwareVersion firmware) {
        keyboard.editMemory([&](KeyboardMemory& m) { m.firmware = firmware; });
    }

    VirtualClock clock;
    EmulatorTransport transport{clock};
    DeviceLink link{transport, clock};
};

TEST_F(DeviceLinkDiscovery, HidrawPathsSelectInterface3AndTheInterfaceWithThreeCollections) {
    transport.addKeyboard();
    ASSERT_TRUE(link.findInterface(InterfaceFilter::CommandChannel));
    EXPECT_EQ(link.devicePath(), "/dev/virtual-hidraw3");
    EXPECT_EQ(link.searchCount(), 1);
    ASSERT_TRUE(link.findInterface(InterfaceFilter::EventChannel));
    EXPECT_EQ(link.devicePath(), "/dev/virtual-hidraw1");
    EXPECT_TRUE(link.connect());
    EXPECT_TRUE(link.hasEventChannel());
}

TEST_F(DeviceLinkDiscovery, WindowsPathsSelectMi03AndCol03) {
    transport.addKeyboard({.perCollectionPaths = true});
    ASSERT_TRUE(link.findInterface(InterfaceFilter::CommandChannel));
    EXPECT_THAT(link.devicePath(), HasSubstr("mi_03"));
    ASSERT_TRUE(link.findInterface(InterfaceFilter::EventChannel));
    EXPECT_THAT(link.devicePath(), HasSubstr("mi_01&col03"));
    EXPECT_TRUE(link.connect());
}

TEST_F(DeviceLinkDiscovery, FirstOfTwoKeyboardsIsUsed) {
    giveFirmware(transport.addKeyboard(), {1, 1});
    giveFirmware(transport.addKeyboard(), {2, 2});
    ASSERT_TRUE(link.connect());
    EXPECT_EQ(firmwareSeenBy(link), (FirmwareVersion{1, 1}));
    EXPECT_EQ(link.devicePath(), "/dev/virtual-hidraw1");
}

TEST_F(DeviceLinkDiscovery, OtherDevicesAreSkipped) {
    HidInterfaceInfo other;
    other.path = "/dev/hidraw0";
    other.vendorId = 0x046D;
    other.productId = 0xC52B;
    other.interfaceNumber = 3;
    other.collectionCount = 3;
    transport.addOtherDevice(other);
    transport.addKeyboard();
    ASSERT_TRUE(link.findInterface(InterfaceFilter::CommandChannel));
    EXPECT_EQ(link.devicePath(), "/dev/virtual-hidraw3");
}

TEST_F(DeviceLinkDiscovery, KeyboardWithoutInterface3IsNotConnected) {
    transport.addKeyboard({.withoutCommandInterface = true});
    EXPECT_FALSE(link.findInterface(InterfaceFilter::CommandChannel));
    EXPECT_EQ(link.devicePath(), "");
    EXPECT_EQ(link.searchCount(), 0);
    EXPECT_FALSE(link.openCommandChannel());
    EXPECT_FALSE(link.connect());
    EXPECT_FALSE(link.isConnected());
}

TEST_F(DeviceLinkDiscovery, FailedSearchLeavesNoEarlierPath) {
    VirtualKeyboard& keyboard = transport.addKeyboard();
    ASSERT_TRUE(link.findInterface(InterfaceFilter::CommandChannel));
    keyboard.unplug();
    EXPECT_FALSE(link.findInterface(InterfaceFilter::CommandChannel));
    EXPECT_EQ(link.devicePath(), "");
    EXPECT_EQ(link.searchCount(), 0);
}

TEST_F(DeviceLinkDiscovery, EventChannelThatCannotOpenLeavesTheCommandChannelConnected) {
    transport.addKeyboard({.eventChannelOpenFails = true});
    EXPECT_TRUE(link.connect());
    EXPECT_TRUE(link.isConnected());
    EXPECT_FALSE(link.hasEventChannel());
}

TEST_F(DeviceLinkDiscovery, CloseDisconnectsAndCommandsThenReadZeros) {
    giveFirmware(transport.addKeyboard(), {1, 4});
    ASSERT_TRUE(link.connect());
    link.close();
    EXPECT_FALSE(link.isConnected());
    EXPECT_FALSE(link.hasEventChannel());
    EXPECT_EQ(firmwareSeenBy(link), (FirmwareVersion{0, 0}));
}

// Two threads driving the command channel at once: no command may fall between a block
// read's announcing report and its four reports.
TEST_F(DeviceLinkDiscovery, TransactionsNeverInterleave) {
    VirtualKeyboard& keyboard = transport.addKeyboard();
    ASSERT_TRUE(link.connect());
    std::atomic<bool> go{false};
    std::thread blocks([&] {
        while (!go) std::this_thread::yield();
        DeviceSettings settings;
        for (int i = 0; i < 30; ++i) BlockTransfer::readKeyTable(link, settings);
    });
    std::thread singles([&] {
        while (!go) std::this_thread::yield();
        DeviceSettings settings;
        for (int i = 0; i < 200; ++i) writeLighting(link, settings);
    });
    go = true;
    blocks.join();
    singles.join();

    const auto entries = keyboard.wireLog().entries();
    int announces = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        if (e.op != TraceOp::Set || (e.bytes[1] != 0x8C && e.bytes[1] != 0x8D)) continue;
        ++announces;
        ASSERT_LT(i + 5, entries.size() + 1);
        EXPECT_EQ(entries[i + 1].op, TraceOp::Get);
        for (std::size_t k = 2; k <= 5; ++k) EXPECT_EQ(entries[i + k].op, TraceOp::Read);
    }
    EXPECT_EQ(announces, 60);
}

}  // namespace
}  // namespace tq260
