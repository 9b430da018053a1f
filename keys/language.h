#pragma once

#include <cstdint>

namespace tq260 {

// The interface language, decided once at start-up; the numbers are the platform's
// language codes and are what the rest of the program compares.
enum class Language : std::uint16_t { Chinese = 4, English = 9 };

}  // namespace tq260
