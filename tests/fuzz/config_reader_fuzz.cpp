// Any text as a configuration file, and any bytes as a profile file: the reader says what is
// wrong or gives a request, never crashes or reads out of bounds; a request it gives always
// applies and converts; a profile always converts to a form the reader takes back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "cli/config_apply.h"
#include "cli/config_reader.h"
#include "cli/profile_convert.h"
#include "keys/keymap_file.h"

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
    // The same bytes as a profile: its readable form converts back to exactly these bytes.
    const std::span<const std::uint8_t> file(data, size);
    std::vector<ConfigError> errors;
    const auto json = profileToJson(file, names, errors);
    if (!json) std::abort();
    const ConfigReading back = readConfiguration(json->dump(), ValueRange::ProfileFile);
    if (!back.request) std::abort();
    const auto bytes = profileFromRequest(*back.request, names);
    if (!std::equal(bytes.begin(), bytes.end(), file.begin(), file.end())) std::abort();
    return 0;
}
