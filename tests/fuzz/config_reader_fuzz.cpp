// Any text as a configuration file: the reader says what is wrong or gives a request, never
// crashes or reads out of bounds; a request it gives always applies and converts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "config/config_apply.h"
#include "config/config_reader.h"
#include "config/profile_convert.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tq260;
    static const KeyNameTable names;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const ValueRange range : {ValueRange::Keyboard, ValueRange::ProfileFile}) {
        const ConfigReading reading = readConfiguration(text, range);
        if (reading.request.has_value() == !reading.errors.empty()) std::abort();
        if (!reading.request) continue;
        DeviceSettings settings;
        Assignments assignments;
        applyConfiguration(*reading.request, settings, assignments, names);
        const auto profile = profileFromRequest(*reading.request, names);
        if (reading.request->unshown && profile.size() != reading.request->unshown->fileSize) {
            std::abort();
        }
    }
    return 0;
}
