#include "config/config_reader.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>

#include "config/config_json.h"
#include "config/text_encoding.h"
#include "device/lighting_effect_table.h"
#include "device/setting_limits.h"
#include "keys/factory_key_map.h"
#include "keys/key_layout.h"
#include "keys/named_function_table.h"
#include "macro/macro_event.h"

namespace tq260 {

namespace {

// Ordered, so changes and errors come in the order of the file.
using Json = nlohmann::ordered_json;

std::string escapePointer(const std::string& key) {
    std::string out;
    for (const char c : key) {
        if (c == '~') {
            out += "~0";
        } else if (c == '/') {
            out += "~1";
        } else {
            out += c;
        }
    }
    return out;
}

std::string member(const std::string& path, const std::string& key) {
    return path + "/" + escapePointer(excerpt(key));
}

std::string element(const std::string& path, std::size_t index) {
    return path + "/" + std::to_string(index);
}

// A value as an error quotes it: short, so a 10 MB string is never echoed back.
std::string quoted(const Json& value) {
    if (value.is_string()) {
        return Json(excerpt(value.get_ref<const std::string&>()))
            .dump(-1, ' ', false, Json::error_handler_t::replace);
    }
    return excerpt(value.dump(-1, ' ', false, Json::error_handler_t::replace));
}

const char* typeName(const Json& value) {
    if (value.is_object()) return "an object";
    if (value.is_array()) return "a list";
    if (value.is_string()) return "a string";
    if (value.is_boolean()) return "true or false";
    if (value.is_null()) return "null";
    return "a number";
}

// The first pass: what the document tree cannot tell afterwards (a member given twice) and
// what must never reach it (nesting deep enough to exhaust the stack of whoever walks it).
// It stops at the first syntax error.
class StructureCheck : public nlohmann::json_sax<Json> {
  public:
    explicit StructureCheck(std::vector<ConfigError>& errors) : errors_(errors) {}

    bool null() override { return value(); }
    bool boolean(bool) override { return value(); }
    bool number_integer(number_integer_t) override { return value(); }
    bool number_unsigned(number_unsigned_t) override { return value(); }
    // Numbers beyond a double are refused by the parser itself.
    bool number_float(number_float_t, const string_t&) override { return value(); }
    bool string(string_t&) override { return value(); }
    bool binary(binary_t&) override { return value(); }
    bool start_object(std::size_t) override { return open(true); }
    bool key(string_t& key) override {
        Frame& frame = frames_.back();
        frame.key = key;
        if (!frame.keys.insert(key).second) {
            errors_.push_back({path(), "given twice"});
        }
        if (frame.keys.size() > kMaxObjectMembers) {
            frames_.pop_back();
            errors_.push_back(
                {path(), "has more than " + std::to_string(kMaxObjectMembers) + " members"});
            return false;
        }
        return true;
    }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(false); }
    bool end_array() override { return close(); }
    bool parse_error(std::size_t position, const std::string& lastRead,
                     const nlohmann::detail::exception& error) override {
        std::string what = error.what();
        // "[json.exception.parse_error.101] parse error at line 1, column 9: …"
        if (const auto end = what.find("] "); end != std::string::npos) what.erase(0, end + 2);
        // The token read last may be a string as long as the file.
        const std::string token = "last read: '" + lastRead + "'";
        if (const auto at = what.find(token); at != std::string::npos) {
            what.replace(at, token.size(), "last read: '" + excerpt(lastRead) + "'");
        }
        errors_.push_back({"/", "not valid JSON (byte " + std::to_string(position) + "): " + what});
        return false;
    }

  private:
    struct Frame {
        bool object = false;
        std::string key;
        std::size_t index = 0;  // of the next element
        std::set<std::string> keys;
    };

