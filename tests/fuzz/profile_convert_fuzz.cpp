// Any bytes as a profile file: its readable form is one the reader takes, and converting it
// back gives exactly these bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "config/config_reader.h"
#include "config/profile_convert.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tq260;
    static const KeyNameTable names;
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
