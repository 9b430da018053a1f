#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <vector>

#include "config/config_reader.h"
#include "keys/key_name_table.h"

namespace tq260 {

// A profile file (or keymap.bin: the same layout) as the readable format. What its members do
// not show (bytes the program keeps but never shows, and any byte that differs from what the
// members alone would make) goes into "unshown", so converting back gives the same bytes.
// The file holds no macro names; they are "". Nothing, with the reasons in errors, for a file
// whose members the reader would not take back.
std::optional<nlohmann::ordered_json> profileToJson(std::span<const std::uint8_t> file,
                                                    const KeyNameTable& names,
                                                    std::vector<ConfigError>& errors);

// The profile file a valid request describes: what its members make, with the "unshown" bytes
// laid over them, and then the members once more, so a member edited in the readable form
// wins over an unshown byte from before the edit. Without "unshown" the file has the
// program's full size and zeros wherever no member says otherwise.
std::vector<std::uint8_t> profileFromRequest(const ConfigRequest& request,
                                             const KeyNameTable& names);

// What a request lacks to describe a whole profile: each member left out, by its path.
std::vector<ConfigError> missingForProfile(const ConfigRequest& request, const KeyNameTable& names);

}  // namespace tq260