    bool value() {
        if (!frames_.empty() && !frames_.back().object) ++frames_.back().index;
        return true;
    }
    bool open(bool object) {
        value();
        if (frames_.size() >= kMaxConfigDepth) {
            errors_.push_back(
                {path(), "nested deeper than " + std::to_string(kMaxConfigDepth) + " levels"});
            return false;
        }
        frames_.push_back({object, {}, 0, {}});
        return true;
    }
    bool close() {
        frames_.pop_back();
        return true;
    }
    std::string path() const {
        std::string out;
        for (const Frame& frame : frames_) {
            out = frame.object ? member(out, frame.key)
                               : element(out, frame.index == 0 ? 0 : frame.index - 1);
        }
        return out.empty() ? "/" : out;
    }

    std::vector<ConfigError>& errors_;
    std::vector<Frame> frames_;
};

std::string lowerCase(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// "; did you mean "Caps"?" when a name differs from a known one only in case.
std::string suggestion(std::string_view name, const std::vector<std::string>& known) {
    const std::string wanted = lowerCase(name);
    for (const std::string& candidate : known) {
        if (lowerCase(candidate) == wanted) return "; did you mean \"" + candidate + "\"?";
    }
    return {};
}

std::vector<std::string> pictureKeyNames(const KeyNameTable& names) {
    std::vector<std::string> out;
    for (std::size_t key = 0; key < kKeyCount; ++key) {
        if (!isMediaKey(key)) out.push_back(pictureKeyName(names, key));
    }
    return out;
}

std::vector<std::string> allKeyNames(const KeyNameTable& names) {
    std::vector<std::string> out;
    for (int code = 0; code < 256; ++code) {
        const auto vk = static_cast<std::uint8_t>(code);
        if (!names.name(vk).empty() && names.usage(vk) != 0) out.push_back(keyNameOf(names, vk));
    }
    return out;
}

class Validator {
  public:
    Validator(ValueRange range, std::vector<ConfigError>& errors)
        : range_(range), errors_(errors) {}

    std::optional<ConfigRequest> read(const Json& root) {
        if (!root.is_object()) {
            fail("/", std::string("must be an object, not ") + typeName(root));
            return std::nullopt;
        }
        ConfigRequest request;
        onlyMembers(root, "",
                    {"format", "lighting", "gameMode", "responseTimeMs", "reportRateHz",
                     "reportRate", "keys", "macros", "diyPatterns", "unshown"});
        if (!root.contains("format")) {
            fail("/format", "missing: this tool reads format " + std::to_string(kConfigFormat));
        } else if (const auto format = integer(root["format"], "/format", 0, 1'000'000);
                   format && *format != kConfigFormat) {
            fail("/format", "format " + std::to_string(*format) +
                                " is not known; this tool reads " + "format " +
                                std::to_string(kConfigFormat));
        }
        if (root.contains("lighting")) readLighting(root["lighting"], request);
        if (root.contains("gameMode")) {
            if (root["gameMode"].is_boolean()) {
                request.gameMode = root["gameMode"].get<bool>();
            } else {
                fail("/gameMode",
                     std::string("must be true or false, not ") + typeName(root["gameMode"]));
            }
        }
        if (root.contains("responseTimeMs")) readResponseTime(root["responseTimeMs"], request);
        readReportRate(root, request);
        if (root.contains("keys")) readKeys(root["keys"], request);
        if (root.contains("macros")) readMacros(root["macros"], request);
        if (root.contains("diyPatterns")) readPatterns(root["diyPatterns"], request);
        if (root.contains("unshown")) readUnshown(root["unshown"], request);
        if (!errors_.empty()) return std::nullopt;
        return request;
    }

    std::optional<KeyTarget> keyTarget(const Json& value, const std::string& path) {
        KeyTarget target;
        target.asGiven =
            nlohmann::json::parse(value.dump(-1, ' ', false, Json::error_handler_t::replace));
        if (value.is_string()) {
            const auto text = value.get<std::string>();
            if (text == "default") return target;
            if (text == "disabled") {
                target.kind = KeyTarget::Kind::Disabled;
                return target;
            }
            fail(path, quoted(value) +
                           " is not an assignment: write \"default\", \"disabled\" or "
                           "an object such as {\"key\": \"A\"}");
            return std::nullopt;
        }
        if (!value.is_object()) {
            fail(path, std::string("must be \"default\", \"disabled\" or an object, not ") +
                           typeName(value));
            return std::nullopt;
        }
        static const char* const kKinds[] = {"key",   "combination", "function",
                                             "macro", "launch",      "entry"};
        const auto kinds = std::count_if(std::begin(kKinds), std::end(kKinds),
                                         [&](const char* k) { return value.contains(k); });
        if (kinds != 1) {
            fail(path,
                 "must have exactly one of \"key\", \"combination\", \"function\", "
                 "\"macro\", \"launch\", \"entry\"");
            return std::nullopt;
        }
        const std::size_t before = errors_.size();
        if (value.contains("launch")) {
            onlyMembers(value, path, {"launch", "kind"});
            readLaunch(value, path, target);
        } else {
            const auto* kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                            [&](const char* k) { return value.contains(k); });
            onlyMembers(value, path, {std::string(*kind)});
        }
        if (value.contains("key")) {
            target.kind = KeyTarget::Kind::Key;
            if (const auto vk = keyCode(value["key"], member(path, "key"))) {
                target.virtualKeys = {*vk};
            }
        } else if (value.contains("combination")) {
            readCombination(value["combination"], member(path, "combination"), target);
        } else if (value.contains("function")) {
            readFunction(value["function"], member(path, "function"), target);
        } else if (value.contains("macro")) {
            target.kind = KeyTarget::Kind::Macro;
            if (const auto slot = integer(value["macro"], member(path, "macro"), 1,
                                          static_cast<long long>(kMacroBlockCount))) {
                target.macroSlot = static_cast<int>(*slot - 1);
            }
        } else if (value.contains("entry")) {
            readEntry(value["entry"], member(path, "entry"), target);
        }
        if (errors_.size() != before) return std::nullopt;
        return target;
    }

  private:
    void fail(const std::string& path, std::string message) {
        errors_.push_back({path.empty() ? "/" : path, std::move(message)});
    }

    void onlyMembers(const Json& object, const std::string& path,
                     std::initializer_list<std::string> known) {
        for (const auto& [key, value] : object.items()) {
            if (std::find(known.begin(), known.end(), key) == known.end()) {
                fail(member(path, key), "unknown member");
            }
        }
    }

    bool isObject(const Json& value, const std::string& path) {
        if (value.is_object()) return true;
        fail(path, std::string("must be an object, not ") + typeName(value));
        return false;
    }

    bool isList(const Json& value, const std::string& path) {
        if (value.is_array()) return true;
        fail(path, std::string("must be a list, not ") + typeName(value));
        return false;
    }

    std::optional<long long> integer(const Json& value, const std::string& path, long long low,
                                     long long high) {
        if (value.is_number_unsigned() &&
            value.get<unsigned long long>() > static_cast<unsigned long long>(high)) {
            fail(path, quoted(value) + " is outside " + std::to_string(low) + ".." +
                           std::to_string(high));
            return std::nullopt;
        }
        if (value.is_number_float()) {
            // Integers too large for 64 bits arrive as doubles.
            const double number = value.get<double>();
            const bool whole = number == std::floor(number);
            const bool inside =
                number >= static_cast<double>(low) && number <= static_cast<double>(high);
            fail(path, quoted(value) + (!whole   ? " is not a whole number"
                                        : inside ? " must be written without a fraction"
                                                 : " is outside " + std::to_string(low) + ".." +
                                                       std::to_string(high)));
            return std::nullopt;
        }
        if (!value.is_number_integer()) {
            fail(path, std::string("must be a whole number, not ") + typeName(value));
            return std::nullopt;
        }
        const auto number = value.get<long long>();
        if (number < low || number > high) {
            fail(path, std::to_string(number) + " is outside " + std::to_string(low) + ".." +
                           std::to_string(high));
            return std::nullopt;
        }
        return number;
    }

    // A value of the keyboard's small settings: what the keyboard takes, or for a profile
    // file converted back any byte.
    std::optional<std::uint8_t> byte(const Json& value, const std::string& path, Setting setting) {
        if (range_ == ValueRange::ProfileFile) {
            const auto number = integer(value, path, 0, 255);
            if (!number) return std::nullopt;
            return static_cast<std::uint8_t>(*number);
        }
        const auto number = settingValue(value, path, setting);
        if (!number) return std::nullopt;
        return static_cast<std::uint8_t>(*number);
    }

    // A whole number the keyboard takes for the setting, as every other way of giving it one
    // checks it.
    std::optional<long long> settingValue(const Json& value, const std::string& path,
                                          Setting setting) {
        const SettingRange range = settingRange(setting);
        const auto number = integer(value, path, range.low, range.high);
        if (!number) return std::nullopt;
        if (const auto refusal = settingRefusal(setting, *number)) {
            fail(path, *refusal);
            return std::nullopt;
        }
        return number;
    }

    std::optional<std::string> text(const Json& value, const std::string& path,
                                    std::size_t longest) {
        if (!value.is_string()) {
            fail(path, std::string("must be a string, not ") + typeName(value));
            return std::nullopt;
        }
        const auto& string = value.get_ref<const std::string&>();
        if (const std::size_t units = utf16Length(string); units > longest) {
            fail(path, "is " + std::to_string(units) + " characters long; at most " +
                           std::to_string(longest) + " fit");
            return std::nullopt;
        }
        return string;
    }

    // A key by its name (or, in a macro, by its keyboard code): its virtual-key code.
    std::optional<std::uint8_t> keyCode(const Json& value, const std::string& path) {
        const auto name = text(value, path, 64);
        if (!name) return std::nullopt;
        if (const auto vk = virtualKeyNamed(*name, names_)) return vk;
        fail(path, quoted(value) + " is not a key name" + suggestion(*name, allKeyNames(names_)));
        return std::nullopt;
    }

    void readLighting(const Json& lighting, ConfigRequest& request) {
        if (!isObject(lighting, "/lighting")) return;
        onlyMembers(lighting, "/lighting", {"effect", "brightness", "speed", "direction"});
        if (lighting.contains("effect")) {
            const Json& effect = lighting["effect"];
            const LightingEffect* found = nullptr;
            if (effect.is_string()) {
                found = lightingEffectNamed(effect.get_ref<const std::string&>());
            } else if (effect.is_number_integer()) {
                found = lightingEffectCoded(effect.get<long long>());
            }
            if (found != nullptr) {
                request.effect = found->code;
            } else if (!effect.is_string()) {
                request.effect = byte(effect, "/lighting/effect", Setting::Effect);
            } else {
                fail("/lighting/effect",
                     quoted(effect) + " is not an effect; the effects are " + effectNamesText());
            }
        }
        if (lighting.contains("brightness")) {
            request.brightness =
                byte(lighting["brightness"], "/lighting/brightness", Setting::Brightness);
        }
        if (lighting.contains("speed")) {
            request.speed = byte(lighting["speed"], "/lighting/speed", Setting::Speed);
        }
        if (lighting.contains("direction")) {
            // 0 is what the keyboard holds until a direction is chosen: a dump shows it, so
            // a dump applied back must take it.
            request.direction =
                byte(lighting["direction"], "/lighting/direction", Setting::Direction);
        }
    }

    void readResponseTime(const Json& value, ConfigRequest& request) {
        const auto ms = range_ == ValueRange::ProfileFile
                            ? integer(value, "/responseTimeMs", 0, 510)
                            : settingValue(value, "/responseTimeMs", Setting::ResponseTimeMs);
        if (!ms) return;
        if (*ms % 2 != 0) {
            fail("/responseTimeMs", *settingRefusal(Setting::ResponseTimeMs, *ms));
            return;
        }
        request.responseTime = static_cast<std::uint8_t>(*ms / 2);
    }

    void readReportRate(const Json& root, ConfigRequest& request) {
        if (root.contains("reportRateHz") && root.contains("reportRate")) {
            fail("/reportRate", "give the rate once: \"reportRateHz\" or \"reportRate\"");
            return;
        }
        if (root.contains("reportRateHz")) {
            const Json& hz = root["reportRateHz"];
            const auto* found = std::find_if(
                std::begin(kReportRatesHz), std::end(kReportRatesHz),
                [&](int rate) { return hz.is_number_integer() && hz.get<long long>() == rate; });
            if (found == std::end(kReportRatesHz)) {
                fail("/reportRateHz", quoted(hz) +
                                          " is not a rate; the rates are 125, 250, 500 "
                                          "and 1000");
            } else {
                request.reportRate = static_cast<std::uint8_t>(found - std::begin(kReportRatesHz));
            }
        } else if (root.contains("reportRate")) {
            request.reportRate = byte(root["reportRate"], "/reportRate", Setting::ReportRate);
        }
    }

    void readKeys(const Json& keys, ConfigRequest& request) {
        if (!isObject(keys, "/keys")) return;
        for (const auto& [name, value] : keys.items()) {
            const std::string path = member("/keys", name);
            const auto key = pictureKeyNamed(name, names_);
            if (!key) {
                std::string message = "\"";
                message += excerpt(name);
                message += "\" is not a key of the keyboard";
                message += suggestion(name, pictureKeyNames(names_));
                fail(path, std::move(message));
                continue;
            }
            auto target = keyTarget(value, path);
            if (target) {
                if (auto refused = keyTargetRefusal(*key, *target)) {
                    fail(path, std::move(*refused));
                    continue;
                }
            }
            if (target) request.keys.emplace_back(*key, *target);
        }
    }

    void readCombination(const Json& list, const std::string& path, KeyTarget& target) {
        target.kind = KeyTarget::Kind::Combination;
        if (!isList(list, path)) return;
        // The key table holds three codes.
        // A combination of one key keeps it in the place the keyboard does not send, which
        // would leave the key dead; a profile file may still hold one.
        const std::size_t fewest = range_ == ValueRange::Keyboard ? 2 : 1;
        if (list.size() < fewest || list.size() > 3) {
            fail(path, "holds " + std::to_string(list.size()) + " keys; a combination has " +
                           std::to_string(fewest) + " to 3" +
                           (list.size() == 1 ? " (for one key write {\"key\": NAME})" : ""));
            return;
        }
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (const auto vk = keyCode(list[i], element(path, i))) {
                target.virtualKeys.push_back(*vk);
            }
        }
    }

