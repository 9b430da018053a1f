#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tq260 {

// Names, paths and macro names are UTF-16 in the files and UTF-8 in JSON. A path from a file
// may hold broken surrogate halves; JSON must stay valid UTF-8, so a lone half becomes U+FFFD.
std::string toUtf8(std::u16string_view text);
// The text must be valid UTF-8 (the JSON parser makes sure of that); characters beyond the
// first plane become surrogate pairs.
std::u16string fromUtf8(std::string_view text);
// How many UTF-16 code units the UTF-8 text takes.
std::size_t utf16Length(std::string_view text);

// A path given in UTF-8 (the command line, a message) as a path of the file system. A narrow
// string would be read in Windows' ANSI code page, where Chinese names become "?".
std::filesystem::path pathFromUtf8(std::string_view text);
// A path in UTF-8, for what the tool prints; never throws for characters the ANSI code page
// lacks, as path::string() does on Windows.
std::string utf8Of(const std::filesystem::path& path);

// The first 80 characters of a text from the input, and "…" when there was more: an error
// message quotes no more of it, whatever its size.
std::string excerpt(std::string_view text);

// Lower-case hex, two digits a byte.
std::string toHex(const std::uint8_t* bytes, std::size_t count);
// Nothing when the text is not an even number of hex digits.
std::optional<std::vector<std::uint8_t>> fromHex(std::string_view text);

}  // namespace tq260
