#pragma once

#include <cstddef>
#include <string_view>

namespace tq260 {

// Application ids compared without regard to case, for the scripts people write ids in:
// Latin (with its accented letters and Vietnamese), Greek, Cyrillic, Armenian and the
// full-width Latin letters of East Asian input. A table of our own and not towlower() or
// std::locale: those follow the process's locale, which may be "C" (ASCII only) or Turkish
// (where 'I' is not 'i'), and a rule must match the same everywhere. Scripts without case
// (Chinese, Japanese, ...) compare as they are; bytes that are not UTF-8 compare as bytes.
namespace case_fold {

// The lower case of a code point, where the table has one.
constexpr char32_t lower(char32_t c) {
    const auto inRange = [c](char32_t first, char32_t last) { return c >= first && c <= last; };
    // Pairs where the capital is even (or odd) and its small letter follows it.
    const auto pair = [c](bool capitalEven) { return (c % 2 == 0) == capitalEven ? c + 1 : c; };
    if (inRange(U'A', U'Z')) return c + 32;
    if (c < 0xC0) return c;
    if (inRange(0xC0, 0xDE) && c != 0xD7) return c + 32;
    if (inRange(0x100, 0x12F) || inRange(0x132, 0x137) || inRange(0x14A, 0x177)) return pair(true);
    if (inRange(0x139, 0x148) || inRange(0x179, 0x17E)) return pair(false);
    if (c == 0x178) return 0xFF;
    if (c == 0x386) return 0x3AC;
    if (inRange(0x388, 0x38A)) return c + 37;
    if (c == 0x38C) return 0x3CC;
    if (inRange(0x38E, 0x38F)) return c + 63;
    if (inRange(0x391, 0x3AB) && c != 0x3A2) return c + 32;
    if (c == 0x3C2) return 0x3C3;  // final sigma
    if (inRange(0x400, 0x40F)) return c + 80;
    if (inRange(0x410, 0x42F)) return c + 32;
    if (inRange(0x460, 0x481) || inRange(0x48A, 0x4BF) || inRange(0x4D0, 0x52F)) return pair(true);
    if (inRange(0x4C1, 0x4CE)) return pair(false);
    if (inRange(0x531, 0x556)) return c + 48;
    if (inRange(0x1E00, 0x1E95) || inRange(0x1EA0, 0x1EFF)) return pair(true);
    if (inRange(0xFF21, 0xFF3A)) return c + 32;
    return c;
}

// The code point at `at`, moving past it; a byte that starts no well-formed sequence is
// itself, marked above every code point so that it equals only the same byte.
constexpr char32_t next(std::string_view text, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(at);
    const std::size_t length = first < 0x80         ? 1
                               : (first >> 5) == 6  ? 2
                               : (first >> 4) == 14 ? 3
                               : (first >> 3) == 30 ? 4
                                                    : 0;
    bool wellFormed = length > 0 && at + length <= text.size();
    char32_t c = length == 1   ? first
                 : length == 2 ? first & 0x1F
                 : length == 3 ? first & 0x0F
                               : first & 0x07;
    for (std::size_t i = 1; wellFormed && i < length; ++i) {
        wellFormed = (byte(at + i) & 0xC0) == 0x80;
        c = (c << 6) | (byte(at + i) & 0x3F);
    }
    if (!wellFormed) {
        ++at;
        return 0x110000 + first;
    }
    at += length;
    return c;
}

}  // namespace case_fold

// Whether two ids are the same but for case.
constexpr bool sameIgnoringCase(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (case_fold::lower(case_fold::next(a, i)) != case_fold::lower(case_fold::next(b, j))) {
            return false;
        }
    }
    return i == a.size() && j == b.size();
}

}  // namespace tq260
