#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "device/device_settings.h"
#include "keys/key_assignment.h"
#include "keys/key_name_table.h"

namespace tq260 {

// A configuration file is a few kilobytes, a converted profile a few hundred; anything past
// this is not one, and is refused before it is parsed.
inline constexpr std::size_t kMaxConfigBytes = 4 * 1024 * 1024;
// Deeper nesting than the format has (five levels) by a wide margin.
inline constexpr std::size_t kMaxConfigDepth = 32;
// The largest object the format has is "keys", with 104 members; a document with far more is
// refused before its tree is built (a member's lookup there is linear).
inline constexpr std::size_t kMaxObjectMembers = 512;
// The largest profile file the tool converts; the program's own are 199,272 bytes.
inline constexpr std::size_t kMaxProfileBytes = 1024 * 1024;

// One fault of a file, at its JSON pointer ("/keys/Esc"; "/" for the whole document).
struct ConfigError {
    std::string path;
    std::string message;
    friend bool operator==(const ConfigError&, const ConfigError&) = default;
};

// What values are accepted. A file for the keyboard takes what the window offers; a profile
// file converted back takes whatever its bytes can hold, so nothing a profile held is refused.
enum class ValueRange { Keyboard, ProfileFile };

// One key's assignment as the file asks for it.
struct KeyTarget {
    enum class Kind { Default, Disabled, Key, Combination, Function, Macro, Launch, Entry };
    Kind kind = Kind::Default;
    std::vector<std::uint8_t> virtualKeys;  // Key: one; Combination: one to three
    std::u16string function;                // English name of the function table
    int macroSlot = 0;                      // 0..5
    std::u16string launchPath;
    AssignmentType launchType = AssignmentType::LaunchExe;
    KeyEntry entry{};  // Entry: the four bytes
    // The value as the file gives it: a key that shows exactly this already is left alone,
    // even where assigning it again would store it another way.
    nlohmann::json asGiven;
};

// The bytes of a profile file that no member shows, as the runs where the file differs from
// what its members alone would make.
struct UnshownBytes {
    std::size_t fileSize = 0;
    std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>> runs;
};

// Everything a valid file asks for; members it leaves out stay as they are.
struct ConfigRequest {
    std::optional<std::uint8_t> effect;
    std::optional<std::uint8_t> brightness;
    std::optional<std::uint8_t> speed;
    std::optional<std::uint8_t> direction;
    std::optional<bool> gameMode;
    std::optional<std::uint8_t> responseTime;             // as stored: half the milliseconds
    std::optional<std::uint8_t> reportRate;               // as stored: position 0..3
    std::vector<std::pair<std::size_t, KeyTarget>> keys;  // picture key 0..107
    std::array<std::optional<MacroBlock>, kMacroBlockCount> macros;
    std::array<std::optional<std::vector<std::size_t>>, kCustomLightMaskCount> diyPatterns;
    std::optional<UnshownBytes> unshown;
};

struct ConfigReading {
    std::optional<ConfigRequest> request;  // only when there is no error
    std::vector<ConfigError> errors;
};

// Checks the whole text and says every fault it finds; a request comes only from a file
// without any. Never throws, whatever the text.
ConfigReading readConfiguration(std::string_view text, ValueRange range);

// The document, when the text is JSON within the limits every file of the format keeps (its
// size, nesting, members, no key twice); else nothing, and errors say why. what names the
// file's kind in the size message ("a configuration").
std::optional<nlohmann::ordered_json> parseDocument(std::string_view text, std::size_t maxBytes,
                                                    const char* what,
                                                    std::vector<ConfigError>& errors);

// One key's assignment in the file's form (the value of a member of "keys"); path is where
// the value stands, for the errors.
std::optional<KeyTarget> readKeyTarget(const nlohmann::ordered_json& value, const std::string& path,
                                       std::vector<ConfigError>& errors);

// Why the key cannot take the target, as the error at its path says it; nothing when it can.
// Checked by the whole file's reading and by the tool's `set key` before either path.
std::optional<std::string> keyTargetRefusal(std::size_t key, const KeyTarget& target);

// The picture key a name of "keys" stands for; the media keys above the keypad have none.
std::optional<std::size_t> pictureKeyNamed(std::string_view name, const KeyNameTable& names);

// The JSON pointer of a key's member of "keys": "/keys/Num ~1" for "Num /".
std::string keyPath(const std::string& name);

// "path: message" lines, one per error.
std::string describeErrors(const std::vector<ConfigError>& errors);

}  // namespace tq260
