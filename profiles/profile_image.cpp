#include "profiles/profile_image.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <span>

#include "keys/key_layout.h"
#include "keys/keymap_file.h"

namespace tq260 {

std::optional<ProfileImage> ProfileImage::read(const std::filesystem::path& file) {
    auto bytes = readFileBytes(file, kKeymapFileSize);
    if (!bytes) return std::nullopt;
    // Loading gives each key's record its key's identity, whatever the file says.
    for (std::size_t key = 0; key < KeyLayout.size(); ++key) {
        const std::size_t at = sizeof(DeviceSettings) + key * sizeof(KeyAssignment) +
                               offsetof(KeyAssignment, identity);
        if (at < bytes->size()) (*bytes)[at] = KeyLayout[key].virtualKey;
    }
    return ProfileImage(std::move(*bytes));
}

bool ProfileImage::empty() const {
    const auto settingsEnd = bytes_.begin() + static_cast<std::ptrdiff_t>(
                                                  std::min(bytes_.size(), sizeof(DeviceSettings)));
    return std::all_of(bytes_.begin(), settingsEnd, [](std::uint8_t b) { return b == 0; });
}

bool ProfileImage::heldBy(const DeviceSettings& settings, const AssignmentTable& table,
                          bool gameModeFromRead) const {
    const std::span<const std::uint8_t> file(bytes_);
    const std::size_t settingsBytes = std::min(file.size(), sizeof(DeviceSettings));
    const auto* live = reinterpret_cast<const std::uint8_t*>(&settings);
    constexpr std::size_t kGameMode = offsetof(DeviceSettings, gameMode);
    if (settingsBytes <= kGameMode) return std::memcmp(live, file.data(), settingsBytes) == 0;
    // Every full read of the keyboard turns game mode on first, so game mode on where the
    // profile has it off is what reading the keyboard made, never something to lose.
    const bool gameModeHeld = file[kGameMode] == settings.gameMode ||
                              (gameModeFromRead && file[kGameMode] == 0 && settings.gameMode == 1);
    if (!gameModeHeld || std::memcmp(live, file.data(), kGameMode) != 0 ||
        std::memcmp(live + kGameMode + 1, file.data() + kGameMode + 1,
                    settingsBytes - kGameMode - 1) != 0) {
        return false;
    }
    const auto rest = file.subspan(settingsBytes);
    return std::memcmp(table.data(), rest.data(), std::min(rest.size(), sizeof(AssignmentTable))) ==
           0;
}

ProfileCheck checkProfile(const std::filesystem::path& file) {
    using State = ProfileCheck::State;
    ProfileCheck check;
    std::error_code error;
    // Looked at before anything is read: a file of a gigabyte is refused by its size.
    const auto status = std::filesystem::status(file, error);
    if (error || !std::filesystem::is_regular_file(status)) return check;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error) return check;
    if (size == 0) {
        check.state = State::Empty;
        return check;
    }
    if (size != kProfileFileBytes && size != kSettingsOnlyProfileBytes) {
        check.state = State::Damaged;
        check.damage.size = size;
        return check;
    }
    auto image = ProfileImage::read(file);
    if (!image) return check;
    // Changed in between: its size is what was read.
    if (image->bytes().size() != size) {
        check.state = State::Damaged;
        check.damage.size = image->bytes().size();
        return check;
    }
    if (image->empty()) {
        check.state = State::Empty;
        return check;
    }
    DeviceSettings settings;
    std::memcpy(&settings, image->bytes().data(), sizeof settings);
    check.damage.values = refusedSettings(settings);
    if (!check.damage.values.empty()) {
        check.state = State::Damaged;
        return check;
    }
    check.state = State::Usable;
    check.image = std::move(image);
    return check;
}

const ProfileImage* CachedProfileImage::of(const std::filesystem::path& file) {
    const auto stamp = fileStamp(file);
    if (!stamp) {
        image_.reset();
        stamp_.reset();
        return nullptr;
    }
    if (file != file_ || stamp != stamp_) {
        file_ = file;
        stamp_ = stamp;
        image_ = ProfileImage::read(file);
    }
    return image_ ? &*image_ : nullptr;
}

}  // namespace tq260
