#include "config/shared_messages.h"

#include "config/text_encoding.h"

namespace tq260 {

std::string notAnsweringText(const std::string& what) {
    return "The keyboard is not answering: " + what + ".";
}

std::string rejectionText(const std::vector<ConfigError>& errors) {
    return std::to_string(errors.size()) + (errors.size() == 1 ? " error" : " errors") +
           "; nothing was written.\n" + describeErrors(errors);
}

std::string quotedName(const std::u16string& name) {
    // Appended, not "\"" + name: GCC 12 at -O3 warns falsely about the insertion at the front.
    std::string text(1, '"');
    text += toUtf8(name);
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
            return "Could not read " + utf8Of(outcome.file);
        case Result::Full:
            return "There are six profiles already, the most the program keeps: save into one "
                   "of them, or delete one in the program first.";
        case Result::BadName:
            return quotedName(name) +
                   " cannot be a profile's name: a name must not be empty or too long, contain "
                   "\\ / : * ? \" < > |, end with a dot or a blank, or be a device name such as "
                   "CON.";
        case Result::NameTaken:
            return utf8Of(outcome.file) +
                   " is there already, beyond the six profiles the program shows; it was not "
                   "replaced.";
        case Result::KeepOne:
            return "The profile " + quotedName(name) +
                   " is the only one, and the last profile is always kept.";
        case Result::RenameFailed:
            return "Could not rename " + utf8Of(outcome.file);
        case Result::DeleteFailed:
            return "Could not delete " + utf8Of(outcome.file);
        case Result::WriteFailed:
            break;
    }
    return "Could not write " + utf8Of(outcome.file);
}

bus::Error profileRefusalError(ProfileStore::Result result) {
    using Result = ProfileStore::Result;
    switch (result) {
        case Result::Empty:
        case Result::ReadFailed:
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