    void readFunction(const Json& value, const std::string& path, KeyTarget& target) {
        target.kind = KeyTarget::Kind::Function;
        const auto name = text(value, path, 64);
        if (!name) return;
        target.function = fromUtf8(*name);
        if (!findNamedFunction(target.function, Language::English)) {
            std::string list;
            for (const NamedFunction& f : NamedFunctionTable) {
                list += (list.empty() ? "\"" : ", \"") + toUtf8(std::u16string(f.english)) + "\"";
            }
            fail(path, quoted(value) + " is not a function; the functions are " + list);
        }
    }

    void readLaunch(const Json& value, const std::string& path, KeyTarget& target) {
        target.kind = KeyTarget::Kind::Launch;
        if (const auto launch =
                text(value["launch"], member(path, "launch"), kLaunchPathCapacity - 1)) {
            target.launchPath = fromUtf8(*launch);
            if (target.launchPath.find(u'\0') != std::u16string::npos) {
                fail(member(path, "launch"), "holds a NUL character");
            }
            if (target.launchPath.empty() && range_ == ValueRange::Keyboard) {
                fail(member(path, "launch"), "is empty: give the file or folder the key opens");
            }
        }
        if (!value.contains("kind")) {
            fail(member(path, "kind"), "missing: \"mp3\", \"exe\", \"txt\" or \"folder\"");
            return;
        }
        const Json& kind = value["kind"];
        for (std::size_t i = 0; i < std::size(kLaunchKinds); ++i) {
            if (kind.is_string() && kind.get<std::string>() == kLaunchKinds[i]) {
                target.launchType = static_cast<AssignmentType>(
                    static_cast<int>(AssignmentType::LaunchMp3) + static_cast<int>(i));
                return;
            }
        }
        fail(member(path, "kind"), quoted(kind) +
                                       " is not \"mp3\", \"exe\", \"txt\" or "
                                       "\"folder\"");
    }

