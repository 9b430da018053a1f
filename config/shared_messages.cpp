#include "config/shared_messages.h"

#include "config/text_encoding.h"
#include "device/setting_limits.h"

namespace tq260 {

std::string notAnsweringText(const std::string& what) {
    return "The keyboard is not answering: " + what + ".";
}

std::string rejectionText(const std::vector<ConfigError>& errors) {
    return std::to_string(errors.size()) + (errors.size() == 1 ? " error" : " errors") +
           "; nothing was written.\n" + describeErrors(errors);
}

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// The JSON pointer of a setting, as `apply` names it.
const char* settingPath(Setting setting) {
    switch (setting) {
        case Setting::ReportRate:
            return "/reportRate";
        case Setting::ResponseTimeMs:
            return "/responseTimeMs";
        case Setting::Effect:
            return "/lighting/effect";
        case Setting::Brightness:
            return "/lighting/brightness";
        case Setting::Speed:
            return "/lighting/speed";
        case Setting::Direction:
            return "/lighting/direction";
        case Setting::GameMode:
            break;
    }
    return "/gameMode";
}

std::string damageText(const ProfileStore::Outcome& outcome) {
    const ProfileDamage& damage = outcome.damage;
    // Appended piece by piece: GCC 12 at -O3 warns falsely about a literal put in front.
    std::string text = "its file ";
    text += shownPath(outcome.file);
    if (damage.size) {
        return text + " is " + std::to_string(*damage.size) + " bytes, and a profile's file is " +
               std::to_string(kProfileFileBytes) + " bytes (" +
               std::to_string(kSettingsOnlyProfileBytes) + " when it holds only the settings).";
    }
    text += " holds values the keyboard does not take:";
    for (const SettingValue& value : damage.values) {
        text += '\n';
        text += settingPath(value.setting);
        text += ": ";
        text += settingRefusal(value.setting, value.value).value_or("");
    }
    return text;
}

}  // namespace

std::string shownText(std::u16string_view text) {
    std::u16string shown;
    for (const char16_t c : text) {
        if (!hidesInText(c)) {
            shown += c;
            continue;
        }
        shown += c < 0x100 ? u"\\x" : u"\\u";
        for (int shift = c < 0x100 ? 4 : 12; shift >= 0; shift -= 4) {
            shown += static_cast<char16_t>(kHexDigits[(c >> shift) & 0x0F]);
        }
    }
    return toUtf8(shown);
}

std::string shownPath(const std::filesystem::path& path) {
    return shownText(path.u16string());
}

std::string quotedName(const std::u16string& name) {
    // Appended, not "\"" + name: GCC 12 at -O3 warns falsely about the insertion at the front.
    std::string text(1, '"');
    text += shownText(name);
    text += '"';
    return text;
}

std::string noProfileNamed(const ProfileStore& store, const std::u16string& name) {
    std::string text = "There is no profile named " + quotedName(name) + ".";
    if (store.names().empty()) {
        return text + " There are no profiles yet: tq260ctl profile save NAME makes one.";
    }
    text += " The profiles are ";
    for (const std::u16string& each : store.names()) {
        text += (&each == &store.names().front() ? "" : ", ") + quotedName(each);
    }
    return text + ".";
}

std::string profileRefusal(const ProfileStore::Outcome& outcome, const std::u16string& name) {
    using Result = ProfileStore::Result;
    switch (outcome.result) {
        case Result::Done:
        case Result::Ignored:
            return {};
        case Result::Empty:
            return "The profile " + quotedName(name) +
                   " is empty: it holds no keyboard settings yet.";
        case Result::ReadFailed:
            return "Could not read " + shownPath(outcome.file);
        case Result::Damaged:
            return "The profile " + quotedName(name) + " is damaged: " + damageText(outcome);
        case Result::Full:
            return "There are six profiles already, the most the program keeps: save into one "
                   "of them, or delete one in the program first.";
        case Result::BadName:
            return quotedName(name) + " cannot be a profile's name: a name must not be empty or " +
                   "longer than " + std::to_string(ProfileStore::kLongestNameBytes) +
                   " bytes in UTF-8, contain \\ / : * ? \" < > |, control characters or marks "
                   "that turn the text's direction, end with a dot or a blank, or be a device "
                   "name such as CON.";
        case Result::NameTaken:
            return shownPath(outcome.file) +
                   " is there already, beyond the six profiles the program shows; it was not "
                   "replaced.";
        case Result::KeepOne:
            return "The profile " + quotedName(name) +
                   " is the only one, and the last profile is always kept.";
        case Result::RenameFailed:
            return "Could not rename " + shownPath(outcome.file);
        case Result::DeleteFailed:
            return "Could not delete " + shownPath(outcome.file);
        case Result::WriteFailed:
            break;
    }
    return "Could not write " + shownPath(outcome.file);
}

bus::Error profileRefusalError(ProfileStore::Result result) {
    using Result = ProfileStore::Result;
    switch (result) {
        case Result::Empty:
        case Result::ReadFailed:
        case Result::Damaged:
            return bus::Error::BadProfile;
        case Result::Full:
        case Result::BadName:
        case Result::NameTaken:
        case Result::KeepOne:
            return bus::Error::InvalidName;
        default:
            return bus::Error::CannotWrite;
    }
}

}  // namespace tq260
