#pragma once

// A small udev rules reader and evaluator for the rule files shipped in packaging/udev. It knows
// only the part of the rules language those files use and refuses everything else, so that a
// typo in a rule file fails a test instead of silently turning a rule off.

#include <fnmatch.h>

#include <cctype>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace tq260::testing {

// One device event as udev sees it. The builtin fields stand in for what the usb_id and input_id
// builtins would find in sysfs; nullopt means the builtin fails (no USB or input parent).
struct SampleDevice {
    std::string action = "add";
    std::string subsystem;
    std::string kernel;
    std::optional<std::map<std::string, std::string>> usbId;
    std::optional<std::map<std::string, std::string>> inputId;
};

// What the rules did to one event.
struct RuleOutcome {
    std::set<std::string> tags;
    std::map<std::string, std::string> env;
    // MODE, OWNER, GROUP and RUN assignments that ran, as "KEY=value".
    std::vector<std::string> assignments;
};

enum class RuleOp { Match, NoMatch, Assign, AssignFinal, Add };

struct RuleToken {
    std::string key;
    std::string attr;  // ENV{NAME} and IMPORT{builtin}
    RuleOp op = RuleOp::Match;
    std::string value;
};

struct RuleLine {
    int number = 0;
    std::vector<RuleToken> tokens;
};

// udev's pattern matching: fnmatch globs with "|" separating alternatives.
inline bool udevPatternMatches(std::string_view pattern, const std::string& value) {
    std::size_t start = 0;
    while (true) {
        const std::size_t bar = pattern.find('|', start);
        const std::string alternative(pattern.substr(
            start, bar == std::string_view::npos ? std::string_view::npos : bar - start));
        if (fnmatch(alternative.c_str(), value.c_str(), 0) == 0) return true;
        if (bar == std::string_view::npos) return false;
        start = bar + 1;
    }
}

struct UdevRuleParse;

class UdevRuleSet {
  public:
    static UdevRuleParse parse(std::string_view text, const std::string& origin);

    static UdevRuleParse load(const std::filesystem::path& path);

    RuleOutcome evaluate(const SampleDevice& device) const;

    // Every token of the file with this key, whether or not any device would reach it.
    std::vector<RuleToken> tokensWithKey(std::string_view key) const {
        std::vector<RuleToken> found;
        for (const RuleLine& line : lines_) {
            for (const RuleToken& token : line.tokens) {
                if (token.key == key) found.push_back(token);
            }
        }
        return found;
    }

    const std::vector<RuleLine>& lines() const { return lines_; }

  private:
    std::vector<RuleLine> lines_;
};

struct UdevRuleParse {
    std::optional<UdevRuleSet> rules;
    std::string error;  // "origin:line: reason" when rules is empty
};

inline UdevRuleParse UdevRuleSet::load(const std::filesystem::path& path) {
    std::ifstream in(path);
    if (!in) return {std::nullopt, path.string() + ": cannot be read"};
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str(), path.filename().string());
}

namespace detail {

// Properties the emulated builtins own; a rule assigning one is almost surely a match missing
// its "=".
inline const std::map<std::string, std::string, std::less<>>& builtinOwnedProperties() {
    static const std::map<std::string, std::string, std::less<>> owners{
        {"ID_VENDOR_ID", "usb_id"},         {"ID_MODEL_ID", "usb_id"},
        {"ID_USB_INTERFACE_NUM", "usb_id"}, {"ID_INPUT", "input_id"},
        {"ID_INPUT_KEY", "input_id"},       {"ID_INPUT_KEYBOARD", "input_id"},
        {"ID_INPUT_MOUSE", "input_id"}};
    return owners;
}

inline bool isMatchOp(RuleOp op) {
    return op == RuleOp::Match || op == RuleOp::NoMatch;
}

inline std::string opText(RuleOp op) {
    switch (op) {
        case RuleOp::Match:
            return "==";
        case RuleOp::NoMatch:
            return "!=";
        case RuleOp::Assign:
            return "=";
        case RuleOp::AssignFinal:
            return ":=";
        case RuleOp::Add:
            return "+=";
    }
    return "?";
}

// An unclosed "[" is read by fnmatch as a literal, which is never what a rule means.
inline bool bracketsClosed(std::string_view pattern) {
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '\\') {
            ++i;
        } else if (pattern[i] == '[') {
            std::size_t j = i + 1;
            if (j < pattern.size() && (pattern[j] == '!' || pattern[j] == '^')) ++j;
            if (j < pattern.size() && pattern[j] == ']') ++j;
            while (j < pattern.size() && pattern[j] != ']' && pattern[j] != '|') ++j;
            if (j >= pattern.size() || pattern[j] != ']') return false;
            i = j;
        }
    }
    return true;
}

