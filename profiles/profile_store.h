#pragma once

#include <cstddef>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/device_settings.h"
#include "device/record_mutex.h"
#include "keys/key_assignment.h"
#include "keys/language.h"
#include "platform/atomic_file.h"
#include "profiles/profile_image.h"

namespace tq260 {

// A control character or a mark that turns the text's direction: it does not show as itself,
// so a name holding one reads as another name.
bool hidesInText(char16_t c);

// The configuration the program works on: what keymap.bin holds. The record's lock is held
// while either part is read or written, since the input listener writes the lighting.
struct LiveConfiguration {
    DeviceSettings& settings;
    AssignmentTable& assignments;
    RecordMutex& lock;
    // Its game mode is what a full read gave (turned on), not an edit.
    bool gameModeFromRead = true;
};

// The named profiles in the profile folder, one file each with keymap.bin's layout, at most
// six. Rows are the profiles' names in the list's order (sorted by UTF-16 code units, as the
// list keeps them); every operation takes a row, and those that change the folder read it
// again, so the rows always show what is on disk. The store also remembers which profile the
// keyboard was last given (the active one), in a small file that the program and the tool
// share.
class ProfileStore {
  public:
    static constexpr std::size_t kMaxProfiles = 6;
    static constexpr const char* kFolderName = "Configure";
    static constexpr const char* kActiveFileName = "active-profile.txt";
    // The longest name, in bytes of UTF-8: with ".bin" and what a save adds to name its
    // temporary file (".tmp-", a process id of up to 7 digits, a thread's of up to 20, a time
    // of up to 19, two dashes), the temporary's name still fits the 255 bytes a file's may have.
    static constexpr std::size_t kLongestNameBytes = 255 - 4 - (5 + 7 + 1 + 20 + 1 + 19);
    // A profile made by New holds only the settings block, all zero.
    static constexpr std::size_t kNewProfileBytes = sizeof(DeviceSettings);

    enum class Result {
        Done,
        Ignored,       // nothing to do (Copy with six profiles, a cancelled choice)
        Full,          // six profiles already
        KeepOne,       // the last profile is never deleted
        NameTaken,     // a rename to a name in use, the same one included
        BadName,       // a rename that would leave the folder or that the system forbids
        Empty,         // the profile holds no settings: loading it would blank the keyboard
        Damaged,       // `file` has no profile's size or holds values the keyboard does not take
        ReadFailed,    // `file` could not be read
        WriteFailed,   // `file` could not be written or created
        RenameFailed,  // `file` could not be renamed
        DeleteFailed,  // `file` could not be deleted
    };
    struct Outcome {
        Outcome() = default;
        Outcome(Result result, std::filesystem::path file = {}, ProfileDamage damage = {})
            : result(result), file(std::move(file)), damage(std::move(damage)) {}
        Result result = Result::Done;
        std::filesystem::path file;  // the file a failure concerns; a rename's new file
        ProfileDamage damage;        // what is wrong with a damaged file
    };
    // Why the file cannot be laid over the live configuration; Done when it can.
    static Outcome refusalOf(const std::filesystem::path& file, const ProfileCheck& check);

    // The folder is created when missing; the outcome says when it could not be. Without an
    // active file nothing is remembered as active.
    Outcome open(std::filesystem::path folder, std::filesystem::path activeFile = {});
    // The profiles of a data folder: its "Configure" folder, and the active profile's name in
    // "active-profile.txt" beside it.
    Outcome openIn(const std::filesystem::path& dataFolder);
    const std::filesystem::path& folder() const { return folder_; }
    // Reads the folder again: the first six .bin files in the order the file system gives
    // them, named without their final ".bin", sorted; and which one is active.
    void reload();

    const std::vector<std::u16string>& names() const { return names_; }
    // Files found by the last reading, up to seven: a seventh means there are more than the
    // six shown.
    std::size_t found() const { return found_; }
    // The file of a row: the folder, the row's name and ".bin".
    std::filesystem::path pathOf(std::size_t row) const;
    // The row showing the name, or nothing.
    std::optional<std::size_t> rowOf(std::u16string_view name) const;

    Outcome create();
    Outcome copy(std::size_t row, Language language);
    Outcome rename(std::size_t row, std::u16string_view newName);
    Outcome remove(std::size_t row);
    // The live configuration into the row's file.
    Outcome save(std::size_t row, const LiveConfiguration& live) const;
    // The row's profile, as its file holds it, into another file (replaced in one step). An
    // empty profile is refused: there is nothing in it to take elsewhere.
    Outcome exportTo(std::size_t row, const std::filesystem::path& file) const;
    // From importFile into the live configuration, which the row's file then holds too.
    // Without a file nothing changes.
    Outcome load(std::size_t row, const std::optional<std::filesystem::path>& importFile,
                 LiveConfiguration& live) const;

    // The profile the keyboard was last given, when it is among the rows.
    std::optional<std::size_t> activeRow() const { return rowOf(active_); }
    // The name remembered, also when no row shows it (its file is gone).
    const std::u16string& activeName() const { return active_; }
    // The active profile's name while a row shows it; empty otherwise.
    std::u16string listedActiveName() const { return activeRow() ? active_ : std::u16string(); }
    // Remembers the profile as the one the keyboard holds; an empty name forgets. Kept in
    // memory also when the file cannot be written (the outcome says so), until another
    // program replaces the file.
    Outcome setActive(std::u16string_view name);
    // Lays the row's profile over the live configuration, as Load does with a file; the
    // profile's file stays as it is. An empty or damaged profile is refused, changing nothing.
    Outcome use(std::size_t row, LiveConfiguration& live) const;
    // Saves the live configuration into the profile of that name, made when missing (named as
    // a rename would name it, at most six profiles).
    Outcome saveAs(std::u16string_view typed, const LiveConfiguration& live);
    // A row whose profile the live configuration holds, the active one looked at first.
    std::optional<std::size_t> rowHolding(const LiveConfiguration& live) const;

    // "Profile_1", "Profile_2", …: the first not among the names.
    static std::u16string defaultName(const std::vector<std::u16string>& names);
    // "Copy of <name>", then with " 1", " 2", … ("复制 <name>" in Chinese).
    static std::u16string copyName(std::u16string_view source,
                                   const std::vector<std::u16string>& names, Language language);
    // The profile a typed name means: without a final ".bin", as the file would have it.
    static std::u16string typedName(std::u16string_view typed);
    // A name that stays one file in the profile folder on every system, that a save can
    // write, and that shows as it is: no control characters, no marks that turn the text's
    // direction.
    static bool isAcceptableName(std::u16string_view name);

  private:
    Outcome writeLive(const std::filesystem::path& file, const LiveConfiguration& live) const;
    void readActive();
    // The file's bytes over the live configuration; an empty or damaged one refused.
    static Outcome layOver(const std::filesystem::path& file, LiveConfiguration& live);

    std::filesystem::path folder_;
    std::filesystem::path activeFile_;
    std::u16string active_;
    // The active file as last read or written here; another stamp means another program.
    std::optional<FileStamp> activeStamp_;
    bool activeKnown_ = false;
    std::vector<std::u16string> names_;
    std::size_t found_ = 0;
};

}  // namespace tq260
