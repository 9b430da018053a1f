#include "cli/rules_commands.h"

#include <algorithm>

#include "config/profile_rules_file.h"
#include "config/shared_messages.h"
#include "config/text_encoding.h"
#include "profiles/profile_image.h"
#include "profiles/profile_rule_marks.h"
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

std::string describeApplication(const ProfileRule& rule) {
    if (rule.executablePath.empty()) return rule.application;
    return rule.application + " (" + rule.executablePath + ")";
}

// Why a profile can do nothing for a rule; empty when it can.
std::string profileProblem(const ProfileStore& store, const std::u16string& profile) {
    const auto row = store.rowOf(profile);
    if (!row) return "there is no such profile";
    switch (checkProfile(store.pathOf(*row)).state) {
        case ProfileCheck::State::Unreadable:
            return "its file cannot be read";
        case ProfileCheck::State::Empty:
            return "the profile is empty";
        case ProfileCheck::State::Damaged:
            return "the profile is damaged; tq260ctl profile show says how";
        case ProfileCheck::State::Usable:
            break;
    }
    return {};
}

// Whether the profile can serve a rule; says why not, and gives the exit code, when not.
std::optional<int> refusedProfile(ToolContext& context, const std::u16string& name) {
    // A name no profile can have is a wrong command line, as for the profile commands.
    if (!ProfileStore::isAcceptableName(name)) {
        context.err << profileRefusal({ProfileStore::Result::BadName, {}}, name) << "\n";
        return tool_exit::kUsage;
    }
    ProfileStore store;
    store.openIn(context.dataFolder);
    if (!store.rowOf(name)) {
        context.err << noProfileNamed(store, name) << "\n";
        return tool_exit::kBadFile;
    }
    const std::string problem = profileProblem(store, name);
    if (problem.empty()) return std::nullopt;
    context.err << "A rule cannot give the profile " << quotedName(name) << ": " << problem
                << "; save the keyboard's configuration into it first (tq260ctl profile save "
                << toUtf8(name) << ").\n";
    return tool_exit::kBadFile;
}

bool sameRule(const ProfileRule& rule, const RulesChange& change) {
    return sameIgnoringCase(rule.application, change.application) &&
           rule.executablePath == change.executablePath;
}

int noRule(ToolContext& context, const RulesChange& change) {
    context.err << "There is no rule for " << change.application
                << (change.executablePath.empty() ? "" : " (" + change.executablePath + ")")
                << "; see tq260ctl rules list.\n";
    return tool_exit::kBadFile;
}

}  // namespace

std::string joinedList(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 == items.size() ? " and " : ", ";
        text += items[i];
    }
    return text;
}

std::vector<std::string> rulesNamingProfile(const std::filesystem::path& dataFolder,
                                            std::u16string_view profile) {
    const ProfileRulesReading reading = readProfileRules(dataFolder);
    const ProfileMentions mentions = rulesNaming(reading.rules, profile);
    std::vector<std::string> named;
    for (const std::size_t i : mentions.rules) {
        named.push_back(describeApplication(reading.rules.rules[i]));
    }
    if (mentions.otherwise) named.emplace_back("every other application");
    return named;
}

int runRulesList(ToolContext& context) {
    const auto rules = readRules(context);
    if (!rules) return tool_exit::kBadFile;
    ProfileStore store;
    store.openIn(context.dataFolder);
    // Marked as the rules window marks them; the tool is not told which applications the
    // desktop names without their executable.
    const std::vector<ProfileEntry> profiles = profileEntries(store);
    const std::vector<RuleMarks> marks = ruleMarks(*rules, profiles, {});
    const auto sayProblem = [&](const std::u16string& profile) {
        if (profileState(profiles, profile) == ProfileState::Usable) return;
        context.out << "  (does nothing: " << profileProblem(store, profile) << ")";
    };
    context.out << "Profiles by the application in front: " << (rules->enabled ? "on" : "off")
                << "; each switch " << (rules->notice ? "is" : "is not") << " said.\n";
    for (std::size_t i = 0; i < rules->rules.size(); ++i) {
        const ProfileRule& rule = rules->rules[i];
        context.out << "  " << i + 1 << ". " << shownText(fromUtf8(describeApplication(rule)))
                    << " -> " << quotedName(rule.profile);
        if (marks[i].hiddenBy) {
            context.out << "  (never applies: rule " << *marks[i].hiddenBy + 1 << " comes first)";
        }
        sayProblem(rule.profile);
        context.out << "\n";
    }
    context.out << "  Everything else -> "
                << (rules->otherwise ? quotedName(*rules->otherwise) : "left as it is");
    if (rules->otherwise) sayProblem(*rules->otherwise);
    context.out << "\n";
    return tool_exit::kDone;
}

int runRulesChange(ToolContext& context, const RulesChange& change) {
    auto rules = readRules(context);
    if (!rules) return tool_exit::kBadFile;
    std::vector<ProfileRule>& list = rules->rules;
    const auto found = std::find_if(list.begin(), list.end(),
                                    [&](const ProfileRule& r) { return sameRule(r, change); });
    using Kind = RulesChange::Kind;
    switch (change.kind) {
        case Kind::Add: {
            const std::u16string profile = ProfileStore::typedName(fromUtf8(*change.profile));
            if (change.application.empty()) {
                context.err << "rules add: the application's id must not be empty.\n";
                return tool_exit::kUsage;
            }
            if (const auto longer = ruleTooLong(change.application, change.executablePath)) {
                context.err << "rules add: the " << (longer->first == "path" ? "--path " : "id ")
                            << longer->second << ".\n";
                return tool_exit::kUsage;
            }
            if (const auto failed = refusedProfile(context, profile)) return *failed;
            const ProfileRule rule{change.application, change.executablePath, profile};
            std::size_t at = list.size();
            if (found != list.end()) {
                at = static_cast<std::size_t>(found - list.begin());
                list.erase(found);
            } else if (list.size() >= kMaxProfileRules) {
                context.err << "There are " << kMaxProfileRules
                            << " rules already, the most the file keeps.\n";
                return tool_exit::kUsage;
            }
            // Replaced in its place, unless a rule for any executable of the application
            // before it would always win.
            at = std::min(at, placeForRule(*rules, rule));
            list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), rule);
            break;
        }
        case Kind::Remove: {
            const auto removed =
                change.executablePath.empty()
                    ? std::erase_if(list,
                                    [&](const ProfileRule& r) {
                                        return sameIgnoringCase(r.application, change.application);
                                    })
                    : std::erase_if(list,
                                    [&](const ProfileRule& r) { return sameRule(r, change); });
            if (removed == 0) return noRule(context, change);
            break;
        }
        case Kind::Move: {
            if (found == list.end()) return noRule(context, change);
            if (change.position < 1 || change.position > list.size()) {
                context.err << "rules move: --to " << change.position << " is outside 1.."
                            << list.size() << ".\n";
                return tool_exit::kUsage;
            }
            const ProfileRule rule = *found;
            list.erase(found);
            list.insert(list.begin() + static_cast<std::ptrdiff_t>(change.position - 1), rule);
            break;
        }
        case Kind::Otherwise:
            rules->otherwise.reset();
            if (change.profile) {
                const std::u16string profile = ProfileStore::typedName(fromUtf8(*change.profile));
                if (const auto failed = refusedProfile(context, profile)) return *failed;
                rules->otherwise = profile;
            }
            break;
        case Kind::On:
        case Kind::Off:
            rules->enabled = change.kind == Kind::On;
            break;
        case Kind::NoticeOn:
        case Kind::NoticeOff:
            rules->notice = change.kind == Kind::NoticeOn;
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