// Empty when the key, attribute and operator form something this reader knows.
inline std::string checkToken(const RuleToken& token) {
    const std::string op = opText(token.op);
    const std::string where = token.key + (token.attr.empty() ? "" : "{" + token.attr + "}");
    const auto badOp = [&] { return "operator " + op + " is not allowed for " + where; };
    if (token.key == "ACTION" || token.key == "SUBSYSTEM" || token.key == "KERNEL") {
        if (!token.attr.empty()) return token.key + " takes no {attribute}";
        if (!isMatchOp(token.op)) return badOp();
    } else if (token.key == "ENV") {
        if (token.attr.empty()) return "ENV needs a property name in braces";
        for (const char c : token.attr) {
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') {
                return "ENV{" + token.attr + "} is not a property name";
            }
        }
        if (token.op == RuleOp::Assign) {
            const auto owner = builtinOwnedProperties().find(token.attr);
            if (owner != builtinOwnedProperties().end()) {
                return "ENV{" + token.attr + "}= assigns what the " + owner->second +
                       " builtin sets; a match needs ==";
            }
        } else if (!isMatchOp(token.op)) {
            return badOp();
        }
    } else if (token.key == "TAG") {
        if (!token.attr.empty()) return "TAG takes no {attribute}";
        if (token.op != RuleOp::Add) return badOp();
        if (token.value.empty()) return "TAG+= needs a tag name";
    } else if (token.key == "MODE" || token.key == "OWNER" || token.key == "GROUP") {
        if (!token.attr.empty()) return token.key + " takes no {attribute}";
        if (token.op != RuleOp::Assign && token.op != RuleOp::AssignFinal) return badOp();
    } else if (token.key == "RUN") {
        if (!token.attr.empty() && token.attr != "program" && token.attr != "builtin") {
            return "RUN{" + token.attr + "} is not a RUN type";
        }
        if (isMatchOp(token.op)) return badOp();
    } else if (token.key == "IMPORT") {
        if (token.attr != "builtin") return "only IMPORT{builtin} is known, not " + where;
        if (token.op != RuleOp::Assign) return badOp();
        if (token.value != "usb_id" && token.value != "input_id") {
            return "unknown builtin \"" + token.value + "\"";
        }
    } else if (token.key == "GOTO" || token.key == "LABEL") {
        if (!token.attr.empty()) return token.key + " takes no {attribute}";
        if (token.op != RuleOp::Assign) return badOp();
        if (token.value.empty()) return token.key + " needs a label name";
    } else {
        return "unknown key \"" + token.key + "\"";
    }
    if (isMatchOp(token.op) && !bracketsClosed(token.value)) {
        return "unclosed [ in pattern \"" + token.value + "\"";
    }
    return {};
}

// Reads one "KEY{attr}op\"value\"" at pos; empty result and an error message on failure.
inline std::optional<RuleToken> readToken(std::string_view text, std::size_t& pos,
                                          std::string& error) {
    RuleToken token;
    const std::size_t keyStart = pos;
    while (pos < text.size() &&
           (std::isupper(static_cast<unsigned char>(text[pos])) || text[pos] == '_')) {
        ++pos;
    }
    token.key = std::string(text.substr(keyStart, pos - keyStart));
    if (token.key.empty()) {
        error = "expected a key at \"" + std::string(text.substr(keyStart)) + "\"";
        return std::nullopt;
    }
    if (pos < text.size() && text[pos] == '{') {
        const std::size_t close = text.find('}', pos);
        if (close == std::string_view::npos) {
            error = "missing } after " + token.key + "{";
            return std::nullopt;
        }
        token.attr = std::string(text.substr(pos + 1, close - pos - 1));
        pos = close + 1;
    }
    static const std::vector<std::pair<std::string_view, RuleOp>> ops{{"==", RuleOp::Match},
                                                                      {"!=", RuleOp::NoMatch},
                                                                      {"+=", RuleOp::Add},
                                                                      {":=", RuleOp::AssignFinal},
                                                                      {"=", RuleOp::Assign}};
    bool found = false;
    for (const auto& [spelling, op] : ops) {
        if (text.substr(pos, spelling.size()) == spelling) {
            token.op = op;
            pos += spelling.size();
            found = true;
            break;
        }
    }
    if (!found) {
        error = "expected an operator after " + token.key + " at \"" +
                std::string(text.substr(pos)) + "\"";
        return std::nullopt;
    }
    if (pos >= text.size() || text[pos] != '"') {
        error = "the value of " + token.key + " must be in double quotes";
        return std::nullopt;
    }
    const std::size_t close = text.find('"', pos + 1);
    if (close == std::string_view::npos) {
        error = "missing closing quote in the value of " + token.key;
        return std::nullopt;
    }
    token.value = std::string(text.substr(pos + 1, close - pos - 1));
    pos = close + 1;
    error = checkToken(token);
    if (!error.empty()) return std::nullopt;
    return token;
}

