#include "platform/udev_hot_plug_watcher.h"

#include <gtest/gtest.h>

namespace tq260 {
namespace {

TEST(UsbProduct, VendorAndProductComeFromTheFirstTwoFields) {
    const auto ids = parseUsbProduct("4d9/a12f/100");
    ASSERT_TRUE(ids);
    EXPECT_EQ(ids->vendorId, 0x04D9);
    EXPECT_EQ(ids->productId, 0xA12F);
    EXPECT_TRUE(parseUsbProduct("0/0/0"));
}

TEST(UsbProduct, MalformedValuesAreRejected) {
    for (const char* text : {"", "4d9", "4d9/a12f", "/a12f/100", "4d9//100", "4dx9/a12f/1",
                             "10000/a12f/1", "4d9/-1/1"}) {
        EXPECT_FALSE(parseUsbProduct(text)) << text;
    }
}

// Whether or not this machine lets the watcher register, starting and stopping it again and
// again never hangs and leaves no thread behind.
TEST(UdevHotPlugWatcher, StartsAndStopsCleanly) {
    UdevHotPlugWatcher watcher;
    for (int round = 0; round < 3; ++round) {
        watcher.start([](const DeviceChange&) {});
        watcher.stop();
    }
    watcher.stop();
}

}  // namespace
}  // namespace tq260
