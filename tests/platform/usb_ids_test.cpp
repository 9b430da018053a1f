#include "platform/usb_ids.h"

#include <gtest/gtest.h>

namespace tq260 {
namespace {

struct PathCase {
    const char* path;
    bool found;
    std::uint16_t vendor;
    std::uint16_t product;
};

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

class UsbIdsOfDevicePath : public testing::TestWithParam<PathCase> {};

TEST_P(UsbIdsOfDevicePath, ReadsBothIdsOrNeither) {
    const auto& row = GetParam();
    const auto ids = usbIdsOfDevicePath(row.path);
    ASSERT_EQ(ids.has_value(), row.found) << row.path;
    if (!row.found) return;
    EXPECT_EQ(ids->vendorId, row.vendor);
    EXPECT_EQ(ids->productId, row.product);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, UsbIdsOfDevicePath,
    testing::Values(
        PathCase{
            R"(\\?\HID#VID_04D9&PID_A12F&MI_01&Col02#7&1a2b&0&0001#{4d1e55b2-f16f-11cf-88cb-001111000030})",
            true, 0x04D9, 0xA12F},
        PathCase{
            R"(\\?\hid#vid_04d9&pid_a12f&mi_00#8&3c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})",
            true, 0x04D9, 0xA12F},
        PathCase{"USB\\VID_FFFF&PID_0001\\5", true, 0xFFFF, 0x0001},
        PathCase{R"(\\?\HID#VID_04D9&PID_A1#x)", false, 0, 0},
        PathCase{R"(\\?\HID#VID_04G9&PID_A12F#x)", false, 0, 0},
        PathCase{R"(\\?\HID#PID_A12F#x)", false, 0, 0}, PathCase{"", false, 0, 0}));

}  // namespace
}  // namespace tq260
