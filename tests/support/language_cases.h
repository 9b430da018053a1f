#pragma once

#include <string>
#include <tuple>

#include "keys/language.h"

namespace tq260::testing {

// Test names for cases run in both interface languages.
inline const char* languageName(Language language) {
    return language == Language::Chinese ? "Chinese" : "English";
}

// The name of a (case, language) parameter whose case has a name.
struct CaseInLanguage {
    template <typename Info>
    std::string operator()(const Info& info) const {
        return std::string(std::get<0>(info.param).name) + "In" +
               languageName(std::get<1>(info.param));
    }
};

// The name of a language parameter.
struct InLanguage {
    template <typename Info>
    std::string operator()(const Info& info) const {
        return languageName(info.param);
    }
};

}  // namespace tq260::testing
