#include "platform/hid_report_descriptor.h"

#include <gtest/gtest.h>

#include <vector>

namespace tq260 {
namespace {

// Usage Page (Generic Desktop), Usage (Keyboard), Collection (Application) with a nested
// logical collection, then two more application collections (consumer, vendor).
const std::vector<std::uint8_t> kThreeCollections = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01, 0xA1, 0x02, 0x75, 0x08, 0xC0, 0xC0,
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02, 0x26, 0xFF, 0x03, 0xC0, 0x06, 0x00,
    0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x04, 0x95, 0x06, 0x81, 0x02, 0xC0,
};

TEST(HidReportDescriptor, CountsOnlyTopLevelCollections) {
    EXPECT_EQ(countTopLevelCollections(kThreeCollections), 3);
}

TEST(HidReportDescriptor, SkipsLongItemsAndItemData) {
    // A long item whose data holds bytes that look like Collection items, and a 4-byte item
    // whose data does too.
    const std::vector<std::uint8_t> descriptor = {0xFE, 0x02, 0x10, 0xA1, 0xA1, 0x27, 0xA1,
                                                  0xA1, 0xA1, 0xA1, 0xA1, 0x01, 0xC0};
    EXPECT_EQ(countTopLevelCollections(descriptor), 1);
}

// A long item is its prefix, a data size, a tag and that much data. Here tag and data look
// like Collection items and an End Collection follows: a skip one byte short or long of
// the item, or a size read as something else, gives another count than 2.
TEST(HidReportDescriptor, ALongItemOfAnySizeIsSkippedToTheByte) {
    for (const std::size_t size : {0U, 1U, 2U, 3U, 5U, 255U}) {
        std::vector<std::uint8_t> descriptor;
        for (int item = 0; item < 2; ++item) {
            descriptor.insert(descriptor.end(), {0xFE, static_cast<std::uint8_t>(size), 0xA1});
            descriptor.insert(descriptor.end(), size, 0xA1);
            if (item == 0) descriptor.push_back(0xC0);  // at the top level: ignored
            descriptor.insert(descriptor.end(), {0xA1, 0x01, 0xC0});
        }
        EXPECT_EQ(countTopLevelCollections(descriptor), 2) << "data size " << size;
    }
}

TEST(HidReportDescriptor, TruncatedOrEmptyDescriptorsAreReadAsFarAsTheyGo) {
    EXPECT_EQ(countTopLevelCollections({}), 0);
    EXPECT_EQ(countTopLevelCollections(std::vector<std::uint8_t>{0xA1}), 1);
    EXPECT_EQ(countTopLevelCollections(std::vector<std::uint8_t>{0xFE}), 0);
    EXPECT_EQ(countTopLevelCollections(std::vector<std::uint8_t>{0xC0, 0xC0, 0xA1, 0x01}), 1);
    for (std::size_t n = 0; n < kThreeCollections.size(); ++n) {
        const std::vector<std::uint8_t> prefix(kThreeCollections.begin(),
                                               kThreeCollections.begin() + static_cast<long>(n));
        EXPECT_LE(countTopLevelCollections(prefix), 3);
    }
}

}  // namespace
}  // namespace tq260