    void readEntry(const Json& list, const std::string& path, KeyTarget& target) {
        target.kind = KeyTarget::Kind::Entry;
        if (!isList(list, path)) return;
        if (list.size() != 4) {
            fail(path, "holds " + std::to_string(list.size()) + " numbers; an entry has 4");
            return;
        }
        std::array<std::uint8_t, 4> bytes{};
        for (std::size_t i = 0; i < 4; ++i) {
            if (const auto b = integer(list[i], element(path, i), 0, 255)) {
                bytes[i] = static_cast<std::uint8_t>(*b);
            }
        }
        target.entry = {bytes[0], bytes[1], bytes[2], bytes[3]};
    }

    void readMacros(const Json& macros, ConfigRequest& request) {
        if (!isList(macros, "/macros")) return;
        if (macros.size() > kMacroBlockCount) {
            fail("/macros", "holds " + std::to_string(macros.size()) +
                                " macros; the keyboard "
                                "has 6");
            return;
        }
        for (std::size_t i = 0; i < macros.size(); ++i) {
            const std::string path = element("/macros", i);
            const Json& macro = macros[i];
            if (!isObject(macro, path)) continue;
            onlyMembers(macro, path, {"slot", "name", "loops", "events", "raw"});
            for (const char* required : {"slot", "loops"}) {
                if (!macro.contains(required)) fail(member(path, required), "missing");
            }
            if (macro.contains("events") == macro.contains("raw")) {
                fail(member(path, "events"), "give the events, or the raw bytes, once");
            }
            // The name is kept by the computer: it is checked, never sent.
            if (macro.contains("name"))
                text(macro["name"], member(path, "name"), kMacroNameCapacity - 1);
            std::optional<long long> slot;
            if (macro.contains("slot")) {
                slot = integer(macro["slot"], member(path, "slot"), 1,
                               static_cast<long long>(kMacroBlockCount));
            }
            if (slot && request.macros[static_cast<std::size_t>(*slot - 1)]) {
                fail(member(path, "slot"), "slot " + std::to_string(*slot) + " is given twice");
                continue;
            }
            MacroBlock block{};
            if (macro.contains("loops")) {
                if (const auto loops = integer(macro["loops"], member(path, "loops"), 0, 65535)) {
                    block[0] = static_cast<std::uint8_t>(*loops >> 8);
                    block[1] = static_cast<std::uint8_t>(*loops & 0xFF);
                }
            }
            const bool events =
                macro.contains("events")
                    ? readEvents(macro["events"], member(path, "events"), block)
                    : macro.contains("raw") && readRaw(macro["raw"], member(path, "raw"), block);
            if (slot && events) request.macros[static_cast<std::size_t>(*slot - 1)] = block;
        }
    }

