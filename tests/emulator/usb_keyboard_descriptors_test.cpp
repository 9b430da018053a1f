#include <gtest/gtest.h>
#include <linux/usb/functionfs.h>

#include <algorithm>

#include "device/device_link.h"
#include "device/event_report.h"
#include "emulator/usb/functionfs_descriptors.h"
#include "emulator/usb/keyboard_report_descriptors.h"
#include "platform/hid_report_descriptor.h"

namespace tq260 {
namespace {

// The host finds the keyboard's channels by the descriptors the USB keyboard serves: as
// hidapi on hidraw lists them (a whole interface per node), exactly interface 3 is the
// command channel and exactly interface 1 the event channel.
TEST(UsbKeyboardDescriptors, TheHostFindsEachChannelOnItsInterface) {
    struct Row {
        int interface;
        std::vector<std::uint8_t> opening;  // the first usage page and usage
        int collections;
        bool command;
        bool event;
    };
    const Row rows[] = {{0, {0x05, 0x01, 0x09, 0x06}, 1, false, false},
                        {1, {0x05, 0x01, 0x09, 0x06}, 3, false, true},
                        {2, {0x05, 0x01, 0x09, 0x02}, 1, false, false},
                        {3, {0x06, 0x00, 0xFF, 0x09}, 1, true, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.interface);
        const auto descriptor = kKeyboardReportDescriptors[static_cast<std::size_t>(row.interface)];
        EXPECT_EQ(descriptor.back(), 0xC0);
        EXPECT_EQ(std::vector<std::uint8_t>(descriptor.begin(), descriptor.begin() + 4),
                  row.opening);
        HidInterfaceInfo info;
        info.vendorId = kKeyboardVendorId;
        info.productId = kKeyboardProductId;
        info.interfaceNumber = row.interface;
        info.collectionCount = countTopLevelCollections(descriptor);
        EXPECT_EQ(info.collectionCount, row.collections);
        EXPECT_EQ(isKeyboardChannel(info, InterfaceFilter::CommandChannel), row.command);
        EXPECT_EQ(isKeyboardChannel(info, InterfaceFilter::EventChannel), row.event);
    }
    // The event reader keeps only reports with the event report id: the vendor collection
    // of interface 1 must declare it.
    const auto events = kKeyboardReportDescriptors[kEventInterface];
    const std::vector<std::uint8_t> vendorWithId = {0x06, 0x00, 0xFF, 0x09,          0x01,
                                                    0xA1, 0x01, 0x85, kEventReportId};
    EXPECT_NE(std::search(events.begin(), events.end(), vendorWithId.begin(), vendorWithId.end()),
              events.end());
}

std::uint32_t le32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
           (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

// Each speed's set: interface, HID class descriptor naming its report descriptor's length,
// endpoints in the order of the endpoint files.
TEST(UsbKeyboardDescriptors, FunctionFsSetsDescribeTheFourInterfacesAtBothSpeeds) {
    const auto blob = keyboardFunctionDescriptors();
    ASSERT_GE(blob.size(), 20u);
    EXPECT_EQ(le32(blob, 0), FUNCTIONFS_DESCRIPTORS_MAGIC_V2);
    EXPECT_EQ(le32(blob, 4), blob.size());
    EXPECT_EQ(le32(blob, 8), FUNCTIONFS_HAS_FS_DESC | FUNCTIONFS_HAS_HS_DESC);
    EXPECT_EQ(le32(blob, 12), 13u);
    EXPECT_EQ(le32(blob, 16), 13u);
    const std::uint8_t intervals[] = {1, 4};
    std::size_t at = 20;
    for (const std::uint8_t interval : intervals) {
        std::vector<std::uint8_t> endpoints;
        for (std::size_t number = 0; number < 4; ++number) {
            ASSERT_LT(at + 18, blob.size());
            EXPECT_EQ(blob[at + 1], 0x04);
            EXPECT_EQ(blob[at + 2], number);
            EXPECT_EQ(blob[at + 5], 0x03);  // HID
            const std::size_t count = blob[at + 4];
            at += 9;
            EXPECT_EQ(blob[at + 1], 0x21);
            EXPECT_EQ(blob[at + 6], 0x22);
            EXPECT_EQ(blob[at + 7] | (blob[at + 8] << 8),
                      kKeyboardReportDescriptors[number].size());
            at += 9;
            for (std::size_t e = 0; e < count; ++e) {
                EXPECT_EQ(blob[at + 3], 0x03);  // interrupt
                EXPECT_EQ(blob[at + 6], interval);
                endpoints.push_back(blob[at + 2]);
                at += 7;
            }
        }
        EXPECT_EQ(endpoints, (std::vector<std::uint8_t>{0x81, 0x82, 0x83, 0x84, 0x05}));
    }
    EXPECT_EQ(at, blob.size());
}

}  // namespace
}  // namespace tq260