inline void skipSpaces(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
}

inline std::string valueOf(const RuleLine& line, std::string_view key) {
    for (const RuleToken& token : line.tokens) {
        if (token.key == key) return token.value;
    }
    return {};
}

}  // namespace detail

inline UdevRuleParse UdevRuleSet::parse(std::string_view text, const std::string& origin) {
    UdevRuleSet set;
    int number = 0;
    std::size_t lineStart = 0;
    const auto fail = [&](const std::string& reason) {
        return UdevRuleParse{std::nullopt, origin + ":" + std::to_string(number) + ": " + reason};
    };
    while (lineStart < text.size()) {
        ++number;
        std::size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string_view::npos) lineEnd = text.size();
        const std::string_view raw = text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;

        std::size_t pos = 0;
        detail::skipSpaces(raw, pos);
        if (pos == raw.size() || raw[pos] == '#') continue;

        RuleLine line{number, {}};
        while (true) {
            std::string error;
            auto token = detail::readToken(raw, pos, error);
            if (!token) return fail(error);
            line.tokens.push_back(*token);
            detail::skipSpaces(raw, pos);
            if (pos == raw.size()) break;
            if (raw[pos] != ',')
                return fail("expected \",\" at \"" + std::string(raw.substr(pos)) + "\"");
            ++pos;
            detail::skipSpaces(raw, pos);
            if (pos == raw.size()) return fail("line ends with \",\"");
        }

        int gotos = 0;
        int labels = 0;
        bool acts = false;
        for (const RuleToken& token : line.tokens) {
            gotos += token.key == "GOTO";
            labels += token.key == "LABEL";
            // IMPORT changes the environment, so it counts as doing something.
            acts = acts || !detail::isMatchOp(token.op);
        }
        if (gotos > 1 || labels > 1) return fail("more than one GOTO or LABEL on one line");
        if (!acts) return fail("the line only matches and does nothing");
        set.lines_.push_back(std::move(line));
    }

    // udev only looks for a GOTO's label further down the file.
    for (std::size_t i = 0; i < set.lines_.size(); ++i) {
        const std::string target = detail::valueOf(set.lines_[i], "GOTO");
        if (target.empty()) continue;
        bool found = false;
        for (std::size_t j = i + 1; j < set.lines_.size() && !found; ++j) {
            found = detail::valueOf(set.lines_[j], "LABEL") == target;
        }
        if (!found) {
            number = set.lines_[i].number;
            return fail("GOTO=\"" + target + "\" has no LABEL further down");
        }
    }
    return UdevRuleParse{std::move(set), {}};
}

inline RuleOutcome UdevRuleSet::evaluate(const SampleDevice& device) const {
    RuleOutcome outcome;
    const auto envValue = [&](const std::string& name) {
        const auto it = outcome.env.find(name);
        return it == outcome.env.end() ? std::string() : it->second;
    };
    std::size_t index = 0;
    while (index < lines_.size()) {
        const RuleLine& line = lines_[index];
        bool holds = true;
        for (const RuleToken& token : line.tokens) {
            if (!holds) break;
            if (token.key == "IMPORT") {
                const auto& found = token.value == "usb_id" ? device.usbId : device.inputId;
                if (!found) {
                    holds = false;
                } else {
                    for (const auto& [name, value] : *found) outcome.env[name] = value;
                }
                continue;
            }
            if (!detail::isMatchOp(token.op)) continue;
            std::string subject;
            if (token.key == "ACTION") subject = device.action;
            if (token.key == "SUBSYSTEM") subject = device.subsystem;
            if (token.key == "KERNEL") subject = device.kernel;
            if (token.key == "ENV") subject = envValue(token.attr);
            const bool matched = udevPatternMatches(token.value, subject);
            holds = token.op == RuleOp::Match ? matched : !matched;
        }
        if (!holds) {
            ++index;
            continue;
        }
        std::string jumpTo;
        for (const RuleToken& token : line.tokens) {
            if (token.key == "ENV" && token.op == RuleOp::Assign) {
                outcome.env[token.attr] = token.value;
            } else if (token.key == "TAG") {
                outcome.tags.insert(token.value);
            } else if (token.key == "MODE" || token.key == "OWNER" || token.key == "GROUP" ||
                       token.key == "RUN") {
                outcome.assignments.push_back(token.key + "=" + token.value);
            } else if (token.key == "GOTO") {
                jumpTo = token.value;
            }
        }
        ++index;
        if (!jumpTo.empty()) {
            while (index < lines_.size() && detail::valueOf(lines_[index], "LABEL") != jumpTo) {
                ++index;
            }
        }
    }
    return outcome;
}

}  // namespace tq260::testing
