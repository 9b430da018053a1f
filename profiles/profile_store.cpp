#include "profiles/profile_store.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <span>

#include "keys/keymap_file.h"
#include "platform/atomic_file.h"
#include "platform/data_folder.h"
#include "profiles/profile_image.h"

namespace tq260 {

namespace {

constexpr std::u16string_view kExtension = u".bin";
constexpr std::size_t kLongestFileName = 255;  // bytes, as most file systems count them

// A profile's name is its file's name without the final ".bin", so that the name always leads
// back to the file it came from, also when ".bin" stands inside it.
std::u16string withoutExtension(std::u16string name) {
    name.resize(name.size() - kExtension.size());
    return name;
}

bool endsWithExtension(std::u16string_view name) {
    return name.size() >= kExtension.size() &&
           name.substr(name.size() - kExtension.size()) == kExtension;
}

std::u16string ascii(const std::string& text) {
    return {text.begin(), text.end()};
}

// Bytes of the name in UTF-8, the form Linux stores it in.
std::size_t utf8Length(std::u16string_view text) {
    std::size_t bytes = 0;
    for (const char16_t c : text) {
        bytes += c < 0x80 ? 1 : c < 0x800 ? 2 : (c >= 0xD800 && c < 0xE000) ? 2 : 3;
    }
    return bytes;
}

bool isReservedDeviceName(std::u16string_view name) {
    std::u16string upper(name.substr(0, name.find(u'.')));
    for (char16_t& c : upper) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    static constexpr std::array<std::u16string_view, 4> kPlain{u"CON", u"PRN", u"AUX", u"NUL"};
    if (std::find(kPlain.begin(), kPlain.end(), upper) != kPlain.end()) return true;
    return upper.size() == 4 && (upper.starts_with(u"COM") || upper.starts_with(u"LPT")) &&
           upper[3] >= u'1' && upper[3] <= u'9';
}

// The live configuration as one file image, taken under the record's lock.
struct LiveImage {
    explicit LiveImage(const LiveConfiguration& live)
        : assignments(std::make_unique<AssignmentTable>()) {
        std::lock_guard guard(live.lock);
        settings = live.settings;
        *assignments = live.assignments;
    }
    DeviceSettings settings;
    std::unique_ptr<AssignmentTable> assignments;
};

template <typename T>
std::span<const std::uint8_t> bytesOf(const T& value) {
    return {reinterpret_cast<const std::uint8_t*>(&value), sizeof(T)};
}

}  // namespace

ProfileStore::Outcome ProfileStore::open(std::filesystem::path folder,
                                         std::filesystem::path activeFile) {
    folder_ = std::move(folder);
    // Opened again on the same file (the profile window does), what this store gave the
    // keyboard stays known: the file may not have taken it.
    if (activeFile != activeFile_) activeKnown_ = false;
    activeFile_ = std::move(activeFile);
    makePrivateFolders(folder_);
    reload();
    std::error_code error;
    if (!std::filesystem::is_directory(folder_, error)) return {Result::WriteFailed, folder_};
    return {};
}

ProfileStore::Outcome ProfileStore::openIn(const std::filesystem::path& dataFolder) {
    return open(dataFolder / kFolderName, dataFolder / kActiveFileName);
}

void ProfileStore::reload() {
    readActive();
    names_.clear();
    found_ = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder_, error), end; !error && it != end;
         it.increment(error)) {
        // The name is looked at in the system's own form first; only profiles are converted.
        const std::filesystem::path& path = it->path();
        if (path.extension() != ".bin") continue;
        std::error_code kind;
        if (it->is_directory(kind)) continue;
        // A seventh file is counted, not shown.
        if (++found_ > kMaxProfiles) break;
        names_.push_back(withoutExtension(path.filename().u16string()));
    }
    std::sort(names_.begin(), names_.end());
}

