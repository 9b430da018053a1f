// Any keymap.bin or profile file, and any key block from the keyboard: loading them,
// marking the changed keys and sending the key table never read or write out of bounds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "device/block_codec.h"
#include "keys/keymap_file.h"
#include "keys/launch_for_key.h"
#include "keys/modified_marks.h"

namespace {

class NoShell final : public tq260::ShellLauncher {
  public:
    Result open(const std::u16string&, const std::u16string&) override { return Result::Opened; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tq260;
    const std::span<const std::uint8_t> bytes(data, size);
    const bool keepImage = size > 0 && (data[0] & 1) != 0;

    DeviceSettings settings;
    auto table = std::make_unique<AssignmentTable>();
    loadKeymapBytes(bytes, keepImage, settings, *table);

    ModifiedMarks marks{};
    recomputeMarksAfterRead(settings, *table, marks);
    recomputeMarksAfterRevert(settings, *table, marks);

    for (std::size_t block = 0; block < kKeyBlockCount; ++block) {
        const Block wire = encodeKeyBlock(settings, block);
        decodeKeyBlock(wire, block, settings);
    }
    Block received{};
    std::copy_n(data, std::min(size, received.size()), received.begin());
    decodeKeyBlock(received, 1, settings);

    NoShell shell;
    for (std::uint32_t vk = 0; vk < 256; vk += 17) launchForKey(*table, vk, shell);
    return 0;
}
