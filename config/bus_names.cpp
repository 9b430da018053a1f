#include "config/bus_names.h"

#include <array>
#include <utility>

namespace tq260::bus {

namespace {

constexpr std::array<std::pair<Error, std::string_view>, 10> kErrors{{
    {Error::InvalidJson, "InvalidJson"},
    {Error::NoKeyboard, "NoKeyboard"},
    {Error::NotAnswering, "NotAnswering"},
    {Error::Busy, "Busy"},
    {Error::UnsavedChanges, "UnsavedChanges"},
    {Error::NoSuchProfile, "NoSuchProfile"},
    {Error::BadProfile, "BadProfile"},
    {Error::InvalidName, "InvalidName"},
    {Error::CannotWrite, "CannotWrite"},
    {Error::NotInProfile, "NotInProfile"},
}};

}  // namespace

std::string errorName(Error error) {
    for (const auto& [each, name] : kErrors) {
        if (each == error) return std::string(kErrorPrefix) + std::string(name);
    }
    return std::string(kErrorPrefix) + "Failed";
}

std::optional<Error> errorNamed(std::string_view name) {
    const std::string_view prefix(kErrorPrefix);
    if (!name.starts_with(prefix)) return std::nullopt;
    name.remove_prefix(prefix.size());
    for (const auto& [each, text] : kErrors) {
        if (text == name) return each;
    }
    return std::nullopt;
}

}  // namespace tq260::bus