    bool readEvents(const Json& events, const std::string& path, MacroBlock& block) {
        if (!isList(events, path)) return false;
        const std::size_t before = errors_.size();
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 0; i < events.size(); ++i) {
            const std::string at = element(path, i);
            const Json& event = events[i];
            if (!isObject(event, at)) continue;
            onlyMembers(event, at, {"key", "action", "delayMs"});
            MacroEvent decoded;
            if (!event.contains("key")) {
                fail(member(at, "key"), "missing");
            } else if (event["key"].is_number()) {
                if (const auto code = integer(event["key"], member(at, "key"), 1, 255)) {
                    decoded.key = static_cast<std::uint8_t>(*code);
                }
            } else if (const auto vk = keyCode(event["key"], member(at, "key"))) {
                decoded.key = names_.usage(*vk);
                if (decoded.key == 0)
                    fail(member(at, "key"), quoted(event["key"]) + " has no keyboard code");
            }
            if (!event.contains("action") || !event["action"].is_string() ||
                (event["action"] != "down" && event["action"] != "up")) {
                fail(member(at, "action"), "must be \"down\" or \"up\"");
            } else {
                decoded.release = event["action"] == "up";
            }
            if (event.contains("delayMs")) {
                // Four bytes hold delays up to 65535 ms; the window writes up to 60000.
                const long long longest =
                    range_ == ValueRange::ProfileFile ? 65535 : kMaxMacroDelayMs;
                const auto delay = integer(event["delayMs"], member(at, "delayMs"), 0, longest);
                if (delay == 1) {
                    fail(member(at, "delayMs"),
                         "1 ms is how the keyboard stores no delay: write 0 "
                         "for none, or 2 or more");
                } else if (delay) {
                    // 1 ms is how the keyboard says "no delay".
                    decoded.delayMs = static_cast<std::uint16_t>(std::max(*delay, 1LL));
                }
            }
            const auto encoded = encodeMacroEvent(decoded);
            bytes.insert(bytes.end(), encoded.begin(), encoded.end());
        }
        if (errors_.size() != before) return false;
        constexpr std::size_t kEventBytes = kBlockSize - 2;
        if (bytes.size() > kEventBytes) {
            fail(path, "these events take " + std::to_string(bytes.size()) +
                           " bytes; a macro on the keyboard holds " + std::to_string(kEventBytes));
            return false;
        }
        std::copy(bytes.begin(), bytes.end(), block.begin() + 2);
        return true;
    }

    // The 126 event bytes as they stand in the block.
    bool readRaw(const Json& value, const std::string& path, MacroBlock& block) {
        const auto bytes =
            value.is_string() ? fromHex(value.get_ref<const std::string&>()) : std::nullopt;
        if (!bytes || bytes->size() != kBlockSize - 2) {
            fail(path, "must be the 126 event bytes as 252 hex digits");
            return false;
        }
        std::copy(bytes->begin(), bytes->end(), block.begin() + 2);
        return true;
    }

    void readPatterns(const Json& patterns, ConfigRequest& request) {
        if (!isList(patterns, "/diyPatterns")) return;
        if (patterns.size() != kCustomLightMaskCount) {
            fail("/diyPatterns", "holds " + std::to_string(patterns.size()) +
                                     " patterns; there are 3 (DIY1, DIY2, DIY3)");
            return;
        }
        for (std::size_t p = 0; p < kCustomLightMaskCount; ++p) {
            const std::string path = element("/diyPatterns", p);
            if (!isList(patterns[p], path)) continue;
            std::vector<std::size_t> keys;
            bool good = true;
            for (std::size_t i = 0; i < patterns[p].size(); ++i) {
                const Json& name = patterns[p][i];
                const auto key = name.is_string() ? pictureKeyNamed(name.get<std::string>(), names_)
                                                  : std::nullopt;
                if (!key) {
                    fail(element(path, i), quoted(name) + " is not a key with a light");
                    good = false;
                } else if (std::find(keys.begin(), keys.end(), *key) != keys.end()) {
                    fail(element(path, i), quoted(name) + " is listed twice");
                    good = false;
                } else {
                    keys.push_back(*key);
                }
            }
            if (good) request.diyPatterns[p] = std::move(keys);
        }
    }

    void readUnshown(const Json& unshown, ConfigRequest& request) {
        if (!isObject(unshown, "/unshown")) return;
        onlyMembers(unshown, "/unshown", {"fileSize", "bytes"});
        if (!unshown.contains("fileSize") || !unshown.contains("bytes")) {
            fail("/unshown", "needs \"fileSize\" and \"bytes\"");
            return;
        }
        const auto size = integer(unshown["fileSize"], "/unshown/fileSize", 0,
                                  static_cast<long long>(kMaxProfileBytes));
        if (!size || !isList(unshown["bytes"], "/unshown/bytes")) return;
        UnshownBytes bytes;
        bytes.fileSize = static_cast<std::size_t>(*size);
        const Json& runs = unshown["bytes"];
        for (std::size_t i = 0; i < runs.size(); ++i) {
            const std::string path = element("/unshown/bytes", i);
            const Json& run = runs[i];
            if (!run.is_array() || run.size() != 2 || !run[1].is_string()) {
                fail(path, "must be [offset, \"hex bytes\"]");
                continue;
            }
            const auto offset = integer(run[0], element(path, 0), 0, *size);
            auto data = fromHex(run[1].get_ref<const std::string&>());
            if (!data) {
                fail(element(path, 1), "is not an even number of hex digits");
                continue;
            }
            if (offset && data->size() > bytes.fileSize - static_cast<std::size_t>(*offset)) {
                fail(path, "runs past the end of the file");
                continue;
            }
            if (offset) bytes.runs.emplace_back(static_cast<std::size_t>(*offset), *data);
        }
        request.unshown = std::move(bytes);
    }

    ValueRange range_;
    std::vector<ConfigError>& errors_;
    const KeyNameTable names_;
};

}  // namespace

