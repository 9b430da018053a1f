#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "device/key_entry.h"
#include "keys/language.h"

namespace tq260 {

// A media or shortcut function that can be assigned to a key by name.
struct NamedFunction {
    std::u16string_view english;
    std::u16string_view chinese;
    KeyEntry entry;
};

inline constexpr std::size_t kNamedFunctionCount = 23;
// The first rows are the media functions the key dialogs offer.
inline constexpr std::size_t kMediaFunctionCount = 8;

const std::array<NamedFunction, kNamedFunctionCount>& namedFunctions();

// The name in the interface's language, matched exactly (case and whole text).
std::optional<KeyEntry> findNamedFunction(std::u16string_view name, Language language);

// The reverse: the name, in the interface's language, of the row whose entry equals all
// four bytes.
std::optional<std::u16string_view> namedFunctionName(const KeyEntry& entry, Language language);

}  // namespace tq260