// The name in UTF-8 on one line. Anything else (too long, not UTF-8, not there) is no name.
// Read again only when another program replaced the file: what this store last gave the
// keyboard stays the active one when the file could not take it (read-only, a pipe).
void ProfileStore::readActive() {
    if (activeFile_.empty()) {
        active_.clear();
        return;
    }
    const auto stamp = fileStamp(activeFile_);
    if (activeKnown_ && stamp == activeStamp_) return;
    activeKnown_ = true;
    activeStamp_ = stamp;
    active_.clear();
    constexpr std::size_t kLongest = 4 * kLongestFileName + 2;
    const auto bytes = readFileBytes(activeFile_, kLongest + 1);
    if (!bytes || bytes->size() > kLongest) return;
    std::u8string text(bytes->begin(), bytes->end());
    while (!text.empty() && (text.back() == u8'\n' || text.back() == u8'\r')) text.pop_back();
    try {
        active_ = std::filesystem::path(text).u16string();
    } catch (const std::exception&) {
        active_.clear();
    }
}

ProfileStore::Outcome ProfileStore::setActive(std::u16string_view name) {
    if (activeFile_.empty()) return {};
    std::u8string text;
    try {
        if (!name.empty()) text = std::filesystem::path(std::u16string(name)).u8string() + u8"\n";
    } catch (const std::exception&) {
        return {Result::BadName, {}};  // a broken surrogate has no UTF-8 form
    }
    // The keyboard has it whether or not the file takes it: the file only carries it across
    // starts and to the tool.
    active_ = name;
    activeKnown_ = true;
    if (!writeFileAtomically(
            activeFile_,
            {std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())})) {
        return {Result::WriteFailed, activeFile_};
    }
    activeStamp_ = fileStamp(activeFile_);
    return {};
}

std::filesystem::path ProfileStore::pathOf(std::size_t row) const {
    if (row >= names_.size()) return {};
    return folder_ / std::filesystem::path(names_[row] + std::u16string(kExtension));
}

std::optional<std::size_t> ProfileStore::rowOf(std::u16string_view name) const {
    const auto found = std::find(names_.begin(), names_.end(), name);
    if (found == names_.end()) return std::nullopt;
    return static_cast<std::size_t>(found - names_.begin());
}

std::u16string ProfileStore::defaultName(const std::vector<std::u16string>& names) {
    for (int i = 1;; ++i) {
        const std::string prefix = i < 10 ? "Profile_" : i < 99 ? "Profile0" : "Profile";
        const std::u16string candidate = ascii(prefix + std::to_string(i));
        if (std::find(names.begin(), names.end(), candidate) == names.end()) return candidate;
    }
}

std::u16string ProfileStore::copyName(std::u16string_view source,
                                      const std::vector<std::u16string>& names, Language language) {
    const std::u16string prefix = language == Language::Chinese ? u"复制 " : u"Copy of ";
    for (int n = 0;; ++n) {
        // Appended, not u" " + number: GCC 12 at -O3 warns falsely about the insertion.
        std::u16string number;
        if (n > 0) {
            number += u' ';
            number += ascii(std::to_string(n));
        }
        // A long name is cut so that the copy's file can be saved, and never ends in a dot or
        // a blank, which one system would drop.
        std::u16string_view kept = source;
        const auto fits = [&] {
            return utf8Length(prefix) + utf8Length(kept) + utf8Length(number) <= kLongestNameBytes;
        };
        while (!kept.empty() && (!fits() || kept.back() == u'.' || kept.back() == u' ')) {
            const bool pair = kept.size() >= 2 && kept.back() >= 0xDC00 && kept.back() <= 0xDFFF;
            kept.remove_suffix(pair ? 2 : 1);
        }
        const std::u16string candidate = prefix + std::u16string(kept) + number;
        if (std::find(names.begin(), names.end(), candidate) == names.end()) return candidate;
    }
}

std::u16string ProfileStore::typedName(std::u16string_view typed) {
    std::u16string name(typed);
    if (endsWithExtension(name)) name.resize(name.size() - kExtension.size());
    return name;
}

