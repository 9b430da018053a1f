#include "platform/hid_report_descriptor.h"

namespace tq260 {

namespace {

constexpr std::uint8_t kLongItemPrefix = 0xFE;
constexpr std::uint8_t kCollectionTag = 0xA0;     // main item, tag 1010
constexpr std::uint8_t kEndCollectionTag = 0xC0;  // main item, tag 1100

}  // namespace

int countTopLevelCollections(std::span<const std::uint8_t> descriptor) {
    int count = 0;
    int depth = 0;
    std::size_t i = 0;
    while (i < descriptor.size()) {
        const std::uint8_t prefix = descriptor[i];
        if (prefix == kLongItemPrefix) {
            if (i + 1 >= descriptor.size()) break;
            i += 3 + static_cast<std::size_t>(descriptor[i + 1]);
            continue;
        }
        static constexpr std::size_t kDataSizes[] = {0, 1, 2, 4};
        const std::size_t dataSize = kDataSizes[prefix & 0x03];
        const std::uint8_t tag = prefix & 0xFC;
        if (tag == kCollectionTag) {
            if (depth == 0) ++count;
            ++depth;
        } else if (tag == kEndCollectionTag && depth > 0) {
            --depth;
        }
        i += 1 + dataSize;
    }
    return count;
}

}  // namespace tq260