std::optional<std::size_t> pictureKeyNamed(std::string_view name, const KeyNameTable& names) {
    for (std::size_t key = 0; key < kKeyCount; ++key) {
        if (!isMediaKey(key) && pictureKeyName(names, key) == name) return key;
    }
    return std::nullopt;
}

std::optional<KeyTarget> readKeyTarget(const nlohmann::ordered_json& value, const std::string& path,
                                       std::vector<ConfigError>& errors) {
    return Validator(ValueRange::Keyboard, errors).keyTarget(value, path);
}

std::optional<nlohmann::ordered_json> parseDocument(std::string_view text, std::size_t maxBytes,
                                                    const char* what,
                                                    std::vector<ConfigError>& errors) {
    if (text.size() > maxBytes) {
        errors.push_back({"/", "the file is " + std::to_string(text.size()) + " bytes; " + what +
                                   " is at most " + std::to_string(maxBytes) + " bytes"});
        return std::nullopt;
    }
    const std::size_t before = errors.size();
    StructureCheck check(errors);
    const bool parsed = Json::sax_parse(text, &check);
    if (!parsed || errors.size() != before) {
        if (errors.size() == before) errors.push_back({"/", "not valid JSON"});
        return std::nullopt;
    }
    // The parser takes a NUL byte for the end of the text, so one can only follow a whole
    // document, which nothing but white space may.
    if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
        const std::size_t newline = text.rfind('\n', nul);
        const std::size_t line =
            1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + nul, '\n'));
        const std::size_t column = newline == std::string_view::npos ? nul + 1 : nul - newline;
        errors.push_back(
            {"/", "not valid JSON (byte " + std::to_string(nul + 1) + "): parse error at line " +
                      std::to_string(line) + ", column " + std::to_string(column) +
                      ": a NUL byte after the document; only white space may follow it"});
        return std::nullopt;
    }
    Json root = Json::parse(text, nullptr, false);
    if (root.is_discarded()) {
        errors.push_back({"/", "not valid JSON"});
        return std::nullopt;
    }
    return root;
}