bool hidesInText(char16_t c) {
    // Marks that turn the direction of the text around them: a name holding one shows as
    // another name (a right-to-left override makes "Desk\u202Eexe.bin" read as "Deskkeb.exe").
    const bool direction = (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) ||
                           c == 0x200E || c == 0x200F || c == 0x061C;
    return c < 0x20 || (c >= 0x7F && c < 0xA0) || direction;
}

bool ProfileStore::isAcceptableName(std::u16string_view name) {
    if (name.empty() || utf8Length(name) > kLongestNameBytes) return false;
    if (std::all_of(name.begin(), name.end(), [](char16_t c) { return c == u'.'; })) return false;
    if (std::all_of(name.begin(), name.end(),
                    [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\u3000'; })) {
        return false;
    }
    constexpr std::u16string_view kForbidden = u"<>:\"/\\|?*";
    for (const char16_t c : name) {
        if (hidesInText(c) || kForbidden.find(c) != std::u16string_view::npos) {
            return false;
        }
    }
    // Windows drops a trailing dot or blank, which would make it another file there.
    if (name.back() == u'.' || name.back() == u' ') return false;
    return !isReservedDeviceName(name);
}

ProfileStore::Outcome ProfileStore::create() {
    if (names_.size() >= kMaxProfiles) return {Result::Full, {}};
    const std::filesystem::path file =
        folder_ / std::filesystem::path(defaultName(names_) + std::u16string(kExtension));
    const std::array<std::uint8_t, kNewProfileBytes> zeros{};
    const bool written = writeFileAtomically(file, zeros);
    reload();
    if (!written) return {Result::WriteFailed, file};
    return {};
}

ProfileStore::Outcome ProfileStore::copy(std::size_t row, Language language) {
    if (names_.size() >= kMaxProfiles || row >= names_.size()) return {Result::Ignored, {}};
    const std::filesystem::path source = pathOf(row);
    // Read straight into a buffer left uninitialised: only what the file does not reach is
    // zeroed (a profile made by New holds only its first block; the copy is whole).
    const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(kKeymapFileSize);
    const std::span<std::uint8_t> bytes(buffer.get(), kKeymapFileSize);
    const auto read = readFileInto(source, {bytes});
    if (!read) return {Result::ReadFailed, source};
    std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(*read), bytes.end(), std::uint8_t{0});
    const std::filesystem::path file =
        folder_ /
        std::filesystem::path(copyName(names_[row], names_, language) + std::u16string(kExtension));
    const bool written = writeFileAtomically(file, std::span<const std::uint8_t>(bytes));
    reload();
    if (!written) return {Result::WriteFailed, file};
    return {};
}

ProfileStore::Outcome ProfileStore::rename(std::size_t row, std::u16string_view newName) {
    if (row >= names_.size()) return {Result::Ignored, {}};
    const std::u16string base = typedName(newName);
    if (!isAcceptableName(base)) {
        reload();
        return {Result::BadName, {}};
    }
    const std::filesystem::path target =
        folder_ / std::filesystem::path(base + std::u16string(kExtension));
    std::error_code error;
    // A name in the list or a file already there (one of those beyond the six shown).
    const bool taken = std::find(names_.begin(), names_.end(), base) != names_.end() ||
                       std::filesystem::exists(target, error);
    if (taken) {
        reload();
        return {Result::NameTaken, target};
    }
    const std::filesystem::path source = pathOf(row);
    const bool wasActive = names_[row] == active_;
    std::filesystem::rename(source, target, error);
    reload();
    if (error) return {Result::RenameFailed, source};
    // The keyboard still holds that profile, under its new name.
    if (wasActive) setActive(base);
    return {Result::Done, target};
}

ProfileStore::Outcome ProfileStore::remove(std::size_t row) {
    if (names_.size() == 1) return {Result::KeepOne, {}};
    if (row >= names_.size()) return {Result::Ignored, {}};
    const std::filesystem::path file = pathOf(row);
    const bool wasActive = names_[row] == active_;
    std::error_code error;
    // A file already gone counts as deleted.
    std::filesystem::remove(file, error);
    reload();
    if (error) return {Result::DeleteFailed, file};
    if (wasActive) setActive({});
    return {};
}

ProfileStore::Outcome ProfileStore::writeLive(const std::filesystem::path& file,
                                              const LiveConfiguration& live) const {
    const LiveImage image(live);
    if (!writeFileAtomically(file, {bytesOf(image.settings), bytesOf(*image.assignments)})) {
        return {Result::WriteFailed, file};
    }
    return {};
}

ProfileStore::Outcome ProfileStore::refusalOf(const std::filesystem::path& file,
                                              const ProfileCheck& check) {
    using State = ProfileCheck::State;
    switch (check.state) {
        case State::Usable:
            return {};
        case State::Unreadable:
            return {Result::ReadFailed, file, {}};
        case State::Empty:
            // Settings of all zero would give the keyboard a key table of nothing: every key
            // dead.
            return {Result::Empty, file, {}};
        case State::Damaged:
            break;
    }
    return {Result::Damaged, file, check.damage};
}

ProfileStore::Outcome ProfileStore::layOver(const std::filesystem::path& file,
                                            LiveConfiguration& live) {
    const ProfileCheck check = checkProfile(file);
    if (!check.image) return refusalOf(file, check);
    std::lock_guard guard(live.lock);
    loadKeymapBytes(check.image->bytes(), false, live.settings, live.assignments);
    return {};
}

ProfileStore::Outcome ProfileStore::save(std::size_t row, const LiveConfiguration& live) const {
    if (row >= names_.size()) return {Result::Ignored, {}};
    return writeLive(pathOf(row), live);
}

ProfileStore::Outcome ProfileStore::exportTo(std::size_t row,
                                             const std::filesystem::path& file) const {
    if (row >= names_.size()) return {Result::Ignored, {}};
    const ProfileCheck check = checkProfile(pathOf(row));
    if (!check.image) return refusalOf(pathOf(row), check);
    if (!writeFileAtomically(file, std::span<const std::uint8_t>(check.image->bytes()))) {
        return {Result::WriteFailed, file};
    }
    return {};
}

ProfileStore::Outcome ProfileStore::load(std::size_t row,
                                         const std::optional<std::filesystem::path>& importFile,
                                         LiveConfiguration& live) const {
    if (row >= names_.size() || !importFile) return {Result::Ignored, {}};
    if (const Outcome laid = layOver(*importFile, live); laid.result != Result::Done) return laid;
    return writeLive(pathOf(row), live);
}

ProfileStore::Outcome ProfileStore::use(std::size_t row, LiveConfiguration& live) const {
    if (row >= names_.size()) return {Result::Ignored, {}};
    return layOver(pathOf(row), live);
}

ProfileStore::Outcome ProfileStore::saveAs(std::u16string_view typed,
                                           const LiveConfiguration& live) {
    const std::u16string name = typedName(typed);
    if (!isAcceptableName(name)) return {Result::BadName, {}};
    reload();
    if (const auto row = rowOf(name)) return save(*row, live);
    if (names_.size() >= kMaxProfiles) return {Result::Full, {}};
    const std::filesystem::path file =
        folder_ / std::filesystem::path(name + std::u16string(kExtension));
    // A file beyond the six shown is one the user did not see: never replaced unasked.
    std::error_code error;
    if (std::filesystem::exists(file, error)) return {Result::NameTaken, file};
    const Outcome saved = writeLive(file, live);
    reload();
    return saved;
}

std::optional<std::size_t> ProfileStore::rowHolding(const LiveConfiguration& live) const {
    std::vector<std::size_t> order;
    if (const auto active = activeRow()) order.push_back(*active);
    for (std::size_t row = 0; row < names_.size(); ++row) {
        if (row != activeRow()) order.push_back(row);
    }
    for (const std::size_t row : order) {
        const auto image = ProfileImage::read(pathOf(row));
        if (!image || image->empty()) continue;
        std::lock_guard guard(live.lock);
        if (image->heldBy(live.settings, live.assignments, live.gameModeFromRead)) return row;
    }
    return std::nullopt;
}

}  // namespace tq260
