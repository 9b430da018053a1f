#include "config/profile_rules_file.h"

#include "config/text_encoding.h"
#include "platform/atomic_file.h"
#include "platform/front_application.h"

namespace tq260 {

namespace {

using Json = nlohmann::ordered_json;

// Appended, not "\"" + name: GCC 12 at -O3 warns falsely about the insertion at the front.
std::string inQuotes(std::string_view name) {
    std::string text(1, '"');
    text += name;
    text += '"';
    return text;
}

// A text member that must be there (or may be, when optional), in UTF-8.
std::optional<std::string> text(const Json& object, const std::string& path, const char* name,
                                bool required, std::vector<ConfigError>& errors) {
    if (!object.contains(name)) {
        if (required) errors.push_back({path, inQuotes(name) + " is missing"});
        return std::nullopt;
    }
    const Json& value = object[name];
    if (!value.is_string() || (required && value.get_ref<const std::string&>().empty())) {
        errors.push_back(
            {path + "/" + name, required ? "must be a text that is not empty" : "must be a text"});
        return std::nullopt;
    }
    return value.get<std::string>();
}

}  // namespace

std::optional<std::pair<std::string, std::string>> ruleTooLong(std::string_view application,
                                                               std::string_view executablePath) {
    // No application in front has a longer id or path: such a rule would never apply.
    if (application.size() > kMaxApplicationIdBytes) {
        return std::pair{std::string("application"), "must be at most " +
                                                         std::to_string(kMaxApplicationIdBytes) +
                                                         " bytes, as every application's id is"};
    }
    if (executablePath.size() > kMaxExecutablePathBytes) {
        return std::pair{std::string("path"), "must be at most " +
                                                  std::to_string(kMaxExecutablePathBytes) +
                                                  " bytes, as every executable's path is"};
    }
    return std::nullopt;
}

namespace {

void onlyMembers(const Json& object, const std::string& path,
                 std::initializer_list<const char*> known, std::vector<ConfigError>& errors) {
    for (const auto& [name, value] : object.items()) {
        if (std::find_if(known.begin(), known.end(), [&](const char* k) { return name == k; }) ==
            known.end()) {
            errors.push_back(
                {path.empty() ? "/" : path, inQuotes(excerpt(name)) + " is not a member it takes"});
        }
    }
}

ProfileRules readRules(const Json& root, std::vector<ConfigError>& errors) {
    ProfileRules rules;
    if (!root.is_object()) {
        errors.push_back({"/", "must be an object"});
        return rules;
    }
    onlyMembers(root, "", {"format", "enabled", "notice", "rules", "otherwise"}, errors);
    if (!root.contains("format") || root["format"] != 1) {
        errors.push_back({"/format", "must be 1"});
    }
    for (const auto& [name, flag] :
         {std::pair{"enabled", &rules.enabled}, {"notice", &rules.notice}}) {
        if (!root.contains(name)) continue;
        if (root[name].is_boolean()) {
            *flag = root[name].get<bool>();
        } else {
            errors.push_back({std::string("/") + name, "must be true or false"});
        }
    }
    if (root.contains("otherwise") && !root["otherwise"].is_null()) {
        if (const auto profile = text(root, "", "otherwise", true, errors)) {
            rules.otherwise = fromUtf8(*profile);
        }
    }
    if (!root.contains("rules")) return rules;
    const Json& list = root["rules"];
    if (!list.is_array() || list.size() > kMaxProfileRules) {
        errors.push_back(
            {"/rules", "must be a list of at most " + std::to_string(kMaxProfileRules) + " rules"});
        return rules;
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string path = "/rules/" + std::to_string(i);
        const Json& each = list[i];
        if (!each.is_object()) {
            errors.push_back({path, "must be an object"});
            continue;
        }
        onlyMembers(each, path, {"application", "path", "profile"}, errors);
        const auto application = text(each, path, "application", true, errors);
        const auto executable = text(each, path, "path", false, errors);
        const auto profile = text(each, path, "profile", true, errors);
        if (const auto longer = ruleTooLong(application.value_or(""), executable.value_or(""))) {
            errors.push_back({path + "/" + longer->first, longer->second});
            continue;
        }
        if (application && profile) {
            rules.rules.push_back({*application, executable.value_or(""), fromUtf8(*profile)});
        }
    }
    return rules;
}

}  // namespace

ProfileRulesReading readProfileRules(const std::filesystem::path& dataFolder) {
    ProfileRulesReading reading;
    const std::filesystem::path file = dataFolder / kProfileRulesFileName;
    std::error_code error;
    if (!std::filesystem::exists(file, error) && !error) return reading;
    reading.state = ProfileRulesReading::State::Damaged;
    const auto bytes = readFileBytes(file, kMaxProfileRulesBytes + 1);
    if (!bytes) {
        reading.errors.push_back({"/", "the file cannot be read"});
        return reading;
    }
    const std::string_view body(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    const auto root = parseDocument(body, kMaxProfileRulesBytes, "a rules file", reading.errors);
    if (!root) return reading;
    ProfileRules rules = readRules(*root, reading.errors);
    if (!reading.errors.empty()) return reading;
    reading.state = ProfileRulesReading::State::Read;
    reading.rules = std::move(rules);
    return reading;
}

std::string profileRulesToJson(const ProfileRules& rules) {
    Json list = Json::array();
    for (const ProfileRule& rule : rules.rules) {
        Json each{{"application", rule.application}};
        if (!rule.executablePath.empty()) each["path"] = rule.executablePath;
        each["profile"] = toUtf8(rule.profile);
        list.push_back(std::move(each));
    }
    const Json root{{"format", 1},
                    {"enabled", rules.enabled},
                    {"notice", rules.notice},
                    {"rules", std::move(list)},
                    {"otherwise", rules.otherwise ? Json(toUtf8(*rules.otherwise)) : Json()}};
    return root.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

bool writeProfileRules(const std::filesystem::path& dataFolder, const ProfileRules& rules,
                       std::string& why) {
    const std::filesystem::path file = dataFolder / kProfileRulesFileName;
    for (std::size_t i = 0; i < rules.rules.size(); ++i) {
        const ProfileRule& rule = rules.rules[i];
        if (const auto longer = ruleTooLong(rule.application, rule.executablePath)) {
            why = "Rule " + std::to_string(i + 1) + ": its " +
                  (longer->first == "path" ? "executable's path " : "application's id ") +
                  longer->second + ".";
            return false;
        }
    }
    const ProfileRulesReading there = readProfileRules(dataFolder);
    if (there.state == ProfileRulesReading::State::Damaged) {
        why = utf8Of(file) + " is damaged, so it is kept as it is: mend it or remove it first.\n" +
              describeErrors(there.errors);
        return false;
    }
    if (!writeFileAtomically(file, std::string_view(profileRulesToJson(rules)))) {
        why = "Could not write " + utf8Of(file);
        return false;
    }
    return true;
}

bool carryRulesToRenamedProfile(const std::filesystem::path& dataFolder, std::u16string_view from,
                                std::u16string_view to, std::string& why) {
    ProfileRulesReading reading = readProfileRules(dataFolder);
    if (reading.state == ProfileRulesReading::State::Absent) return true;
    if (reading.state == ProfileRulesReading::State::Damaged) {
        why = utf8Of(dataFolder / kProfileRulesFileName) +
              " is damaged, so its rules still name the old profile name:\n" +
              describeErrors(reading.errors);
        return false;
    }
    if (!renameProfileInRules(reading.rules, from, to)) return true;
    return writeProfileRules(dataFolder, reading.rules, why);
}

}  // namespace tq260
