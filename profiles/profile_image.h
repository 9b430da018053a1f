#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "device/device_settings.h"
#include "device/setting_limits.h"
#include "keys/key_assignment.h"
#include "platform/atomic_file.h"

namespace tq260 {

// What a profile file holds, to tell whether the live configuration is that profile. Using
// a profile lays its bytes over the live configuration as far as the file goes, so the live
// configuration holds a profile when its bytes begin with the file's.
class ProfileImage {
  public:
    // Nothing when the file cannot be read.
    static std::optional<ProfileImage> read(const std::filesystem::path& file);
    explicit ProfileImage(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    // No settings at all (a profile made by New): using it would leave every key dead.
    bool empty() const;
    // Under the record's lock, where the live configuration can change. Game mode on where
    // the profile has it off still holds the profile when that game mode came from a full
    // read, which turns it on; not when a person turned it on.
    bool heldBy(const DeviceSettings& settings, const AssignmentTable& table,
                bool gameModeFromRead = true) const;
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

  private:
    std::vector<std::uint8_t> bytes_;
};

// What makes a profile's file one the keyboard must not be given.
struct ProfileDamage {
    // The file's size, when no profile has that size.
    std::optional<std::uintmax_t> size;
    // Its values that the keyboard does not take.
    std::vector<SettingValue> values;
    friend bool operator==(const ProfileDamage&, const ProfileDamage&) = default;
};

// A profile's file as far as using it goes: only a usable one comes with its image.
struct ProfileCheck {
    enum class State { Usable, Unreadable, Empty, Damaged };
    State state = State::Unreadable;
    ProfileDamage damage;
    std::optional<ProfileImage> image;
};

// The sizes a profile's file has: whole, or the settings alone (made by New).
inline constexpr std::uintmax_t kProfileFileBytes =
    sizeof(DeviceSettings) + sizeof(AssignmentTable);
inline constexpr std::uintmax_t kSettingsOnlyProfileBytes = sizeof(DeviceSettings);

// Reads a profile's file to give it to the keyboard, checking it as `apply` checks a file:
// its size first, so that nothing of a file of another size is read (a file of no bytes is
// empty), then whether it holds any settings, then each value.
ProfileCheck checkProfile(const std::filesystem::path& file);

// The image of one file, read again only when the file changed on disk: cheap enough to ask
// at every repaint.
class CachedProfileImage {
  public:
    // Nothing when the file is not there or cannot be read.
    const ProfileImage* of(const std::filesystem::path& file);

  private:
    std::filesystem::path file_;
    std::optional<FileStamp> stamp_;
    std::optional<ProfileImage> image_;
};

}  // namespace tq260
