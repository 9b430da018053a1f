#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "keys/key_name_table.h"

namespace tq260 {

// The TARGET of `set key KEY=TARGET` in the file's form: "default", "disabled", "key:NAME" (or
// just NAME), "combination:NAME+NAME[+NAME]", "function:NAME", "macro:1".."macro:6",
// "launch:KIND:PATH", or the JSON value itself ({"combination": ["LCtrl", "C"]}). Nothing, with
// the reason in error, when it has none of these forms.
std::optional<nlohmann::ordered_json> keyTargetFromText(std::string_view text,
                                                        const KeyNameTable& names,
                                                        std::string& error);

// KEY=TARGET split at the first "=" after the key's first character, so the "=" key itself is
// written "==…". Nothing when there is no such "=".
std::optional<std::pair<std::string, std::string>> splitKeyAssignment(std::string_view text);

}  // namespace tq260
