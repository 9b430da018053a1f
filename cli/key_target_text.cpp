#include "cli/key_target_text.h"

#include "config/config_json.h"
#include "config/text_encoding.h"

namespace tq260 {

namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Key names may hold "+" themselves ("Num +"), so each name is the longest one that is
// followed by "+" or the end.
std::optional<nlohmann::ordered_json> combinationOf(std::string_view text,
                                                    const KeyNameTable& names, std::string& error) {
    nlohmann::ordered_json keys = nlohmann::ordered_json::array();
    for (std::size_t at = 0; at <= text.size();) {
        std::size_t longest = 0;
        for (int code = 0; code < 256; ++code) {
            const auto vk = static_cast<std::uint8_t>(code);
            if (names.name(vk).empty()) continue;
            const std::string name = keyNameOf(names, vk);
            const std::size_t end = at + name.size();
            if (name.size() > longest && startsWith(text.substr(at), name) &&
                (end == text.size() || text[end] == '+')) {
                longest = name.size();
            }
        }
        if (longest == 0) {
            const std::size_t next = text.find('+', at);
            error = "\"" + excerpt(text.substr(at, next - at)) + "\" is not a key name";
            return std::nullopt;
        }
        keys.push_back(std::string(text.substr(at, longest)));
        at += longest + 1;
    }
    return nlohmann::ordered_json{{"combination", keys}};
}

}  // namespace

std::optional<nlohmann::ordered_json> keyTargetFromText(std::string_view text,
                                                        const KeyNameTable& names,
                                                        std::string& error) {
    if (text == "default" || text == "disabled") return nlohmann::ordered_json(std::string(text));
    if (startsWith(text, "{")) {
        nlohmann::ordered_json value = nlohmann::ordered_json::parse(text, nullptr, false);
        if (value.is_discarded()) {
            error = "\"" + excerpt(text) + "\" is not valid JSON";
            return std::nullopt;
        }
        return value;
    }
    if (startsWith(text, "key:"))
        return nlohmann::ordered_json{{"key", std::string(text.substr(4))}};
    if (startsWith(text, "function:")) {
        return nlohmann::ordered_json{{"function", std::string(text.substr(9))}};
    }
    if (startsWith(text, "combination:")) return combinationOf(text.substr(12), names, error);
    if (startsWith(text, "macro:")) {
        const std::string_view slot = text.substr(6);
        if (slot.size() != 1 || slot[0] < '1' || slot[0] > '6') {
            error = "\"" + excerpt(slot) + "\" is not a macro slot; the slots are 1 to 6";
            return std::nullopt;
        }
        return nlohmann::ordered_json{{"macro", slot[0] - '0'}};
    }
    if (startsWith(text, "launch:")) {
        const std::string_view rest = text.substr(7);
        const std::size_t colon = rest.find(':');
        if (colon == std::string_view::npos) {
            error = "write launch:KIND:PATH, KIND one of mp3, exe, txt, folder";
            return std::nullopt;
        }
        return nlohmann::ordered_json{{"launch", std::string(rest.substr(colon + 1))},
                                      {"kind", std::string(rest.substr(0, colon))}};
    }
    return nlohmann::ordered_json{{"key", std::string(text)}};
}

std::optional<std::pair<std::string, std::string>> splitKeyAssignment(std::string_view text) {
    const std::size_t equals = text.find('=', 1);
    if (text.empty() || equals == std::string_view::npos) return std::nullopt;
    return std::pair{std::string(text.substr(0, equals)), std::string(text.substr(equals + 1))};
}

}  // namespace tq260
