#include "cli/profile_commands.h"

#include "cli/rules_commands.h"
#include "cli/running_program.h"
#include "cli/tool_keyboard.h"
#include "config/profile_convert.h"
#include "config/profile_rules_file.h"
#include "config/shared_messages.h"
#include "config/text_encoding.h"
#include "keys/keymap_file.h"
#include "platform/atomic_file.h"
#include "profiles/profile_image.h"
#include "profiles/profile_store.h"

namespace tq260 {

namespace {

constexpr const char* kNowHas = "The keyboard now has the profile ";
constexpr const char* kSavedIn = "The keyboard's configuration is saved in the profile ";

// Opens the data folder's profiles; says so when their folder cannot be made.
std::optional<int> openStore(ToolContext& context, ProfileStore& store) {
    const ProfileStore::Outcome opened = store.openIn(context.dataFolder);
    if (opened.result == ProfileStore::Result::Done) return std::nullopt;
    context.err << "The profile folder could not be made: " << utf8Of(opened.file) << "\n";
    return tool_exit::kCannotWrite;
}

// Says what a store operation refused or failed at; the exit code, or nothing when done.
std::optional<int> refused(ToolContext& context, const ProfileStore::Outcome& outcome,
                           const std::u16string& name) {
    const std::string refusal = profileRefusal(outcome, name);
    if (refusal.empty()) return std::nullopt;
    context.err << refusal << "\n";
    return exitCodeOf(profileRefusalError(outcome.result));
}

// A name no profile can have is refused as a wrong command line, whatever the command.
std::optional<int> refusedName(ToolContext& context, const std::u16string& name) {
    if (ProfileStore::isAcceptableName(name)) return std::nullopt;
    return refused(context, {ProfileStore::Result::BadName, {}}, name);
}

// The profile a command names, in the opened store: its name as typed means it and its row.
struct NamedProfile {
    std::u16string name;
    std::size_t row = 0;
};

// Opens the store on the profile named; or says why there is none (a name no profile can
// have, a folder that cannot be made, no such profile, listing those there are) and gives
// the exit code.
std::optional<int> openNamed(ToolContext& context, ProfileStore& store, const std::string& typed,
                             NamedProfile& found) {
    found.name = ProfileStore::typedName(fromUtf8(typed));
    if (const auto failed = refusedName(context, found.name)) return failed;
    if (const auto failed = openStore(context, store)) return failed;
    const auto row = store.rowOf(found.name);
    if (!row) {
        context.err << noProfileNamed(store, found.name) << "\n";
        return tool_exit::kBadFile;
    }
    found.row = *row;
    return std::nullopt;
}

// The profile's file as it is, byte for byte; or says why it cannot serve (it cannot be
// read, it is empty, or it is damaged: which value, or its size), before the keyboard is
// touched.
std::optional<std::vector<std::uint8_t>> usableBytes(ToolContext& context,
                                                     const ProfileStore& store, std::size_t row,
                                                     const std::u16string& name) {
    const ProfileCheck check = checkProfile(store.pathOf(row));
    if (!check.image) {
        refused(context, ProfileStore::refusalOf(store.pathOf(row), check), name);
        return std::nullopt;
    }
    // As the file has them: the image gives each record its key's identity.
    auto bytes = readFileBytes(store.pathOf(row), kKeymapFileSize);
    if (!bytes) refused(context, {ProfileStore::Result::ReadFailed, store.pathOf(row)}, name);
    return bytes;
}

// The keyboard holds the profile now: it becomes the active one, and that is said.
int madeActive(ToolContext& context, ProfileStore& store, const std::u16string& name,
               const char* said) {
    if (const auto remembered = store.setActive(name);
        remembered.result != ProfileStore::Result::Done) {
        // The keyboard took it; only remembering it failed.
        context.err << "The keyboard has the profile, but which profile it holds could not be "
                       "written to "
                    << utf8Of(remembered.file) << "\n";
        return tool_exit::kCannotWrite;
    }
    context.out << said << quotedName(name) << ".\n";
    return tool_exit::kDone;
}

}  // namespace

int runProfileList(ToolContext& context) {
    ProfileStore store;
    if (const auto failed = openStore(context, store)) return *failed;
    if (store.names().empty()) {
        context.out << "There are no profiles yet in " << utf8Of(store.folder())
                    << ": tq260ctl profile save NAME makes one.\n";
        return tool_exit::kDone;
    }
    // While the program runs, it knows what it gave the keyboard; its file may not say so.
    std::optional<std::string> told;
    if (RunningProgram* program = throughProgram(context)) told = program->activeProfile();
    const auto active = told ? store.rowOf(fromUtf8(*told)) : store.activeRow();
    for (std::size_t row = 0; row < store.names().size(); ++row) {
        context.out << (row == active ? "* " : "  ") << shownText(store.names()[row]);
        switch (checkProfile(store.pathOf(row)).state) {
            case ProfileCheck::State::Unreadable:
                context.out << "  (its file cannot be read)";
                break;
            case ProfileCheck::State::Empty:
                context.out << "  (empty: no settings saved in it yet)";
                break;
            case ProfileCheck::State::Damaged:
                context.out << "  (damaged: tq260ctl profile show says what is wrong)";
                break;
            case ProfileCheck::State::Usable:
                break;
        }
        context.out << "\n";
    }
    if (store.found() > ProfileStore::kMaxProfiles) {
        context.out << "Note: " << utf8Of(store.folder())
                    << " holds more than six profiles; only the six above are used.\n";
    }
    return tool_exit::kDone;
}

int runProfileUse(ToolContext& context, const std::string& nameText, Unkept unkept) {
    ProfileStore store;
    NamedProfile named;
    if (const auto failed = openNamed(context, store, nameText, named)) return *failed;
    const std::u16string& name = named.name;
    const std::size_t row = named.row;
    if (!usableBytes(context, store, row, name)) return tool_exit::kBadFile;
    if (RunningProgram* program = throughProgram(context)) {
        const RunningProgram::Reply reply =
            unkept == Unkept::Refuse
                ? program->useProfile(toUtf8(name))
                : program->useProfileWith(toUtf8(name),
                                          unkept == Unkept::Keep ? "keep" : "discard");
        if (reply.failed()) return tellFailure(context, reply);
        if (!reply.text.empty()) context.out << keptText(fromUtf8(reply.text)) << "\n";
        context.out << kNowHas << quotedName(name) << ".\n";
        return tool_exit::kDone;
    }
    KeyboardChange change(context);
    if (const auto failed = change.begin()) return *failed;
    RecordMutex lock;
    LiveConfiguration live{change.host().settings, *change.host().assignments.table, lock};
    const UnkeptOutcome settled = settleUnkept(store, live, name, unkept);
    if (settled.error) {
        context.err << settled.message << "\n";
        return exitCodeOf(*settled.error);
    }
    if (!settled.keptIn.empty()) context.out << keptText(settled.keptIn) << "\n";
    // Keeping it may have made a profile, and so moved the rows.
    const auto used = store.rowOf(name);
    if (!used) return tool_exit::kBadFile;
    if (const auto failed = refused(context, store.use(*used, live), name)) return *failed;
    if (const auto failed = change.finish(true)) return *failed;
    return madeActive(context, store, name, kNowHas);
}

int runProfileSave(ToolContext& context, const std::string& nameText) {
    const std::u16string name = ProfileStore::typedName(fromUtf8(nameText));
    ProfileStore store;
    if (const auto failed = openStore(context, store)) return *failed;
    // Checked before the keyboard is read: a name refused needs no keyboard.
    if (!ProfileStore::isAcceptableName(name)) {
        return *refused(context, {ProfileStore::Result::BadName, {}}, name);
    }
    if (!store.rowOf(name) && store.names().size() >= ProfileStore::kMaxProfiles) {
        return *refused(context, {ProfileStore::Result::Full, {}}, name);
    }
    if (RunningProgram* program = throughProgram(context)) {
        const RunningProgram::Reply reply = program->saveProfile(toUtf8(name));
        if (reply.failed()) return tellFailure(context, reply);
        context.out << kSavedIn << quotedName(name) << ".\n";
        return tool_exit::kDone;
    }
    HostConfiguration host;
    if (const auto failed = readConfiguration(context, host,
                                              "the profile holds the keys as the keyboard holds "
                                              "them, without launch paths")) {
        return *failed;
    }
    RecordMutex lock;
    const LiveConfiguration live{host.settings, *host.assignments.table, lock};
    if (const auto failed = refused(context, store.saveAs(name, live), name)) return *failed;
    return madeActive(context, store, name, kSavedIn);
}

int runProfileShow(ToolContext& context, const std::string& nameText) {
    ProfileStore store;
    NamedProfile named;
    if (const auto failed = openNamed(context, store, nameText, named)) return *failed;
    const std::u16string& name = named.name;
    const std::size_t row = named.row;
    const auto bytes = usableBytes(context, store, row, name);
    if (!bytes) return tool_exit::kBadFile;
    std::vector<ConfigError> errors;
    const KeyNameTable names;
    const auto json = profileToJson(*bytes, names, errors);
    if (!json) {
        context.err << utf8Of(store.pathOf(row)) << ": " << describeErrors(errors);
        return tool_exit::kBadFile;
    }
    context.out << json->dump(2) << "\n";
    return tool_exit::kDone;
}

int runProfileRename(ToolContext& context, const std::string& fromText, const std::string& toText) {
    const std::u16string to = ProfileStore::typedName(fromUtf8(toText));
    ProfileStore store;
    NamedProfile named;
    if (const auto failed = openNamed(context, store, fromText, named)) return *failed;
    const std::u16string& from = named.name;
    const std::size_t row = named.row;
    const bool listed = store.rowOf(to).has_value();
    const ProfileStore::Outcome renamed = store.rename(row, to);
    if (renamed.result == ProfileStore::Result::NameTaken && listed) {
        context.err << "There is a profile named " << quotedName(to) << " already.\n";
        return tool_exit::kUsage;
    }
    if (const auto failed = refused(context, renamed, to)) return *failed;
    context.out << "The profile " << quotedName(from) << " is now named " << quotedName(to)
                << ".\n";
    const std::vector<std::string> rules = rulesNamingProfile(context.dataFolder, from);
    std::string why;
    if (!carryRulesToRenamedProfile(context.dataFolder, from, to, why)) {
        context.err << why << "\n";
        return tool_exit::kCannotWrite;
    }
    if (!rules.empty()) {
        context.out << "The rules for " << joinedList(rules) << " name it as " << quotedName(to)
                    << " now.\n";
    }
    return tool_exit::kDone;
}

int runProfileDelete(ToolContext& context, const std::string& nameText, bool confirmed) {
    ProfileStore store;
    NamedProfile named;
    if (const auto failed = openNamed(context, store, nameText, named)) return *failed;
    const std::u16string& name = named.name;
    const std::size_t row = named.row;
    // Said before the question: a question whose yes would be refused helps nobody.
    if (store.names().size() == 1) {
        return *refused(context, {ProfileStore::Result::KeepOne, {}}, name);
    }
    if (!confirmed && !answeredYes(context, "Delete the profile " + quotedName(name) +
                                                "? Its file is removed.")) {
        return tool_exit::kDeclined;
    }
    const bool wasActive = store.activeRow() == row;
    if (const auto failed = refused(context, store.remove(row), name)) return *failed;
    context.out << "The profile " << quotedName(name) << " is deleted.";
    // The keyboard keeps what it has; only the mark of which profile that was goes.
    if (wasActive) context.out << " No profile is marked as the keyboard's now.";
    context.out << "\n";
    const std::vector<std::string> rules = rulesNamingProfile(context.dataFolder, name);
    if (!rules.empty()) {
        context.out << "The rules for " << joinedList(rules)
                    << " name it, and do nothing until a profile of that name is made again or "
                       "they are changed: see tq260ctl rules list.\n";
    }
    return tool_exit::kDone;
}

}  // namespace tq260
