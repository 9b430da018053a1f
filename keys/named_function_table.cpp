#include "keys/named_function_table.h"

namespace tq260 {

namespace {

std::u16string_view nameIn(const NamedFunction& function, Language language) {
    return language == Language::Chinese ? function.chinese : function.english;
}

}  // namespace

std::optional<KeyEntry> findNamedFunction(std::u16string_view name, Language language) {
    for (const NamedFunction& function : NamedFunctionTable) {
        if (nameIn(function, language) == name) return function.entry;
    }
    return std::nullopt;
}

std::optional<std::u16string_view> namedFunctionName(const KeyEntry& entry, Language language) {
    for (const NamedFunction& function : NamedFunctionTable) {
        if (function.entry == entry) return nameIn(function, language);
    }
    return std::nullopt;
}

}  // namespace tq260