ConfigReading readConfiguration(std::string_view text, ValueRange range) {
    ConfigReading reading;
    const auto root = parseDocument(text, kMaxConfigBytes, "a configuration", reading.errors);
    if (root) reading.request = Validator(range, reading.errors).read(*root);
    return reading;
}

std::optional<std::string> keyTargetRefusal(std::size_t key, const KeyTarget& target) {
    // A key with no code of its own (Fn) already sends nothing.
    if (target.kind == KeyTarget::Kind::Disabled && key < KeyLayout.size() &&
        FactoryKeyMap[KeyLayout[key].slot] == KeyEntry{}) {
        return "this key sends no code of its own, so it cannot be disabled";
    }
    return std::nullopt;
}

std::string keyPath(const std::string& name) {
    return member("/keys", name);
}

std::string describeErrors(const std::vector<ConfigError>& errors) {
    // Names from the file may hold control characters; they never reach the terminal as such.
    const auto printable = [](const std::string& line) {
        std::string out;
        for (const char c : line) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte == 0x7F) {
                static constexpr char kDigits[] = "0123456789abcdef";
                out += "\\u00";
                out += kDigits[byte >> 4];
                out += kDigits[byte & 0x0F];
            } else {
                out += c;
            }
        }
        return out;
    };
    constexpr std::size_t kShown = 100;
    std::string text;
    for (std::size_t i = 0; i < errors.size() && i < kShown; ++i) {
        text += printable(errors[i].path + ": " + errors[i].message) + "\n";
    }
    if (errors.size() > kShown) {
        text += "… and " + std::to_string(errors.size() - kShown) + " more\n";
    }
    return text;
}

}  // namespace tq260
