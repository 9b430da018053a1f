#include "cli/rules_commands.h"

#include <algorithm>

#include "config/profile_rules_file.h"
#include "config/shared_messages.h"
#include "config/text_encoding.h"
#include "profiles/profile_store.h"

namespace tq260 {

namespace {

// The rules as they are on disk; or says why they cannot be used and gives the exit code.
std::optional<ProfileRules> readRules(ToolContext& context) {
    ProfileRulesReading reading = readProfileRules(context.dataFolder);
    if (reading.state != ProfileRulesReading::State::Damaged) return std::move(reading.rules);
    context.err << utf8Of(context.dataFolder / kProfileRulesFileName)
                << " is damaged; it is kept as it is, and the rules are off until it is mended "
                   "or removed:\n"
                << describeErrors(reading.errors);
    return std::nullopt;
}

std::string describeRule(const ProfileRule& rule) {
    std::string line = rule.application;
    if (!rule.executablePath.empty()) line += " (" + rule.executablePath + ")";
    return line + " -> " + quotedName(rule.profile);
}

// Whether the profile is one of the program's; says which there are when it is not.
bool profileExists(ToolContext& context, const std::u16string& name) {
    ProfileStore store;
    if (store.openIn(context.dataFolder).result == ProfileStore::Result::Done &&
        store.rowOf(name)) {
        return true;
    }
    context.err << noProfileNamed(store, name) << "\n";
    return false;
}

}  // namespace

int runRulesList(ToolContext& context) {
    const auto rules = readRules(context);
    if (!rules) return tool_exit::kBadFile;
    context.out << "Profiles by the application in front: " << (rules->enabled ? "on" : "off")
                << ".\n";
    for (std::size_t i = 0; i < rules->rules.size(); ++i) {
        context.out << "  " << i + 1 << ". " << describeRule(rules->rules[i]) << "\n";
    }
    context.out << "  Everything else -> "
                << (rules->otherwise ? quotedName(*rules->otherwise) : "left as it is") << "\n";
    return tool_exit::kDone;
}

int runRulesChange(ToolContext& context, const RulesChange& change) {
    auto rules = readRules(context);
    if (!rules) return tool_exit::kBadFile;
    const auto same = [&](const ProfileRule& rule) {
        return ruleMatches(rule, {change.application, change.executablePath}) &&
               rule.executablePath == change.executablePath;
    };
    const auto found = std::find_if(rules->rules.begin(), rules->rules.end(), same);
    using Kind = RulesChange::Kind;
    switch (change.kind) {
        case Kind::Add: {
            const std::u16string profile = ProfileStore::typedName(fromUtf8(*change.profile));
            if (change.application.empty()) {
                context.err << "rules add: the application's id must not be empty.\n";
                return tool_exit::kUsage;
            }
            if (!profileExists(context, profile)) return tool_exit::kBadFile;
            const ProfileRule rule{change.application, change.executablePath, profile};
            if (found != rules->rules.end()) {
                *found = rule;
            } else if (rules->rules.size() >= kMaxProfileRules) {
                context.err << "There are " << kMaxProfileRules
                            << " rules already, the most the file keeps.\n";
                return tool_exit::kUsage;
            } else {
                rules->rules.push_back(rule);
            }
            break;
        }
        case Kind::Remove:
            if (found == rules->rules.end()) {
                context.err << "There is no rule for " << change.application
                            << (change.executablePath.empty() ? ""
                                                              : " (" + change.executablePath + ")")
                            << "; see tq260ctl rules list.\n";
                return tool_exit::kBadFile;
            }
            rules->rules.erase(found);
            break;
        case Kind::Otherwise:
            rules->otherwise.reset();
            if (change.profile) {
                const std::u16string profile = ProfileStore::typedName(fromUtf8(*change.profile));
                if (!profileExists(context, profile)) return tool_exit::kBadFile;
                rules->otherwise = profile;
            }
            break;
        case Kind::On:
        case Kind::Off:
            rules->enabled = change.kind == Kind::On;
            break;
    }
    std::string why;
    if (!writeProfileRules(context.dataFolder, *rules, why)) {
        context.err << why << "\n";
        return tool_exit::kCannotWrite;
    }
    return runRulesList(context);
}

}  // namespace tq260
